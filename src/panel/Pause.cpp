// Pause and resume: stops the tick and the score clock and shows the body
// editor, or hides it and starts both again.
#include <cmath>

#include "platform/Fs4x3.h"
#include "platform/FieldText.h"

namespace orb {


bool Fs4x3::paused() const { return !TxTyp->isHidden(); }

void Fs4x3::Command5_Click()
{
    World& w = *world_;
    if (Ti->enabled()) {
        Ti->setEnabled(false);
        TiK->setEnabled(false);
        for (int i = 0; i < 5; ++i) {
            TXTp[i]->show();
            Label6[i]->show();
        }
        TXTOden->show();
        La0->show();
        La16->show();
        TxTyp->show();
        // The selector reaches the bodies of the run, 0..|count| (Go counts a
        // negative text by its absolute value); a maximum below 0 would drag
        // the minimum with it.
        const int count = roundClamp(std::fabs(val(str(TXn->text()))), 0, kMaxBody);
        Qui->setMaximum(count);
        Qui->setValue(1);
        Qui->setValue(roundClamp(val(str(TXTOden->text())), Qui->minimum(), Qui->maximum()));
        if (auto n = toInt16(val(str(TXTOden->text()))); n && *n >= 0 && *n <= kMaxBody) Ocean(*n);
        TiF->setEnabled(true);
        Asgard();
        Qui->show();
        Frame2->show();
        Opadd[0]->setChecked(true);
        Hsp[0]->setMaximum(roundClamp(fieldWidth(), 0, 1 << 30));
        Hsp[1]->setMaximum(roundClamp(fieldHeight(), 0, 1 << 30));
        Chon->show();
        w.KlinK();
        LaChirp[0]->setText("Hit tab to effect changes for typed amounts");
    } else {
        w.KlinK();
        Chon->hide();
        La0->hide();
        for (int i = 0; i < 5; ++i) {
            TXTp[i]->hide();
            Label6[i]->hide();
        }
        TXTOden->hide();
        La16->hide();
        TxTyp->hide();
        Ti->setEnabled(true);
        TiK->setEnabled(true);
        Shark->hide();
        TiF->setEnabled(false);
        Qui->hide();
        Frame2->hide();
        for (int i = 0; i < 4; ++i) {
            TXTp[i]->hide();
            Hsp[i]->hide();
        }
        // Neither mode stays selected; clearing an option runs no handler.
        for (auto* o : Opadd) {
            o->setAutoExclusive(false);
            o->setChecked(false);
            o->setAutoExclusive(true);
        }
    }
}

}  // namespace orb
