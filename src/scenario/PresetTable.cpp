#include "scenario/PresetTable.h"

#include "base/Numbers.h"
#include "world/Geometry.h"

namespace orb {
namespace {

PresetStep write(std::string name, std::string text) { return {PresetStep::Write, std::move(name), std::move(text)}; }
PresetStep autoC(bool on) { return {PresetStep::AutoC, "CHr", {}, on}; }
PresetStep show(std::string frame) { return {PresetStep::Show, std::move(frame), {}}; }

}  // namespace

const std::array<Preset, kPresets>& presetTable()
{
    static const std::array<Preset, kPresets> table = {{
        {"Light Stars",
         std::string("In this model the binary pair lose mass as they emit stars. ") +
             "Stars emitted earlier (outermost) have more velocity as they are accelerated by a greater "
             "gravitational force. ",
         {write("SSSlow", "30"), write("TXn", "300"), write("TXstarmass", numText(0.1)),
          write("SSStar", numText(0.03)), autoC(false), autoC(true)}},
        {"Heavy Stars",
         std::string("This variation emits heavier stars. ") +
             "Notice how the binary pair separate as their masses decrease with each emitted star. " +
             "Click pause to examine (or alter) the mass of the bodies.",
         {write("TXn", "150"), write("SSSlow", "10"), write("TXstarmass", numText(0.5)),
          write("SSStar", numText(0.03)), autoC(true), autoC(false)}},
        {"Constant Stars",
         std::string("Here the momentum of each star starts the same. The binary pair start ") +
             "out in a uniform (circular) orbit.",
         {write("SSStar", "0"), write("TXn", "250"), write("TXMYstar", "18"), write("TXref", "4"), autoC(false),
          autoC(true), write("Text1", "5"), write("Text5", "5")}},
        {"Variable Model", "If you want to alter the variables select this option to start the galaxy. ",
         {show("Frame9"), show("Frame4")}},
        {"Oscillate",
         std::string("Irregular starting momentum of the binary pair gives them a non-circular ") +
             "orbital structure. This causes the stars' momentum to vary which in turn " +
             "causes the rotation curves to oscillate.",
         {write("TXMYstar", "20"), write("TXn", "600"), write("TXstarmass", numText(0.2)), write("SSStar", "0"),
          write("TXref", "4"), write("SSSlow", "4"), autoC(false), autoC(true), write("Text1", "5"),
          write("Text5", "5"), show("Frame9")}},
        {"Balanced Disc",
         std::string("Every star starts on a circular orbit, so the rotation curve shows the law itself: ") +
             "r^-1/2 under the exponent 2, flat under 1. Type another exponent and press again; "
             "Disc Spread heats the disc.",
         {}},
    }};
    return table;
}

void placePair(World& w)
{
    w.bodyType[1] = 1;
    w.bodyType[2] = 2;
    w.posY[1] = w.posY[2] = kCentreY;
    w.posX[1] = kCentreX - 768;
    w.posX[2] = kCentreX + 768;
    w.posX[0] = (w.posX[2] + w.posX[1]) / 2;
    w.posY[0] = kCentreY;
}

void waitingStars(World& w, double starMass)
{
    for (int i = 3; i <= kMaxBody; ++i) {
        w.outOfPlay[i] = 1;
        w.gravity[i] = starMass;
    }
}

void pairMomentum(World& w, double v)
{
    w.momY[1] = v;
    w.momY[2] = -v;
    w.momX[1] = 0;
    w.momX[2] = 0;
}

}  // namespace orb
