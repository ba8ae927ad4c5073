#include "app/Fs4x3.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "panel/BodyEditor.h"
#include "panel/Links.h"
#include "panel/Pause.h"
#include "panel/ScoreBoard.h"
#include "panel/Settings.h"
#include "platform/Desktop.h"
#include "platform/FieldView.h"
#include "platform/MessageLine.h"
#include "platform/RunState.h"
#include "platform/Stage.h"
#include "platform/Timer.h"
#include "scenario/Go.h"
#include "scenario/Presets.h"
#include "scenario/Scenes.h"
#include "scenario/Simulation.h"

namespace orb {
namespace {

const char* kStyle = R"(
Fs4x3, QWidget#panel { background: #101218; }
QScrollArea { background: #101218; border: none; }
QLabel { color: #b8bccb; }
QLabel#LaChirp\(0\) { color: #e8d890; }
QLineEdit { background: rgb(48,48,48); color: #e6e6e6; border: 1px solid #3c3f48; padding: 1px 3px;
            selection-background-color: #5060a0; }
QLineEdit:disabled { color: #808080; background: #26272b; }
QLineEdit[readOnly="true"] { color: #a0a8b8; }
QLineEdit#TXw\(2\) { color: rgb(128,255,128); }
QLineEdit#TXn { color: rgb(255,192,128); }
QPushButton { background: #272b36; color: #e8e8f0; border: 1px solid #4a5060; border-radius: 3px;
              padding: 3px 8px; }
QPushButton:hover { background: #333a4a; }
QPushButton:pressed { background: #1c2030; }
QGroupBox { color: #93a8e8; border: 1px solid #2e3444; border-radius: 4px; margin-top: 9px; padding-top: 4px; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }
QCheckBox, QRadioButton { color: #d0d4e0; }
QScrollBar:horizontal { background: #202228; height: 14px; }
QScrollBar::handle:horizontal { background: #5a6278; min-width: 16px; border-radius: 3px; }
QMessageBox QLabel { color: #101010; }
QToolTip { color: #101010; background: #f0f0d8; border: 1px solid #808080; }
)";

}  // namespace

Fs4x3::Fs4x3(WindowOptions options, QWidget* parent) : QWidget(parent), world_(std::make_unique<World>())
{
    setObjectName("Fs4x3");
    setWindowTitle("Vantor 3 : Orbitarium");
    const TimeSource* clock = options.clock;
    if (!clock) {
        ownClock_ = std::make_unique<SystemTime>();
        clock = ownClock_.get();
    }
    rng_ = options.random;
    if (!rng_) {
        ownRng_ = std::make_unique<SeededRandom>();
        rng_ = ownRng_.get();
    }
    auto endProgram = options.endProgram ? options.endProgram : [] { QCoreApplication::exit(0); };

    canvas_ = std::make_unique<FieldCanvas>();
    view_ = new FieldView(*canvas_, this);
    run_ = std::make_unique<RunState>();
    timers_ = std::make_unique<Timers>(this);
    chirp_ = std::make_unique<MessageLine>();
    desktop_ = std::make_unique<Desktop>(this, options.openUrl);
    stage_ = std::make_unique<Stage>(
        Stage{*world_, *rng_, *clock, *canvas_, *view_, *run_, *timers_, *chirp_, *desktop_});

    settings_ = std::make_unique<Settings>(*stage_);
    editor_ = std::make_unique<BodyEditor>(*stage_, *settings_);
    pause_ = std::make_unique<Pause>(*stage_, *settings_, *editor_);
    score_ = std::make_unique<ScoreBoard>(*stage_, options.recordFile);
    links_ = std::make_unique<Links>(*stage_, endProgram);
    go_ = std::make_unique<RunStart>(*stage_, *settings_, *score_, *links_);
    presets_ = std::make_unique<Presets>(*stage_, *settings_, *pause_, *go_);
    simulation_ = std::make_unique<Simulation>(*stage_, *settings_, *presets_,
                                               options.kernels ? *options.kernels : bestKernelSet());
    scenes_ = std::make_unique<Scenes>(*stage_, *settings_, *pause_, *go_);
    connect(settings_.get(), &Settings::labelClicked, editor_.get(), &BodyEditor::La_Click);

    view_->setTagSource([this]() -> std::optional<QPointF> {
        const int t = world_->taggedBody;
        if (t < 1 || t > world_->bodyCount || t > kMaxBody || world_->outOfPlay[t] != 0) return std::nullopt;
        return QPointF(world_->posX[t], world_->posY[t]);
    });
    layOut();
}

Fs4x3::~Fs4x3()
{
    // The handlers go before the services they use.
    scenes_.reset();
    simulation_.reset();
    presets_.reset();
    go_.reset();
    links_.reset();
    score_.reset();
    pause_.reset();
    editor_.reset();
    settings_.reset();
}

void Fs4x3::layOut()
{
    setStyleSheet(kStyle);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(view_, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("panelScroll");
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedWidth(404);
    auto* panel = new QWidget;
    panel->setObjectName("panel");
    scroll->setWidget(panel);
    outer->addWidget(scroll);

    auto* col = new QVBoxLayout(panel);
    col->setContentsMargins(8, 6, 8, 8);
    col->setSpacing(5);

    auto* runRow = new QHBoxLayout;
    runRow->addWidget(go_->goButton());
    runRow->addWidget(pause_->button());
    runRow->addWidget(go_->clearButton());
    runRow->addStretch(1);
    runRow->addWidget(go_->autoClear());
    col->addLayout(runRow);

    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(scenes_->buttons());
    linkRow->addWidget(links_->linkButtons(), 1);
    col->addLayout(linkRow);

    // While paused the editor sits right under the run buttons, in view.
    col->addWidget(editor_->widget());
    col->addWidget(presets_->presetGroup());
    col->addWidget(chirp_->widget());
    col->addWidget(presets_->starGroups());
    col->addWidget(settings_->physicsGroup());
    col->addWidget(settings_->borderGroup());
    col->addWidget(score_->group());
    col->addStretch(1);

    resize(1024 + 404, 790);
}

FieldCanvas& Fs4x3::canvas() { return *canvas_; }
FieldView& Fs4x3::fieldView() { return *view_; }
RunState& Fs4x3::run() { return *run_; }

QWidget* Fs4x3::control(const QString& name) const
{
    if (name == objectName()) return const_cast<Fs4x3*>(this);
    return findChild<QWidget*>(name);
}

Timer* Fs4x3::timer(const QString& name) const { return timers_->find(name); }

QList<Timer*> Fs4x3::timers() const { return timers_->all(); }

void Fs4x3::closeEvent(QCloseEvent* e)
{
    // Closing from the desktop leads to the farewell window, as "X" does.
    e->ignore();
    links_->Command1_Click();
}

}  // namespace orb
