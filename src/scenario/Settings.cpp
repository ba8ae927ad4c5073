// The settings fields' own handlers: each keeps its value within the range the
// run loops need and writes the corrected number back into the field.
#include <cmath>

#include "platform/Fs4x3.h"
#include "platform/FieldText.h"

namespace orb {

namespace {

// Writes a whole number back only when the text differs, so a field that
// already holds it keeps its cursor.
void setWhole(QLineEdit* f, int v)
{
    const QString t = QString::number(v);
    if (f->text() != t) f->setText(t);
}

}  // namespace

void Fs4x3::TXn_LostFocus()
{
    if (lenient(TXn) > 999) TXn->setText("999");
    if (lenient(TXn) < 3) TXn->setText("3");
    // Whole numbers only, so that Go's strict reading always succeeds.
    const int n = roundClamp(lenient(TXn), 3, kMaxBody);
    setWhole(TXn, n);
    // Slots above the new count take no part in the run.
    for (int i = n + 1; i <= kMaxBody; ++i) world_->outOfPlay[i] = 1;
}

void Fs4x3::TXn_DblClick()
{
    TXn->setText(numQ(lenient(TXn) + 1));
    if (lenient(TXn) > 999) TXn->setText("999");
}

void Fs4x3::TXg_LostFocus(int i)
{
    if (i < 2 && lenient(TXg[i]) < 1) TXg[i]->setText("1");
    // A text that is not a number leaves that gravity as it was.
    if (auto v = strictNumber(str(TXg[1]->text()))) world_->gravity[1] = *v;
    if (auto v = strictNumber(str(TXg[0]->text()))) world_->gravity[0] = *v;
    if (i == 2) {
        if (lenient(TXg[2]) < 0.4) TXg[2]->setText("0.4");
        if (lenient(TXg[2]) > 2.6) TXg[2]->setText("2.6");
    }
}

void Fs4x3::Text1_LostFocus()
{
    World& w = *world_;
    w.planetRadius = static_cast<std::int16_t>(roundClamp(lenient(Text1), 1, 32767));
    setWhole(Text1, w.planetRadius);
    // The core never reaches beyond the planet, neither the one in use nor the
    // one in its field, which the next Go reads.
    if (w.coreRadius > w.planetRadius || lenient(Text5) > w.planetRadius) {
        w.coreRadius = w.planetRadius;
        setWhole(Text5, w.coreRadius);
    }
}

void Fs4x3::Text5_LostFocus()
{
    const int radius = roundClamp(lenient(Text1), 1, 32767);
    world_->coreRadius = static_cast<std::int16_t>(roundClamp(lenient(Text5), 1, radius));
    setWhole(Text5, world_->coreRadius);
}

void Fs4x3::Text4_LostFocus()
{
    World& w = *world_;
    w.volatility = static_cast<std::int16_t>(roundClamp(lenient(Text4), 0, 16383));
    w.volatilitySpan = static_cast<std::int16_t>(2 * w.volatility + 1);
    setWhole(Text4, w.volatility);
}

void Fs4x3::Text4_DblClick()
{
    Text4->setText(numQ(lenient(Text4) - 1));
    if (lenient(Text4) < 0) Text4->setText("0");
}

void Fs4x3::Text2_LostFocus()
{
    World& w = *world_;
    w.startMomentum = static_cast<std::int16_t>(roundClamp(std::fabs(lenient(Text2)), 0, 32766));
    w.startMomentumSpan = static_cast<std::int16_t>(w.startMomentum + 1);
    w.startMomentumOffset = toInt16(w.startMomentum / 4.0).value_or(0);
    setWhole(Text2, w.startMomentum);
}

void Fs4x3::Text7_LostFocus()
{
    // The tag names a body of the run the next Go starts.
    const int count = roundClamp(std::fabs(lenient(TXn)), 0, kMaxBody);
    world_->taggedBody = static_cast<std::int16_t>(roundClamp(lenient(Text7), 0, count));
    setWhole(Text7, world_->taggedBody);
}

void Fs4x3::TXt_LostFocus() { setWhole(TXt, roundClamp(lenient(TXt), 1, 10000)); }

void Fs4x3::TXref_LostFocus() { setWhole(TXref, roundClamp(lenient(TXref), 1, 3600)); }

}  // namespace orb
