// Starting a run: Go, "Auto C" and the automatic clear.
#include <cmath>

#include "platform/Fs4x3.h"
#include "platform/FieldText.h"

namespace orb {


void Fs4x3::Command2_Click()
{
    World& w = *world_;
    CHr->show();
    TXref->show();
    ImMoon->hide();

    // The binary pair: red and amber.
    w.colRed[1] = 255;
    w.colGreen[1] = 0;
    w.colBlue[1] = 0;
    w.colRed[2] = 255;
    w.colGreen[2] = 191;
    w.colBlue[2] = 0;

    // Planets run from blue (low numbers) to green (high numbers). The planet
    // count field keeps a whole number in 3..999; should it hold anything else,
    // the colouring stops at the slots the table has.
    int n = 0;
    if (auto v = strictInt16(str(TXn->text()))) n = std::min<int>(*v, kMaxBody);
    else n = roundClamp(val(str(TXn->text())), 0, kMaxBody);
    for (int k = 3; k <= n; ++k) {
        const double count = val(str(TXn->text()));
        const auto d = toInt16(k / count * 255);
        if (!d) continue;
        w.colGreen[k] = *d;
        w.colBlue[k] = static_cast<float>(255 - *d);
        w.colRed[k] = static_cast<float>(std::floor(rng_->rnd() * 150.0) + 50);
    }

    Command4->show();
    CHran->hide();
    for (auto* f : TXw) f->setEnabled(false);
    Command2->hide();
    Command5->show();

    w.startClock = readClock();
    // A new run starts its score clock from zero, with no event stamped yet.
    w.runSeconds = 0;
    w.clockOffset = 0;
    lastClockBase_ = 0;
    clockDays_ = 0;
    TiK->setEnabled(true);

    // Settings from the panel; a value that does not fit keeps the last one.
    if (auto v = toInt16(val(str(Text7->text())))) w.taggedBody = *v;
    if (auto v = toInt16(val(str(Text5->text())))) w.coreRadius = *v;
    if (auto v = toInt16(std::fabs(val(str(TXn->text()))))) w.bodyCount = std::min<std::int16_t>(*v, kMaxBody);
    if (auto v = toInt16(val(str(Text1->text())))) w.planetRadius = *v;

    // A tick interval of 0 or less would stop the timer: the last valid one stays.
    if (auto ms = toInt32(val(str(TXt->text()))); ms && *ms > 0) Ti->setInterval(*ms);
    w.scoreFactor = (w.bodyCount + 1.0) * (w.bodyCount + 1.0) / 100.0;
    Ti->setEnabled(true);

    if (CHr->isChecked()) {
        if (auto ms = toInt32(val(str(TXref->text())) * 1000); ms && *ms > 0) Tiball->setInterval(*ms);
        Tiball->setEnabled(true);
    }
}

void Fs4x3::CHr_Click()
{
    if (CHr->isChecked()) {
        TXref->show();
        Tiball->setEnabled(false);
        if (auto ms = toInt32(val(str(TXref->text())) * 1000); ms && *ms > 0) Tiball->setInterval(*ms);
        Tiball->setEnabled(true);
    } else {
        TXref->hide();
        Tiball->setEnabled(false);
    }
}

void Fs4x3::Tiball_Timer()
{
    // While paused the picture stays, so edits can be seen against the trails.
    if (TXTOden->isHidden()) canvas_.cls();
}

}  // namespace orb
