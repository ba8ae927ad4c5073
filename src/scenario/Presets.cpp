// The five galaxy presets and the seed ticker.
#include "platform/Fs4x3.h"
#include "platform/FieldText.h"

namespace orb {


void Fs4x3::CDp_Click(int index)
{
    if (index < 0 || index > 4) return;
    World& w = *world_;
    Tr->setEnabled(false);
    Frame1->show();
    rng_->reseed(val(str(TXran->text())));
    if (!TxTyp->isHidden()) Command5->click();  // resume a paused run first

    w.bodyType[1] = 1;
    w.bodyType[2] = 2;
    w.nextStar = 3;
    canvas_.cls();

    w.posY[1] = w.posY[2] = 5760;
    w.posX[1] = 6912;
    w.posX[2] = 8448;
    w.posX[0] = (w.posX[2] + w.posX[1]) / 2;
    w.posY[0] = 5760;

    TXg[1]->setText("100");
    TXg[0]->setText("100");
    w.gravity[1] = val(str(TXg[1]->text()));
    w.gravity[2] = val(str(TXg[0]->text()));
    TXref->setText("10");

    auto autoC = [&](bool first, bool then) {
        CHr->setChecked(first);
        CHr->setChecked(then);
    };
    switch (index) {
    case 0:
        LaChirp[0]->setText(QString("In this model the binary pair lose mass as they emit stars. ") +
                            "Stars emitted earlier (outermost) have more velocity as they are accelerated by a "
                            "greater gravitational force. ");
        SSSlow->setText("30");
        TXn->setText("300");
        TXstarmass->setText(numQ(0.1));
        SSStar->setText(numQ(0.03));
        autoC(false, true);
        break;
    case 1:
        LaChirp[0]->setText(QString("This variation emits heavier stars. ") +
                            "Notice how the binary pair separate as their masses decrease with each emitted star. " +
                            "Click pause to examine (or alter) the mass of the bodies.");
        TXn->setText("150");
        SSSlow->setText("10");
        TXstarmass->setText(numQ(0.5));
        SSStar->setText(numQ(0.03));
        autoC(true, false);
        break;
    case 2:
        LaChirp[0]->setText(QString("Here the momentum of each star starts the same. The binary pair start ") +
                            "out in a uniform (circular) orbit.");
        SSStar->setText("0");
        TXn->setText("250");
        TXMYstar->setText("18");
        TXref->setText("4");
        autoC(false, true);
        Text1->setText("5");
        Text5->setText("5");
        break;
    case 3:
        LaChirp[0]->setText("If you want to alter the variables select this option to start the galaxy. ");
        Frame9->show();
        Frame4->show();
        break;
    case 4:
        LaChirp[0]->setText(QString("Irregular starting momentum of the binary pair gives them a non-circular ") +
                            "orbital structure. This causes the stars' momentum to vary which in turn " +
                            "causes the rotation curves to oscillate.");
        TXMYstar->setText("20");
        TXn->setText("600");
        TXstarmass->setText(numQ(0.2));
        SSStar->setText("0");
        TXref->setText("4");
        SSSlow->setText("4");
        autoC(false, true);
        Text1->setText("5");
        Text5->setText("5");
        Frame9->show();
        break;
    }

    // Every other slot waits, out of play, as a star of the preset's mass.
    const double starMass = val(str(TXstarmass->text()));
    for (int i = 3; i <= kMaxBody; ++i) {
        w.outOfPlay[i] = 1;
        w.gravity[i] = starMass;
    }
    const double v = val(str(TXMYstar->text()));
    w.momY[1] = v;
    w.momY[2] = -v;
    w.momX[1] = 0;
    w.momX[2] = 0;
    Command2->click();
}

void Fs4x3::Tr_Timer()
{
    seedCounter_ = static_cast<std::int16_t>(seedCounter_ + 1);
    if (seedCounter_ > 32000) seedCounter_ = -32000;
    TXran->setText(QString::number(seedCounter_));
}

void Fs4x3::CHran_Click() { Tr->setEnabled(!CHran->isChecked()); }

void Fs4x3::TXran_LostFocus()
{
    // A typed seed is a whole 16-bit number, and typing one freezes it: the
    // ticker would otherwise overwrite it within a few milliseconds.
    const int seed = roundClamp(val(str(TXran->text())), -32768, 32767);
    if (TXran->text() != QString::number(seed)) TXran->setText(QString::number(seed));
    seedCounter_ = static_cast<std::int16_t>(std::clamp(seed, -32000, 32000));
    if (Tr->enabled()) CHran->setChecked(true);
}

void Fs4x3::Frame9_Click() { Frame4->show(); }

}  // namespace orb
