// Saving from the window: every save says in the status line where the file
// went, a cancelled one says nothing, and a refused one says why in a message.
#include <QFileInfo>
#include <QStatusBar>

#include "WindowFixture.h"

namespace orb::test {
namespace {

class SavedFilesTest : public WindowTest {
protected:
    struct Save {
        const char* title;  // the question asked
        const char* said;   // how the status line names the file
        std::function<void()> press;
    };
    std::vector<Save> saves()
    {
        auto menu = [this](const char* name) { return [this, name] { w().action(name)->trigger(); }; };
        return {
            {"Save scene", "Scene", menu("Save")},
            {"Save scene", "Scene", [this] { button("CDsave")->click(); }},
            {"Export picture", "Picture", menu("ExportPicture")},
            {"Save curve", "Curve", menu("SaveCurve")},
            {"Export plot", "Plot", menu("ExportPlot")},
        };
    }
    QString message() const { return win->statusBar()->currentMessage(); }
};

TEST_F(SavedFilesTest, EachSaveNamesItsFileInTheStatusLine)
{
    startPreset(2);
    for (int i = 0; i < 20; ++i) w().simulation().Ti_Timer();
    int n = 0;
    for (const Save& s : saves()) {
        SCOPED_TRACE(s.title);
        win->statusBar()->clearMessage();
        asked.clear();
        savePath = dir.filePath(QString("saved-%1").arg(++n));
        s.press();
        EXPECT_EQ(asked, QStringList{s.title});
        ASSERT_TRUE(QFileInfo(savePath).isFile());
        EXPECT_GT(QFileInfo(savePath).size(), 0);
        EXPECT_EQ(message(), QString("%1 saved: %2").arg(s.said, savePath));
    }
}

TEST_F(SavedFilesTest, ACancelledSaveSaysNothingAndARefusedOneSaysWhy)
{
    startPreset(2);
    for (const Save& s : saves()) {
        SCOPED_TRACE(s.title);
        win->statusBar()->clearMessage();
        savePath.clear();
        s.press();
        EXPECT_EQ(message(), "") << "cancelled";

        savePath = dir.filePath("no/such/folder/file");
        s.press();
        EXPECT_EQ(message(), "") << "refused";
        EXPECT_FALSE(QFileInfo::exists(savePath));
        QList<QMessageBox*> boxes;
        for (auto* b : win->findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly))
            if (b->isVisible()) boxes << b;
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes.front()->windowTitle(), s.title);
        boxes.front()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace
}  // namespace orb::test
