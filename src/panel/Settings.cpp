#include "panel/Settings.h"

#include <QGridLayout>
#include <QLabel>

#include "platform/FieldText.h"
#include "platform/Widgets.h"

namespace orb {
namespace {

// A physics field: the setting it edits, its tooltip and how many characters
// a user may type into it (0: no limit).
struct FieldRow {
    Setting setting;
    const char* tip;
    int limit;
};

const FieldRow kFields[] = {
    {Setting::SolGravity, "Sol Gravity", 5},
    {Setting::PlanetGravity, "Gravity of largest Planet", 5},
    {Setting::Exponent, "g=m/r^[?]  Normally the ? = 2", 5},
    {Setting::Jupiter, "Jupiter Factor", 0},
    {Setting::Waterworld, "Waterworld Factor", 0},
    {Setting::Planetoid, "Planetoid Factor", 0},
    {Setting::Planets, "Total Planets", 3},
    {Setting::Tag, "Tag a Planet Number (0=sol)", 0},
    {Setting::Radius, "Planet Radius", 0},
    {Setting::Core, "Atomic Force Range for bonding and merging planets", 0},
    {Setting::Volatility,
     "Volatility (Size = Radius - Core) When Stars are in partial collision, the exchange of matter is in effect "
     "as a random variable. (Visible explosions)",
     0},
    {Setting::StartMomentum, "Start Momentum", 0},
    {Setting::TickMs, "Depending on your PC", 0},
    {Setting::PullRadius,
     "r0, twips: with \"Same pull at r0\" checked, every exponent pulls at r0 as hard as the Newtonian law", 0},
};

}  // namespace

Settings::Settings(Stage& stage) : stage_(stage)
{
    for (const FieldRow& f : kFields) {
        const std::string_view name = RunSettings::name(f.setting);
        bind(f.setting, makeField(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                                  QString::fromStdString(model().text(f.setting)), f.tip, f.limit));
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

    connect(CHgod_, &QCheckBox::toggled, this, [this](bool on) { stage_.settings.spin = on; });
    connect(CHkeep_, &QCheckBox::toggled, this, [this](bool on) { stage_.settings.keepPull = on; });
    connect(field(Setting::Planets), &Field::doubleClicked, this, &Settings::TXn_DblClick);
    connect(field(Setting::Volatility), &Field::doubleClicked, this, &Settings::Text4_DblClick);
    connect(core, &ClickLabel::clicked, this, [this] { emit labelClicked(2); });
    connect(radius, &ClickLabel::clicked, this, [this] { emit labelClicked(3); });

    // The window loads with "die" selected, which sets the border divisor.
    Och_[6]->setChecked(true);
}

void Settings::bind(Setting s, Field* f)
{
    fields_[static_cast<int>(s)] = f;
    show(s);
    connect(f, &QLineEdit::textChanged, this, [this, s](const QString& t) {
        if (model().text(s) == str(t)) return;
        stage_.settings.setText(s, str(t));
        emit edited(s);
    });
    connect(f, &Field::left, this, [this, s] { leave(s); });
}

void Settings::show(Setting s)
{
    Field* f = field(s);
    if (!f) return;
    const QString t = text(s);
    if (f->text() != t) f->setText(t);
}

void Settings::setText(Setting s, const QString& text)
{
    stage_.settings.setText(s, str(text));
    show(s);
}

void Settings::leave(Setting s)
{
    stage_.settings.leave(s, stage_.world);
    show(s);
    // The planet's radius also corrects the core.
    if (s == Setting::Radius) show(Setting::Core);
    if (s == Setting::TickMs) emit tickIntervalChanged(static_cast<int>(model().left(s)));
    emit settingLeft(s);
}

void Settings::showAll()
{
    const RunSettings saved = model();
    for (int k = 0; k < kSettings; ++k) show(static_cast<Setting>(k));
    CHgod_->setChecked(saved.spin);
    CHkeep_->setChecked(saved.keepPull);
    for (int i = 0; i < kBorderRules; ++i) Och_[i]->setChecked(i == saved.borderRule);
    // The widgets' echoes went through the model's own rules: the values it
    // kept stand as they were.
    stage_.settings = saved;
}

void Settings::setKeepPull(bool on) { CHkeep_->setChecked(on); }

void Settings::lockFactors()
{
    for (Setting s : {Setting::Jupiter, Setting::Waterworld, Setting::Planetoid}) field(s)->setEnabled(false);
}

void Settings::Och_Click(int index)
{
    stage_.settings.setBorderRule(index, stage_.world);
    emit borderRuleChosen(model().borderRule);
}

void Settings::copy(Setting from, Setting to)
{
    setText(to, text(from));
    emit edited(to);
}

void Settings::TXn_LostFocus() { leave(Setting::Planets); }

void Settings::TXn_DblClick()
{
    stage_.settings.doubleClick(Setting::Planets);
    show(Setting::Planets);
    emit edited(Setting::Planets);
}

void Settings::TXg_LostFocus(int i)
{
    if (i < 0 || i > 2) return;
    leave(i == 0 ? Setting::SolGravity : i == 1 ? Setting::PlanetGravity : Setting::Exponent);
}

void Settings::Text1_LostFocus() { leave(Setting::Radius); }

void Settings::Text5_LostFocus() { leave(Setting::Core); }

void Settings::Text4_LostFocus() { leave(Setting::Volatility); }

void Settings::Text4_DblClick()
{
    stage_.settings.doubleClick(Setting::Volatility);
    show(Setting::Volatility);
    emit edited(Setting::Volatility);
}

void Settings::Text2_LostFocus() { leave(Setting::StartMomentum); }

void Settings::Text7_LostFocus() { leave(Setting::Tag); }

void Settings::TXt_LostFocus() { leave(Setting::TickMs); }

void Settings::TXr0_LostFocus() { leave(Setting::PullRadius); }

}  // namespace orb
