// Where the record lives when no file is named: beside a program run from its
// build folder, and in the user's data folder for an installed program,
// whoever runs it.
#include <gtest/gtest.h>

#include "panel/ScoreBoard.h"

namespace orb {
namespace {

TEST(RecordPlace, AnInstalledProgramKeepsItsRecordInTheUsersDataFolder)
{
    const QString data = "/home/ann/.local/share/orbitarium/orbitarium";
    const QString inData = data + "/tallyho.ogg";
    const struct {
        ProgramFolder program;
        QString expected;
    } cases[] = {
        // A Debian package, run by root who can write /usr/bin.
        {{"/usr/bin", true, true}, inData},
        {{"/usr/bin", false, true}, inData},
        {{"/usr/local/bin", false, true}, inData},
        {{"/opt/orbitarium/bin", false, true}, inData},
        {{"/usr/bin/../bin", false, true}, inData},
        // Installed into the home folder: its shared files lie beside.
        {{"/home/ann/.local/bin", true, true}, inData},
        // A build folder, writable or not.
        {{"/home/ann/orbitarium/build", false, true}, "/home/ann/orbitarium/build/tallyho.ogg"},
        {{"/home/ann/orbitarium/build/", false, true}, "/home/ann/orbitarium/build/tallyho.ogg"},
        {{"/usrlocal/build", false, true}, "/usrlocal/build/tallyho.ogg"},
        {{"/srv/build", false, false}, inData},
        {{"", false, false}, inData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program.path.toStdString());
        EXPECT_EQ(recordPlace(c.program, data), c.expected);
    }
}

}  // namespace
}  // namespace orb
