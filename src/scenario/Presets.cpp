#include "scenario/Presets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/FieldText.h"
#include "platform/Widgets.h"
#include "base/Numbers.h"
#include "scenario/BalancedDisc.h"
#include "scenario/PresetTable.h"

namespace orb {

Presets::Presets(Stage& stage, Settings& settings, Pause& pause, RunStart& go)
    : stage_(stage), settings_(settings), pause_(pause), go_(go)
{
    presets_ = makeGroup("FramePresets", "Preset Parameters");
    auto* pg = new QGridLayout(presets_);
    pg->setContentsMargins(6, 4, 6, 6);
    pg->setSpacing(4);
    for (int i = 0; i < kPresets; ++i) {
        const Preset& preset = presetTable()[i];
        CDp_[i] = makeButton(QString("CDp(%1)").arg(i), QString::fromStdString(preset.caption),
                             "Start this galaxy (Ctrl+" + QString::number(i + 1) + "): " +
                                 QString::fromStdString(preset.explanation));
        pg->addWidget(CDp_[i], i / 2, i % 2);
        connect(CDp_[i], &QPushButton::clicked, this, [this, i] { CDp_Click(i); });
    }
    TXran_ = makeField("TXran", settings_.text(Setting::Seed), "Randomizer Seed", 6, 60);
    settings_.bind(Setting::Seed, TXran_);
    CHran_ = makeCheck("CHran", "Random", "Freeze Seed for Predetermined Planetary Data");
    auto* seedRow = new QHBoxLayout;
    seedRow->addWidget(makeLabel("Seed", "Randomizer Seed"));
    seedRow->addWidget(TXran_);
    seedRow->addWidget(CHran_);
    seedRow->addStretch(1);
    pg->addLayout(seedRow, 3, 0, 1, 2);
    TXspread_ = makeField("TXspread", settings_.text(Setting::DiscSpread),
                          "Velocity spread of the Balanced Disc: each star's momentum gets a random kick of about "
                          "this fraction of its circular speed in each direction (0: every star on its circle; "
                          "0 .. 1)",
                          6, 60);
    settings_.bind(Setting::DiscSpread, TXspread_);
    auto* spreadRow = new QHBoxLayout;
    spreadRow->addWidget(makeLabel("Disc Spread", TXspread_->toolTip()));
    spreadRow->addWidget(TXspread_);
    spreadRow->addWidget(makeLabel("x circular speed", TXspread_->toolTip()));
    spreadRow->addStretch(1);
    pg->addLayout(spreadRow, 4, 0, 1, 2);

    stars_ = new QWidget;
    auto* col = new QVBoxLayout(stars_);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(5);

    Frame1_ = makeGroup("Frame1", "Galaxy");
    auto* g1 = new QHBoxLayout(Frame1_);
    g1->setContentsMargins(6, 2, 6, 4);
    LaStar_ = makeValue("LaStar");
    LaStar_->setMinimumWidth(40);
    const QString starsTip = "The number of the star the binary pair emitted last";
    LaStar_->setToolTip(starsTip);
    g1->addWidget(makeLabel("Stars Live", starsTip));
    g1->addWidget(LaStar_);
    g1->addStretch(1);
    col->addWidget(Frame1_);

    auto starField = [&](Setting s, const char* tip) {
        const std::string name(RunSettings::name(s));
        Field* f = makeField(QString::fromStdString(name), settings_.text(s), tip);
        settings_.bind(s, f);
        return f;
    };
    Frame9_ = new ClickFrame("Frame9", "Alter these randomly");
    Frame9_->setToolTip("Click to show the star parameters");
    auto* g9 = new QGridLayout(Frame9_);
    g9->setContentsMargins(6, 4, 6, 6);
    Field* SSSpos = starField(Setting::StarSpread, "Randomness for starting star positions. Set to zero for uniform results.");
    Field* SSStar = starField(Setting::StarVariation,
                              "Variation for starting star momentum. Set to zero for uniform starting star momentum.");
    g9->addWidget(makeLabel("Position", SSSpos->toolTip()), 0, 0);
    g9->addWidget(SSSpos, 0, 1);
    g9->addWidget(makeLabel("Momentum", SSStar->toolTip()), 0, 2);
    g9->addWidget(SSStar, 0, 3);
    col->addWidget(Frame9_);

    Frame4_ = makeGroup("Frame4", "Star Parameters");
    auto* g4 = new QGridLayout(Frame4_);
    g4->setContentsMargins(6, 4, 6, 6);
    Field* TXMYstar = starField(Setting::PairMomentum, "Momentum of Binary Pair. 18 = circular orbits.");
    Field* SSSlow = starField(Setting::StarInterval, "Speed for new star generation. 0 is quickest.");
    Field* TXstarmass = starField(Setting::StarMass, "Mass of star in proportion to white hole = 100");
    Field* SSSmo =
        starField(Setting::StarDivisor, "Constant divisor for momentum of new stars. Zero is fastest, 1 is slower.");
    g4->addWidget(makeLabel("Pair Momentum", TXMYstar->toolTip()), 0, 0);
    g4->addWidget(TXMYstar, 0, 1);
    g4->addWidget(makeLabel("Star Speed", SSSlow->toolTip()), 0, 2);
    g4->addWidget(SSSlow, 0, 3);
    g4->addWidget(makeLabel("Star Mass", TXstarmass->toolTip()), 1, 0);
    g4->addWidget(TXstarmass, 1, 1);
    g4->addWidget(makeLabel("Divisor", SSSmo->toolTip()), 1, 2);
    g4->addWidget(SSSmo, 1, 3);
    col->addWidget(Frame4_);

    connect(CHran_, &QCheckBox::toggled, this, &Presets::CHran_Click);
    connect(&settings_, &Settings::settingLeft, this, [this](Setting s) {
        if (s == Setting::Seed) seedLeft();
    });
    connect(Frame9_, &ClickFrame::clicked, this, &Presets::Frame9_Click);
    connect(&stage_.timers.Tr(), &Timer::timeout, this, &Presets::Tr_Timer);
    // Once a run exists the seed is no longer chosen here.
    connect(&stage_.run, &RunState::changed, this, [this](RunPhase p) {
        if (p != RunPhase::Idle) CHran_->hide();
    });

    for (QWidget* w : {static_cast<QWidget*>(CHran_), static_cast<QWidget*>(Frame1_), static_cast<QWidget*>(Frame4_)})
        keepPlace(w);
    Frame1_->hide();
    Frame4_->hide();
}

void Presets::showStar(int n) { LaStar_->setText(QString::number(n)); }

void Presets::write(const QString& name, const QString& text)
{
    if (auto s = RunSettings::named(str(name))) settings_.setText(*s, text);
}

void Presets::CDp_Click(int index)
{
    if (index < 0 || index >= kPresets) return;
    World& w = stage_.world;
    stage_.timers.Tr().setEnabled(false);
    Frame1_->show();
    stage_.rng.reseed(settings_.model().lenient(Setting::Seed));
    if (stage_.run.paused()) pause_.Command5_Click();  // resume a paused run first

    w.nextStar = 3;
    stage_.canvas.cls();
    if (index == kBalancedDisc) startBalancedDisc();
    else startPairGalaxy(index);
    go_.Command2_Click();
}

void Presets::startPairGalaxy(int index)
{
    World& w = stage_.world;
    placePair(w);
    // The central body and the pair take part in the new galaxy whatever the
    // last run left of them: a pair lost to the border would otherwise leave
    // the stars to spring from places where nothing is.
    for (int i = 0; i <= 2; ++i) w.outOfPlay[i] = 0;
    settings_.setText(Setting::PlanetGravity, "100");
    settings_.setText(Setting::SolGravity, "100");
    w.gravity[1] = settings_.model().lenient(Setting::PlanetGravity);
    w.gravity[2] = settings_.model().lenient(Setting::SolGravity);
    go_.setClearTimeText("10");

    const Preset& preset = presetTable()[index];
    stage_.chirp.say(QString::fromStdString(preset.explanation));
    for (const PresetStep& step : preset.steps) {
        const QString name = QString::fromStdString(step.name);
        switch (step.kind) {
        case PresetStep::Write: write(name, QString::fromStdString(step.text)); break;
        case PresetStep::AutoC: go_.setAutoClear(step.on); break;
        case PresetStep::Show: (name == "Frame9" ? static_cast<QWidget*>(Frame9_) : Frame4_)->show(); break;
        }
    }

    waitingStars(w, settings_.model().lenient(Setting::StarMass));
    pairMomentum(w, settings_.model().lenient(Setting::PairMomentum));
}

void Presets::startBalancedDisc()
{
    World& w = stage_.world;
    // The disc's mass is the pair's two masses of 100 gathered at the centre,
    // so its stars turn at the pace of the other galaxies' stars.
    settings_.setText(Setting::SolGravity, "200");
    settings_.setKeepPull(true);
    // Stars merge only when they pass within a twip of each other: a disc
    // heated by a change of law, whose orbits cross, then keeps its stars.
    settings_.setText(Setting::Core, "1");
    go_.setClearTimeText("10");
    stage_.chirp.say(QString::fromStdString(presetTable()[kBalancedDisc].explanation));

    const RunSettings& s = settings_.model();
    DiscSettings disc;
    // The exponent as the tick will read it on the first tick.
    disc.exponent = s.exponent();
    disc.pullFactor = s.pullFactor(disc.exponent);
    disc.centralMass = s.lenient(Setting::SolGravity);
    disc.starMass = s.lenient(Setting::StarMass);
    disc.lastStar = roundClamp(s.lenient(Setting::Planets), 3, kMaxBody);
    disc.spread = s.left(Setting::DiscSpread);
    const DiscResult placed = placeBalancedDisc(w, disc, stage_.rng);
    // Nothing is left to emit, as after loading a scene.
    w.nextStar = 0;
    LaStar_->setText(QString::number(placed.stars));
}

void Presets::Tr_Timer()
{
    seedCounter_ = static_cast<std::int16_t>(seedCounter_ + 1);
    if (seedCounter_ > 32000) seedCounter_ = -32000;
    settings_.setText(Setting::Seed, QString::number(seedCounter_));
}

void Presets::CHran_Click() { stage_.timers.Tr().setEnabled(!CHran_->isChecked()); }

void Presets::TXran_LostFocus() { settings_.leave(Setting::Seed); }

void Presets::seedLeft()
{
    // Typing a seed freezes it: the ticker would otherwise overwrite it within
    // a few milliseconds.
    const int seed = static_cast<int>(settings_.model().left(Setting::Seed));
    seedCounter_ = static_cast<std::int16_t>(std::clamp(seed, -32000, 32000));
    if (stage_.timers.Tr().enabled()) CHran_->setChecked(true);
}

void Presets::Frame9_Click() { Frame4_->show(); }

void Presets::TXspread_LostFocus() { settings_.leave(Setting::DiscSpread); }

}  // namespace orb
