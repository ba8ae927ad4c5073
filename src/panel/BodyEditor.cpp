#include "panel/BodyEditor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <cmath>

#include "panel/EditorRules.h"
#include "platform/FieldText.h"
#include "platform/Widgets.h"

namespace orb {
namespace {

void setTextColor(QWidget* w, const QColor& c)
{
    w->setProperty("textColor", c);
    w->setStyleSheet(QString("color: rgb(%1,%2,%3);").arg(c.red()).arg(c.green()).arg(c.blue()));
}

const QColor kOdenBack(48, 48, 48);
constexpr double kMarkerSize = 225;

}  // namespace

BodyEditor::BodyEditor(Stage& stage, Settings& settings) : stage_(stage), settings_(settings)
{
    box_ = new QWidget;
    box_->setObjectName("editor");
    auto* ge = new QGridLayout(box_);
    ge->setContentsMargins(0, 2, 0, 0);
    ge->setHorizontalSpacing(6);
    ge->setVerticalSpacing(3);
    La0_ = new ClickLabel("La(0)", "Planet        #");
    TXTOden_ = makeField("TXTOden", "0", "Planetary Body Number", 3, 44);
    La0_->setToolTip("Show the body whose number is typed beside (Enter or Tab in the number does the same)");
    La16_ = makeValue("La(16)", "Planet Type");
    TxTyp_ = makeField("TxTyp", "", "1 = Large Star, 2 = Small Star, 3 = Planets", 3, 36);
    TxTyp_->setReadOnly(true);
    Qui_ = new QScrollBar(Qt::Horizontal);
    Qui_->setObjectName("Qui");
    Qui_->setRange(0, 150);
    Qui_->setValue(1);
    ge->addWidget(La0_, 0, 0);
    ge->addWidget(TXTOden_, 0, 1);
    ge->addWidget(La16_, 0, 2);
    ge->addWidget(TxTyp_, 0, 3);
    ge->addWidget(Qui_, 1, 0, 1, 4);
    const char* tips[5] = {"Horizontal Position", "Vertical Position", "Horizontal Momentum", "Vertical Momentum",
                           "Gravity of Planet"};
    // Label6 elements are numbered in the order Y, X, Ym, Xm, G.
    const int labelOf[5] = {1, 0, 3, 2, 4};
    const char* labelText[5] = {"Y", "X", "Ym", "Xm", "G"};
    for (int k = 0; k < 5; ++k) {
        TXTp_[k] = makeField(QString("TXTp(%1)").arg(k), "", tips[k], k == 4 ? 9 : 0, 132);
        const int l = labelOf[k];
        Label6_[l] = makeValue(QString("Label6(%1)").arg(l), labelText[l]);
        ge->addWidget(Label6_[l], 2 + k, 0);
        ge->addWidget(TXTp_[k], 2 + k, 1);
        connect(TXTp_[k], &Field::left, this, [this, k] { TXTp_LostFocus(k); });
        if (k < 4) {
            auto* h = new QScrollBar(Qt::Horizontal);
            h->setObjectName(QString("Hsp(%1)").arg(k));
            if (k < 2) {
                h->setRange(0, k == 0 ? kFieldWidth : kFieldHeight);
                h->setSingleStep(15);
                h->setPageStep(300);
            } else {
                h->setRange(-999, 999);
                h->setSingleStep(1);
                h->setPageStep(10);
            }
            h->setMinimumWidth(96);
            ge->addWidget(h, 2 + k, 2, 1, 2);
            connect(h, &QScrollBar::valueChanged, this, [this, k] { Hsp_Change(k); });
            Hsp_[k] = h;
        }
    }
    Frame2_ = makeGroup("Frame2", {});
    auto* g2 = new QHBoxLayout(Frame2_);
    g2->setContentsMargins(6, 2, 6, 2);
    Opadd_[0] = makeOption("Opadd(0)", "num", "Move Planet with Decimal Accuracy");
    Opadd_[1] = makeOption("Opadd(1)", "visual", "Move Planet with Scrollbars");
    for (int i = 0; i < 2; ++i) {
        g2->addWidget(Opadd_[i]);
        connect(Opadd_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Opadd_Click(i);
        });
    }
    Chon_ = makeCheck("Chon", "Planet off");
    ge->addWidget(Frame2_, 7, 0, 1, 2);
    ge->addWidget(Chon_, 7, 2, 1, 2);

    Shark_ = new Marker("Shark", &stage_.view);
    stage_.view.place(Shark_, 0, 0, kMarkerSize, kMarkerSize);

    connect(Qui_, &QScrollBar::valueChanged, this, &BodyEditor::Qui_Change);
    // A number typed into "#" picks that body when the field is left, as a
    // click on "Planet" does.
    connect(TXTOden_, &Field::left, this, [this] { La_Click(0); });
    connect(La0_, &ClickLabel::clicked, this, [this] { La_Click(0); });
    connect(Chon_, &QCheckBox::toggled, this, &BodyEditor::Chon_Click);
    connect(&stage_.timers.TiF(), &Timer::timeout, this, &BodyEditor::TiF_Timer);

    // Hidden until the first pause, each keeping its place meanwhile.
    for (QWidget* w : std::initializer_list<QWidget*>{La0_, TXTOden_, La16_, TxTyp_, Qui_, Frame2_, Chon_}) {
        keepPlace(w);
        w->hide();
    }
    for (int k = 0; k < 5; ++k) {
        keepPlace(TXTp_[k]);
        keepPlace(Label6_[k]);
    }
    for (auto* h : Hsp_) {
        keepPlace(h);
        h->hide();
    }
    setFieldsShown(false);
    Shark_->hide();
    hint_ = makeValue("editorHint", "Pause the run to pick a body and read or change it.");
    hint_->setWordWrap(true);
    ge->addWidget(hint_, 8, 0, 1, 4);
    ge->setRowStretch(9, 1);
}

void BodyEditor::setFieldsShown(bool shown)
{
    for (int i = 0; i < 5; ++i) {
        TXTp_[i]->setVisible(shown);
        Label6_[i]->setVisible(shown);
    }
}

void BodyEditor::open(int count)
{
    hint_->hide();
    setFieldsShown(true);
    TXTOden_->show();
    La0_->show();
    La16_->show();
    TxTyp_->show();
    // The selector reaches the bodies of the run, 0..count; each change of its
    // value selects and shows that body.
    Qui_->setMaximum(count);
    Qui_->setValue(1);
    Qui_->setValue(roundClamp(lenient(TXTOden_), Qui_->minimum(), Qui_->maximum()));
    if (auto n = shownBody(lenient(TXTOden_))) Ocean(*n);
    stage_.timers.TiF().setEnabled(true);
    Asgard();
    Qui_->show();
    Frame2_->show();
    Opadd_[0]->setChecked(true);
    Hsp_[0]->setMaximum(kFieldWidth);
    Hsp_[1]->setMaximum(kFieldHeight);
    Chon_->show();
}

void BodyEditor::close()
{
    Chon_->hide();
    La0_->hide();
    setFieldsShown(false);
    TXTOden_->hide();
    La16_->hide();
    TxTyp_->hide();
    Shark_->hide();
    stage_.timers.TiF().setEnabled(false);
    Qui_->hide();
    Frame2_->hide();
    for (auto* h : Hsp_) h->hide();
    hint_->show();
    // Neither mode stays selected; clearing an option runs no handler.
    for (auto* o : Opadd_) {
        o->setAutoExclusive(false);
        o->setChecked(false);
        o->setAutoExclusive(true);
    }
}

void BodyEditor::Asgard()
{
    const auto n = shownBody(lenient(TXTOden_));
    if (!n) return;  // no such body: nothing to show
    TxTyp_->setText(numQ(stage_.world.bodyType[*n]));
    SetBody(*n);
    Ocean(*n);
    Chon_->setChecked(stage_.world.outOfPlay[*n] == 1);
}

void BodyEditor::SetBody(int n)
{
    if (n < 0 || n > kMaxBody) return;
    World& w = stage_.world;
    rangeBody(w, n);
    emit tableEdited(n);
    const double values[5] = {w.posX[n], w.posY[n], w.momX[n], w.momY[n], w.gravity[n]};
    for (int k = 0; k < 5; ++k) TXTp_[k]->display(numQ(values[k]));
}

void BodyEditor::Ocean(int n)
{
    if (n < 0 || n > kMaxBody) return;
    const double x = stage_.world.posX[n], y = stage_.world.posY[n];
    stage_.view.place(Shark_, x - kMarkerSize / 2, y - kMarkerSize / 2, kMarkerSize, kMarkerSize);
    Shark_->show();
    Shark_->raise();
    stage_.view.update();  // the body's mark follows an edit
}

void BodyEditor::Bifrost()
{
    // Every field must hold a number, or the edit is refused as a whole.
    const auto n = editedBody(str(TXTOden_->text()));
    if (!n) return;
    double v[5];
    for (int k = 0; k < 5; ++k) {
        auto x = strict(TXTp_[k]->text());
        if (!x) return;
        v[k] = *x;
    }
    World& w = stage_.world;
    w.posX[*n] = v[0];
    w.posY[*n] = v[1];
    w.momX[*n] = v[2];
    w.momY[*n] = v[3];
    w.gravity[*n] = v[4];
    emit tableEdited(*n);
}

void BodyEditor::Qui_Change()
{
    TXTOden_->setText(QString::number(Qui_->value()));
    Asgard();
}

void BodyEditor::La_Click(int index)
{
    switch (index) {
    case 0: Asgard(); break;
    case 2: settings_.copyRadiusToCore(); break;
    case 3: settings_.copyCoreToRadius(); break;
    default: break;
    }
}

void BodyEditor::Opadd_Click(int index)
{
    for (int k = 0; k < 4; ++k) {
        Hsp_[k]->setVisible(index != 0);
        TXTp_[k]->setReadOnly(index != 0);
        TXTp_[k]->show();
        // The read-only look follows the property.
        TXTp_[k]->style()->unpolish(TXTp_[k]);
        TXTp_[k]->style()->polish(TXTp_[k]);
    }
}

void BodyEditor::Hsp_Change(int index)
{
    // Only the four position and momentum bars exist.
    if (index < 0 || index >= static_cast<int>(Hsp_.size()) || !Opadd_[1]->isChecked()) return;
    TXTp_[index]->setText(QString::number(Hsp_[index]->value()));
    Bifrost();
    Asgard();
}

void BodyEditor::TXTp_LostFocus(int)
{
    EditorTexts texts;
    for (int k = 0; k < 5; ++k) texts[k] = str(TXTp_[k]->text());
    // Only the first check that matches acts; a corrected field is applied on
    // the next leave.
    if (auto fix = leaveCheck(texts, kFieldWidth, kFieldHeight)) {
        TXTp_[fix->field]->setText(QString::fromStdString(fix->text));
    } else if (Opadd_[0]->isChecked()) {
        Bifrost();
        Asgard();
    }
}

void BodyEditor::TiF_Timer()
{
    if (Shark_->borderColor() == kOdenBack) {
        QColor border = Shark_->borderColor();
        if (auto c = markerColour(lenient(TxTyp_))) border = QColor(c->r, c->g, c->b);
        Shark_->setBorderColor(border);
        Shark_->setFillColor(Qt::black);
        setTextColor(TxTyp_, border);
    } else {
        Shark_->setBorderColor(kOdenBack);
        Shark_->setFillColor(QColor(128, 128, 128));
    }
}

void BodyEditor::Chon_Click()
{
    const auto n = editedBody(str(TXTOden_->text()));
    const bool off = Chon_->isChecked();
    if (n) {
        stage_.world.outOfPlay[*n] = off ? 1 : 0;
        emit tableEdited(*n);
    }
    setTextColor(Chon_, off ? QColor(191, 96, 0) : QColor(128, 255, 191));
    Chon_->setText(off ? "Planet OFF" : "Planet ON");
}

}  // namespace orb
