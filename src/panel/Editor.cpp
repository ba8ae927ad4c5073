// The body editor shown while a run is paused: pick a body by number, read and
// change its position, momentum and gravity, switch it in or out of play.
#include <QStyle>
#include <cmath>

#include "platform/Fs4x3.h"
#include "platform/FieldText.h"

namespace orb {

namespace {


// A body number shown: the nearest whole number 0..999, or nothing.
std::optional<int> bodyNumber(std::optional<double> v)
{
    if (!v) return std::nullopt;
    auto n = toInt16(*v);
    if (!n || *n < 0 || *n > kMaxBody) return std::nullopt;
    return *n;
}

// A body number an edit goes to: exactly a whole number 0..999, so that "1.5"
// never changes body 2.
std::optional<int> editedBody(const QString& text)
{
    const auto v = strictNumber(text.toStdString());
    if (!v || *v != std::floor(*v)) return std::nullopt;
    return bodyNumber(v);
}

void setTextColor(QWidget* w, const QColor& c)
{
    w->setProperty("textColor", c);
    w->setStyleSheet(QString("color: rgb(%1,%2,%3);").arg(c.red()).arg(c.green()).arg(c.blue()));
}

const QColor kOdenBack(48, 48, 48);

}  // namespace

void Fs4x3::Asgard()
{
    const auto n = bodyNumber(val(str(TXTOden->text())));
    if (!n) return;  // no such body: nothing to show
    TxTyp->setText(numQ(world_->bodyType[*n]));
    SetBody(*n);
    Ocean(*n);
    Chon->setChecked(world_->outOfPlay[*n] == 1);
}

void Fs4x3::SetBody(int n)
{
    if (n < 0 || n > kMaxBody) return;
    World& w = *world_;
    auto range = [](double& v, double limit) {
        if (std::isnan(v) || v < -limit) v = -limit;
        else if (v > limit) v = limit;
    };
    range(w.momX[n], 999);
    range(w.momY[n], 999);
    range(w.posX[n], 32768);
    range(w.posY[n], 32768);
    TXTp[0]->setText(numQ(w.posX[n]));
    TXTp[1]->setText(numQ(w.posY[n]));
    TXTp[2]->setText(numQ(w.momX[n]));
    TXTp[3]->setText(numQ(w.momY[n]));
    TXTp[4]->setText(numQ(w.gravity[n]));
}

void Fs4x3::Ocean(int n)
{
    if (n < 0 || n > kMaxBody) return;
    constexpr double size = 225;
    view_->place(Shark, world_->posX[n] - size / 2, world_->posY[n] - size / 2, size, size);
    Shark->show();
    Shark->raise();
}

void Fs4x3::Bifrost()
{
    // Every field must hold a number, or the edit is refused as a whole.
    const auto n = editedBody(TXTOden->text());
    if (!n) return;
    double v[5];
    for (int k = 0; k < 5; ++k) {
        auto x = strictNumber(str(TXTp[k]->text()));
        if (!x) return;
        v[k] = *x;
    }
    World& w = *world_;
    w.posX[*n] = v[0];
    w.posY[*n] = v[1];
    w.momX[*n] = v[2];
    w.momY[*n] = v[3];
    w.gravity[*n] = v[4];
}

void Fs4x3::Qui_Change()
{
    TXTOden->setText(QString::number(Qui->value()));
    Asgard();
}

void Fs4x3::La_Click(int index)
{
    switch (index) {
    case 0: Asgard(); break;
    case 2: Text5->setText(Text1->text()); break;
    case 3: Text1->setText(Text5->text()); break;
    default: break;
    }
}

void Fs4x3::Opadd_Click(int index)
{
    for (int k = 0; k < 4; ++k) {
        if (index == 0) {
            Hsp[k]->hide();
            TXTp[k]->setReadOnly(false);
        } else {
            Hsp[k]->show();
            TXTp[k]->setReadOnly(true);
        }
        TXTp[k]->show();
    }
    // The read-only look follows the property.
    for (int k = 0; k < 4; ++k) {
        TXTp[k]->style()->unpolish(TXTp[k]);
        TXTp[k]->style()->polish(TXTp[k]);
    }
}

void Fs4x3::Hsp_Change(int index)
{
    if (!Opadd[1]->isChecked()) return;
    TXTp[index]->setText(QString::number(Hsp[index]->value()));
    Bifrost();
    Asgard();
}

void Fs4x3::TXTp_LostFocus(int)
{
    // Only the first check that matches acts; a corrected field is applied on
    // the next leave.
    const float width = static_cast<float>(fieldWidth()), height = static_cast<float>(fieldHeight());
    if (lenient(TXTp[0]) < 0) TXTp[0]->setText("0");
    else if (lenient(TXTp[1]) < 0) TXTp[1]->setText("0");
    else if (static_cast<float>(lenient(TXTp[0])) > width) TXTp[0]->setText(numQ(width));
    else if (static_cast<float>(lenient(TXTp[1])) > height) TXTp[1]->setText(numQ(height));
    else if (lenient(TXTp[2]) < -200) TXTp[2]->setText("-200");
    else if (lenient(TXTp[2]) > 200) TXTp[2]->setText("200");
    else if (lenient(TXTp[3]) < -200) TXTp[3]->setText("-200");
    else if (lenient(TXTp[3]) > 200) TXTp[3]->setText("200");
    else if (Opadd[0]->isChecked()) {
        Bifrost();
        Asgard();
    }
}

void Fs4x3::TiF_Timer()
{
    if (Shark->borderColor() == kOdenBack) {
        const double t = lenient(TxTyp);
        QColor border = Shark->borderColor();
        if (t == 0) border = QColor(255, 255, 128);
        else if (t == 1) border = QColor(255, 191, 0);
        else if (t == 2) border = QColor(96, 191, 255);
        else if (t == 3) border = QColor(128, 255, 128);  // the planetoid factor field's text colour
        else if (t == 4) border = QColor(255, 192, 128);  // the planet count field's text colour
        Shark->setBorderColor(border);
        Shark->setFillColor(Qt::black);
        setTextColor(TxTyp, border);
    } else {
        Shark->setBorderColor(kOdenBack);
        Shark->setFillColor(QColor(128, 128, 128));
    }
}

void Fs4x3::Chon_Click()
{
    const auto n = editedBody(TXTOden->text());
    if (Chon->isChecked()) {
        if (n) world_->outOfPlay[*n] = 1;
        setTextColor(Chon, QColor(191, 96, 0));
        Chon->setText("Planet OFF");
    } else {
        if (n) world_->outOfPlay[*n] = 0;
        setTextColor(Chon, QColor(128, 255, 191));
        Chon->setText("Planet ON");
    }
}

}  // namespace orb
