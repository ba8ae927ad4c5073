#include "panel/Settings.h"

#include <QGridLayout>
#include <QLabel>
#include <algorithm>
#include <cmath>

#include "engine/TickInputs.h"

#include "platform/FieldText.h"
#include "platform/Widgets.h"

namespace orb {
namespace {

// Writes a whole number back only when the text differs, so a field that
// already holds it keeps its cursor.
void setWhole(QLineEdit* f, int v)
{
    const QString t = QString::number(v);
    if (f->text() != t) f->setText(t);
}

struct FieldSpec {
    const char* name;
    const char* text;
    const char* tip;
    int limit;
};

// In the order of the Setting enumeration.
const FieldSpec kFields[] = {
    {"TXg(0)", "400", "Sol Gravity", 5},
    {"TXg(1)", "40", "Gravity of largest Planet", 5},
    {"TXg(2)", "2", "g=m/r^[?]  Normally the ? = 2", 5},
    {"TXw(0)", "0", "Jupiter Factor", 0},
    {"TXw(1)", "0", "Waterworld Factor", 0},
    {"TXw(2)", "2", "Planetoid Factor", 0},
    {"TXn", "150", "Total Planets", 3},
    {"Text7", "0", "Tag a Planet Number (0=sol)", 0},
    {"Text1", "5", "Planet Radius", 0},
    {"Text5", "5", "Atomic Force Range for bonding and merging planets", 0},
    {"Text4", "1",
     "Volatility (Size = Radius - Core) When Stars are in partial collision, the exchange of matter is in effect "
     "as a random variable. (Visible explosions)",
     0},
    {"Text2", "24", "Start Momentum", 0},
    {"TXt", "15", "Depending on your PC", 0},
    {"TXr0", "3000",
     "r0, twips: with \"Same pull at r0\" checked, every exponent pulls at r0 as hard as the Newtonian law", 0},
};

}  // namespace

Settings::Settings(Stage& stage) : stage_(stage)
{
    for (int k = 0; k < static_cast<int>(fields_.size()); ++k) {
        const FieldSpec& s = kFields[k];
        fields_[k] = makeField(s.name, s.text, s.tip, s.limit);
    }

    physics_ = makeGroup("FramePhysics", "Physics");
    auto* gp = new QGridLayout(physics_);
    gp->setContentsMargins(6, 4, 6, 6);
    gp->setHorizontalSpacing(6);
    gp->setVerticalSpacing(3);
    auto* core = new ClickLabel("La(2)", "Core");
    core->setToolTip("Copy the Radius into the Core");
    auto* radius = new ClickLabel("La(3)", "Radius");
    radius->setToolTip("Copy the Core into the Radius");
    CHgod_ = makeCheck("CHgod", "Spin", "Re-appearing planets get a new momentum (4-dim)");
    CHkeep_ = makeCheck("CHkeep", "Same pull at r0",
                        "g = 10000 m r0^(e-2) / r^e: the exponent changes the law's shape, not its strength, which "
                        "stays the Newtonian one at r0. Unchecked: g = 10000 m / r^e.");
    // One setting a row: its caption, its field and what it is measured in.
    int r = 0;
    auto row = [&](QWidget* lab, Setting s, const char* unit) {
        gp->addWidget(lab, r, 0);
        gp->addWidget(field(s), r, 1);
        gp->addWidget(makeLabel(unit, field(s)->toolTip()), r, 2);
        ++r;
    };
    auto caption = [&](const char* text, Setting s) { return makeLabel(text, field(s)->toolTip()); };
    row(caption("Sol Gravity", Setting::SolGravity), Setting::SolGravity, "mass");
    row(caption("Largest Planet", Setting::PlanetGravity), Setting::PlanetGravity, "mass");
    row(caption("g = m / r^", Setting::Exponent), Setting::Exponent, "0.4 .. 2.6");
    row(CHkeep_, Setting::PullRadius, "twips");
    row(caption("Total Planets", Setting::Planets), Setting::Planets, "3 .. 999");
    row(caption("Planetoid Factor", Setting::Planetoid), Setting::Planetoid, "body no.");
    row(caption("Jupiter Factor", Setting::Jupiter), Setting::Jupiter, "");
    row(caption("Waterworld Factor", Setting::Waterworld), Setting::Waterworld, "");
    row(caption("Tag Planet", Setting::Tag), Setting::Tag, "body no.");
    row(radius, Setting::Radius, "twips");
    row(core, Setting::Core, "twips");
    row(caption("Volatility", Setting::Volatility), Setting::Volatility, "momentum");
    row(caption("Start Momentum", Setting::StartMomentum), Setting::StartMomentum, "twips / tick");
    row(caption("Tick ms", Setting::TickMs), Setting::TickMs, "ms");
    gp->addWidget(CHgod_, r++, 0, 1, 3);
    gp->setColumnStretch(2, 1);

    border_ = makeGroup("FrameBorder", "Border Math");
    border_->setToolTip("What happens to the planet when it leaves the screen?");
    auto* gb = new QGridLayout(border_);
    gb->setContentsMargins(6, 4, 6, 6);
    gb->setSpacing(3);
    const char* opt[7] = {"Slomo", "Wall", "Wrap", "Comet", "Chaos", "4-dim", "die"};
    const char* optTip[7] = {
        "Wrap to other side with half momentum",
        "Bounce",
        "Wrap planet to other side of screen",
        "Bounce but lose half momentum",
        "Appear at random edge of screen with half momentum.",
        "Re-appear in top left corner with NEW momentum (Click spin for best results)",
        "Re-appear in top left corner with NEW momentum (Click spin for best results)",
    };
    for (int i = 0; i < 7; ++i) {
        Och_[i] = makeOption(QString("Och(%1)").arg(i), opt[i], optTip[i]);
        gb->addWidget(Och_[i], i / 4, i % 4);
        connect(Och_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Och_Click(i);
        });
    }

    auto left = [&](Setting s, void (Settings::*handler)()) {
        connect(field(s), &Field::left, this, handler);
    };
    left(Setting::Planets, &Settings::TXn_LostFocus);
    left(Setting::Tag, &Settings::Text7_LostFocus);
    left(Setting::Radius, &Settings::Text1_LostFocus);
    left(Setting::Core, &Settings::Text5_LostFocus);
    left(Setting::Volatility, &Settings::Text4_LostFocus);
    left(Setting::StartMomentum, &Settings::Text2_LostFocus);
    left(Setting::TickMs, &Settings::TXt_LostFocus);
    left(Setting::PullRadius, &Settings::TXr0_LostFocus);
    for (int i = 0; i < 3; ++i)
        connect(fields_[i], &Field::left, this, [this, i] { TXg_LostFocus(i); });
    connect(field(Setting::Planets), &Field::doubleClicked, this, &Settings::TXn_DblClick);
    connect(field(Setting::Volatility), &Field::doubleClicked, this, &Settings::Text4_DblClick);
    connect(core, &ClickLabel::clicked, this, [this] { emit labelClicked(2); });
    connect(radius, &ClickLabel::clicked, this, [this] { emit labelClicked(3); });

    // The window loads with "die" selected, which sets the border divisor.
    Och_[6]->setChecked(true);
}

QString Settings::text(Setting s) const { return field(s)->text(); }

void Settings::setText(Setting s, const QString& text) { field(s)->setText(text); }

int Settings::borderRule() const
{
    for (int i = 0; i < 7; ++i)
        if (Och_[i]->isChecked()) return i;
    return -1;
}

bool Settings::keepPull() const { return CHkeep_->isChecked(); }

void Settings::setKeepPull(bool on) { CHkeep_->setChecked(on); }

double Settings::pullFactor(double exponent) const
{
    return keepPull() ? samePullFactor(pullRadius_, exponent) : 1.0;
}

void Settings::lockFactors()
{
    for (Setting s : {Setting::Jupiter, Setting::Waterworld, Setting::Planetoid}) field(s)->setEnabled(false);
}

void Settings::Och_Click(int index) { stage_.world.borderMode = index == 0 ? 2 : 1; }

void Settings::TXn_LostFocus()
{
    Field* TXn = field(Setting::Planets);
    if (lenient(TXn) > 999) TXn->setText("999");
    if (lenient(TXn) < 3) TXn->setText("3");
    // Whole numbers only, so that Go's strict reading always succeeds.
    const int n = roundClamp(lenient(TXn), 3, kMaxBody);
    setWhole(TXn, n);
    // Slots above the new count take no part in the run.
    for (int i = n + 1; i <= kMaxBody; ++i) stage_.world.outOfPlay[i] = 1;
}

void Settings::TXn_DblClick()
{
    Field* TXn = field(Setting::Planets);
    TXn->setText(numQ(lenient(TXn) + 1));
    if (lenient(TXn) > 999) TXn->setText("999");
}

void Settings::TXg_LostFocus(int i)
{
    if (i < 0 || i > 2) return;
    Field* f = fields_[i];
    if (i < 2 && lenient(f) < 1) f->setText("1");
    // A text that is not a number leaves that gravity as it was.
    if (auto v = strict(text(Setting::PlanetGravity))) stage_.world.gravity[1] = *v;
    if (auto v = strict(text(Setting::SolGravity))) stage_.world.gravity[0] = *v;
    if (i == 2) {
        if (lenient(f) < 0.4) f->setText("0.4");
        if (lenient(f) > 2.6) f->setText("2.6");
    }
}

void Settings::Text1_LostFocus()
{
    World& w = stage_.world;
    Field* Text1 = field(Setting::Radius);
    Field* Text5 = field(Setting::Core);
    w.planetRadius = static_cast<std::int16_t>(roundClamp(lenient(Text1), 1, 32767));
    setWhole(Text1, w.planetRadius);
    // The core never reaches beyond the planet, neither the one in use nor the
    // one in its field, which the next Go reads.
    if (w.coreRadius > w.planetRadius || lenient(Text5) > w.planetRadius) {
        w.coreRadius = w.planetRadius;
        setWhole(Text5, w.coreRadius);
    }
}

void Settings::Text5_LostFocus()
{
    const int radius = roundClamp(lenient(field(Setting::Radius)), 1, 32767);
    Field* Text5 = field(Setting::Core);
    stage_.world.coreRadius = static_cast<std::int16_t>(roundClamp(lenient(Text5), 1, radius));
    setWhole(Text5, stage_.world.coreRadius);
}

void Settings::Text4_LostFocus()
{
    World& w = stage_.world;
    Field* Text4 = field(Setting::Volatility);
    w.volatility = static_cast<std::int16_t>(roundClamp(lenient(Text4), 0, 16383));
    w.volatilitySpan = static_cast<std::int16_t>(2 * w.volatility + 1);
    setWhole(Text4, w.volatility);
}

void Settings::Text4_DblClick()
{
    Field* Text4 = field(Setting::Volatility);
    Text4->setText(numQ(lenient(Text4) - 1));
    if (lenient(Text4) < 0) Text4->setText("0");
}

void Settings::Text2_LostFocus()
{
    World& w = stage_.world;
    Field* Text2 = field(Setting::StartMomentum);
    w.startMomentum = static_cast<std::int16_t>(roundClamp(std::fabs(lenient(Text2)), 0, 32766));
    w.startMomentumSpan = static_cast<std::int16_t>(w.startMomentum + 1);
    w.startMomentumOffset = toInt16(w.startMomentum / 4.0).value_or(0);
    setWhole(Text2, w.startMomentum);
}

void Settings::Text7_LostFocus()
{
    // The tag names a body of the run the next Go starts.
    const int count = roundClamp(std::fabs(lenient(field(Setting::Planets))), 0, kMaxBody);
    Field* Text7 = field(Setting::Tag);
    stage_.world.taggedBody = static_cast<std::int16_t>(roundClamp(lenient(Text7), 0, count));
    setWhole(Text7, stage_.world.taggedBody);
}

void Settings::TXt_LostFocus()
{
    Field* TXt = field(Setting::TickMs);
    const int ms = roundClamp(lenient(TXt), 1, 10000);
    setWhole(TXt, ms);
    emit tickIntervalChanged(ms);
}

void Settings::TXr0_LostFocus()
{
    Field* TXr0 = field(Setting::PullRadius);
    const double r0 = lenient(TXr0);
    pullRadius_ = r0 >= 1 ? std::min(r0, kMaxPullRadius) : 1.0;
    const QString t = numQ(pullRadius_);
    if (TXr0->text() != t) TXr0->setText(t);
}

}  // namespace orb
