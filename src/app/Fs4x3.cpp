#include "app/Fs4x3.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/RunJournal.h"
#include "app/TimelineBar.h"
#include "app/VideoRecorder.h"
#include "panel/BodyEditor.h"
#include "panel/CurvePanel.h"
#include "panel/Links.h"
#include "panel/Pause.h"
#include "panel/ScoreBoard.h"
#include "panel/Settings.h"
#include "platform/Desktop.h"
#include "platform/FieldView.h"
#include "platform/MessageLine.h"
#include "platform/Pictures.h"
#include "platform/RunState.h"
#include "platform/Stage.h"
#include "platform/Timer.h"
#include "platform/ToolTips.h"
#include "platform/Widgets.h"
#include "scenario/Go.h"
#include "scenario/PresetTable.h"
#include "scenario/Presets.h"
#include "scenario/RunFile.h"
#include "scenario/Scenes.h"
#include "scenario/Simulation.h"
#include "world/TableHash.h"

namespace orb {
namespace {

const char* kStyle = R"(
QMainWindow, QWidget#panel { background: #101218; }
QScrollArea { background: #101218; border: none; }
QDockWidget { color: #d4d8e4; }
QDockWidget::title { background: #23252e; padding: 3px 6px; text-align: left; }
QMainWindow::separator { background: #2a2d36; height: 5px; width: 5px; }
QMainWindow::separator:hover { background: #4a5064; }
QLabel { color: #b8bccb; }
QLabel#LaChirp\(0\) { color: #e8d890; }
QLineEdit { background: rgb(48,48,48); color: #e6e6e6; border: 1px solid #3c3f48; padding: 1px 3px;
            selection-background-color: #5060a0; }
QLineEdit[readOnly="true"] { color: #a0a8b8; }
QLineEdit#TXw\(2\) { color: rgb(128,255,128); }
QLineEdit#TXn { color: rgb(255,192,128); }
QLineEdit:disabled, QLineEdit#TXw\(2\):disabled, QLineEdit#TXn:disabled {
    color: #6c6f78; background: #191b21; border: 1px dashed #33363f; }
QPushButton { background: #272b36; color: #e8e8f0; border: 1px solid #4a5060; border-radius: 3px;
              padding: 3px 8px; }
QPushButton:hover { background: #333a4a; }
QPushButton:pressed { background: #1c2030; }
QComboBox { background: #272b36; color: #e8e8f0; border: 1px solid #4a5060; border-radius: 3px; padding: 1px 6px; }
QComboBox QAbstractItemView { background: #272b36; color: #e8e8f0; selection-background-color: #5060a0; }
QGroupBox { color: #93a8e8; border: 1px solid #2e3444; border-radius: 4px; margin-top: 9px; padding-top: 4px; }
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }
QCheckBox, QRadioButton { color: #d0d4e0; }
QTabWidget::pane { border: 1px solid #2e3444; border-radius: 4px; top: -1px; }
QTabBar::tab { background: #1a1d26; color: #a8b0c8; border: 1px solid #2e3444; padding: 4px 12px;
               border-top-left-radius: 4px; border-top-right-radius: 4px; }
QTabBar::tab:selected { background: #272b36; color: #f0f0f8; }
QScrollBar:horizontal { background: #202228; height: 14px; }
QScrollBar::handle:horizontal { background: #5a6278; min-width: 16px; border-radius: 3px; }
QScrollBar:vertical { background: #15171d; width: 12px; }
QScrollBar::handle:vertical { background: #3c4254; min-height: 24px; border-radius: 4px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QMenuBar { background: #171a22; color: #d8dcea; }
QMenuBar::item:selected { background: #2c3242; }
QMenu { background: #1d2029; color: #d8dcea; border: 1px solid #3a4050; }
QMenu::item:selected { background: #3a4664; }
QMenu::item:disabled { color: #6a7080; }
QStatusBar { background: #171a22; color: #b8bccb; }
QToolTip { color: #101010; background: #f0f0d8; border: 1px solid #808080; }
)"

// Dialogs (file dialogs, messages) are light with dark text throughout, set
// here in full so neither the window's dark rules above nor a dark desktop
// theme reach them half way.
R"(
QDialog { background: #eeeef0; }
QDialog QLabel, QDialog QCheckBox, QDialog QRadioButton { color: #101010; }
QDialog QLineEdit, QDialog QComboBox { background: #ffffff; color: #101010; border: 1px solid #9aa0ae;
    selection-background-color: #b8c8f0; selection-color: #101010; }
QDialog QComboBox QAbstractItemView { background: #ffffff; color: #101010; selection-background-color: #b8c8f0;
    selection-color: #101010; }
QDialog QPushButton, QDialog QToolButton { background: #e2e3e8; color: #101010; border: 1px solid #9aa0ae;
    border-radius: 3px; padding: 3px 8px; }
QDialog QToolButton { padding: 2px; }
QDialog QPushButton:hover, QDialog QToolButton:hover { background: #f4f4f8; }
QDialog QPushButton:pressed, QDialog QToolButton:pressed { background: #cfd2dc; }
QDialog QPushButton:disabled, QDialog QToolButton:disabled { color: #8a8d96; }
QDialog QTreeView, QDialog QListView { background: #ffffff; color: #101010; alternate-background-color: #f4f4f6;
    selection-background-color: #b8c8f0; selection-color: #101010; border: 1px solid #9aa0ae; }
QDialog QHeaderView::section { background: #e2e3e8; color: #101010; border: none;
    border-right: 1px solid #b8bcc6; border-bottom: 1px solid #b8bcc6; padding: 2px 6px; }
QDialog QScrollBar:vertical { background: #e4e5ea; width: 12px; }
QDialog QScrollBar:horizontal { background: #e4e5ea; height: 12px; }
QDialog QScrollBar::handle { background: #a8aebb; border-radius: 4px; }
QDialog QScrollBar::handle:vertical { min-height: 24px; }
QDialog QScrollBar::handle:horizontal { min-width: 24px; }
)";

// Shown beside the tooltip of the galaxy's factor fields once a run has fixed them.
const char* kFixedForTheSession = "(fixed once a run has started: restart the program to change it)";

// The desktop's own keys for an action, or the usual ones where the platform
// names none (a desktop without a theme, or the offscreen platform).
QKeySequence standardKeys(QKeySequence::StandardKey key, const char* usual)
{
    const QKeySequence keys(key);
    return keys.isEmpty() ? QKeySequence(usual) : keys;
}

// Panel pages, in tab order.
enum Page { kGalaxyPage, kPhysicsPage, kBodyPage };

QWidget* column(std::initializer_list<QWidget*> widgets)
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(4, 6, 4, 4);
    v->setSpacing(5);
    for (QWidget* w : widgets) v->addWidget(w);
    v->addStretch(1);
    return page;
}

}  // namespace

Fs4x3::Fs4x3(WindowOptions options, QWidget* parent) : QMainWindow(parent), world_(std::make_unique<World>()),
      runSettings_(std::make_unique<RunSettings>())
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
    endProgram_ = options.endProgram ? options.endProgram : [] { QCoreApplication::exit(0); };
    clock_ = clock;
    askSavePath_ = options.askSavePath;
    askOpenPath_ = options.askOpenPath;
    // Qt's own file dialogs, which take the window's look for dialogs whatever
    // the desktop's dialogs would look like.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    wrapToolTipsEverywhere();

    canvas_ = std::make_unique<FieldCanvas>();
    view_ = new FieldView(*canvas_, this);
    run_ = std::make_unique<RunState>();
    timers_ = std::make_unique<Timers>(this);
    chirp_ = std::make_unique<MessageLine>();
    desktop_ = std::make_unique<Desktop>(this, options.openUrl);
    stage_ = std::make_unique<Stage>(
        Stage{*world_, *runSettings_, *rng_, *clock, *canvas_, *view_, *run_, *timers_, *chirp_, *desktop_});

    settings_ = std::make_unique<Settings>(*stage_);
    editor_ = std::make_unique<BodyEditor>(*stage_, *settings_);
    pause_ = std::make_unique<Pause>(*stage_, *editor_);
    score_ = std::make_unique<ScoreBoard>(*stage_, options.recordFile, options.recordInMemory);
    links_ = std::make_unique<Links>(*stage_, endProgram_);
    go_ = std::make_unique<RunStart>(*stage_, *settings_, *score_, *links_);
    presets_ = std::make_unique<Presets>(*stage_, *settings_, *pause_, *go_);
    simulation_ = std::make_unique<Simulation>(*stage_, *presets_, *editor_,
                                               options.kernels ? *options.kernels : bestKernelSet(),
                                               Threading{options.threads > 0 ? options.threads : usableCores()});
    scenes_ = std::make_unique<Scenes>(*stage_, *settings_, *pause_, *go_);
    // A tick with an event stamps the score clock.
    connect(simulation_.get(), &Simulation::ticked, score_.get(),
            [this] { score_->eventsSeen(simulation_->events()); });
    connect(settings_.get(), &Settings::labelClicked, editor_.get(), &BodyEditor::La_Click);
    // A new tick interval counts from the moment its field is left.
    connect(settings_.get(), &Settings::tickIntervalChanged, this, [this](int ms) {
        if (!run_->idle()) timers_->Ti().setInterval(ms);
    });
    connect(run_.get(), &RunState::changed, this, &Fs4x3::onPhase);

    curve_ = new CurvePanel;
    // The charts at twenty frames a second at most: enough to watch a galaxy
    // turn, for a fraction of what drawing every screen refresh costs.
    curve_->setRedrawInterval(50);
    // The charts count the run's own ticks from the tick it started at.
    connect(go_.get(), &RunStart::started, curve_, [this] { curve_->newRun(simulation_->ticks()); });
    view_->setOnRefresh([this] { refreshCurve(); });

    view_->setTagSource([this]() -> std::optional<QPointF> {
        const int t = world_->taggedBody;
        if (t < 1 || t > lastBody(*world_) || world_->outOfPlay[t] != 0) return std::nullopt;
        return QPointF(world_->posX[t], world_->posY[t]);
    });
    view_->setBodySource([this](std::vector<FieldView::Dot>& dots) {
        const World& w = *world_;
        for (int i = 0; i <= lastBody(w); ++i) {
            if (w.outOfPlay[i] != 0) continue;
            const Rgb c = rgbOf(w.colRed[i], w.colGreen[i], w.colBlue[i]);
            // A body drawn black (sol at the start) is marked in a dim white.
            const QRgb rgb = (c.r | c.g | c.b) ? qRgb(c.r, c.g, c.b) : qRgb(150, 150, 160);
            dots.push_back({w.posX[i], w.posY[i], rgb});
        }
    });
    layOut();
    buildMenus();
    // The journal looks its controls up by name: once they are laid out.
    journal_ = std::make_unique<RunJournal>(*this);
    timeline_ = new TimelineBar(*journal_);
    timeline_->hide();
    static_cast<QBoxLayout*>(centralWidget()->layout())->addWidget(timeline_);
    connect(timeline_, &TimelineBar::refused, this, [this](const QString& why) { say(why); });
    connect(journal_.get(), &RunJournal::replayDone, this, [this](const QString& verdict) { say(verdict); });
    video_ = std::make_unique<VideoRecorder>(*this);
    connect(video_.get(), &VideoRecorder::failed, this, [this](const QString& why) {
        if (QAction* a = action("RecordVideo")) a->setChecked(false);
        desktop_->warn("videoMessage", "Record video", why, QMessageBox::Warning);
    });
    buildRunMenus();
    // The galaxy's factors count for the whole session from the first run on:
    // their fields say so while they take no input.
    for (int i = 0; i < 3; ++i)
        if (auto* f = qobject_cast<Field*>(control(QString("TXw(%1)").arg(i)))) f->setDisabledNote(kFixedForTheSession);
    // Save scene, from the menu or its button, says where the file went.
    if (auto* save = scenes_->buttons()->findChild<QPushButton*>("CDsave")) {
        disconnect(save, &QPushButton::clicked, scenes_.get(), nullptr);
        connect(save, &QPushButton::clicked, this, &Fs4x3::saveScene);
    }
    onPhase();
    // The single keys (Space, ".", "[", "]") drive the run from the start.
    view_->setFocus(Qt::OtherFocusReason);
}

Fs4x3::~Fs4x3()
{
    // The handlers go before the services they use.
    video_.reset();
    journal_.reset();
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
    // The field of play takes all the room the panel column leaves. The panel
    // and the rotation curve share that column, one above the other, at the
    // panel's fixed width: the curve fills the room the panel's pages leave
    // empty, and the field keeps its width whether the curve is shown or not.
    // The field, with the timeline under it when it is shown.
    auto* centre = new QWidget;
    centre->setObjectName("centre");
    auto* fieldColumn = new QVBoxLayout(centre);
    fieldColumn->setContentsMargins(0, 0, 0, 0);
    fieldColumn->setSpacing(0);
    fieldColumn->addWidget(view_, 1);
    setCentralWidget(centre);

    auto* scroll = new QScrollArea;
    scroll->setObjectName("panelScroll");
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedWidth(kPanelWidth);
    auto* panel = new QWidget;
    panel->setObjectName("panel");
    scroll->setWidget(panel);
    panelDock_ = new QDockWidget(this);
    panelDock_->setObjectName("PanelDock");
    panelDock_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    panelDock_->setTitleBarWidget(new QWidget(panelDock_));
    panelDock_->setWidget(scroll);
    addDockWidget(Qt::RightDockWidgetArea, panelDock_);

    auto* col = new QVBoxLayout(panel);
    col->setContentsMargins(8, 6, 8, 8);
    col->setSpacing(5);

    // The run's own controls, each in a place of its own whether shown or not:
    // Go and Pause share one.
    auto* runRow = new QGridLayout;
    runRow->setHorizontalSpacing(6);
    runRow->addWidget(go_->goButton(), 0, 0);
    runRow->addWidget(pause_->button(), 0, 0);
    runRow->addWidget(go_->clearButton(), 0, 1);
    runRow->addWidget(go_->autoClear(), 0, 2);
    runRow->setColumnStretch(3, 1);
    for (QWidget* w : {go_->goButton(), pause_->button(), go_->clearButton(), go_->autoClear()}) keepPlace(w);
    col->addLayout(runRow);

    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(makeLabel("Speed", simulation_->speedControl()->toolTip()));
    speedRow->addWidget(simulation_->speedControl());
    speedRow->addStretch(1);
    speedRow->addWidget(scenes_->buttons());
    col->addLayout(speedRow);
    col->addWidget(links_->linkButtons());

    // The message line keeps a height of its own, so a longer text moves nothing.
    chirp_->widget()->setFixedHeight(4 * chirp_->widget()->fontMetrics().lineSpacing() + 4);
    col->addWidget(chirp_->widget());

    // The rotation curve in a dock of its own beside the panel, shown on request.
    curveDock_ = new QDockWidget("Rotation curve", this);
    curveDock_->setObjectName("CurveDock");
    curveDock_->setWidget(curve_);
    curveDock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                            QDockWidget::DockWidgetFloatable);
    addDockWidget(Qt::RightDockWidgetArea, curveDock_);
    splitDockWidget(panelDock_, curveDock_, Qt::Vertical);
    curveDock_->hide();
    // Shown for the first time, the curve takes the lower part of the column:
    // what the panel's pages leave, but never less than a readable chart.
    connect(curveDock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible || curveSized_ || curveDock_->isFloating()) return;
        curveSized_ = true;
        const int column = panelDock_->height() + curveDock_->height();
        const int curve = std::max(kCurveMinHeight, column - kPanelHeightBesideCurve);
        resizeDocks({panelDock_, curveDock_}, {column - curve, curve}, Qt::Vertical);
    });
    auto* curveButton = makeButton("CDcurve", "Rotation curve",
                                   "Show or hide the rotation curve of the galaxy: each star's speed against its "
                                   "distance from the centre (Ctrl+R)");
    curveButton->setCheckable(true);
    connect(curveButton, &QPushButton::toggled, curveDock_, &QDockWidget::setVisible);
    // The dock itself, not the window, is asked: it also reports while the
    // window is being taken down.
    connect(curveDock_, &QDockWidget::visibilityChanged, curveButton,
            [dock = curveDock_, curveButton](bool) { curveButton->setChecked(dock->isVisible()); });
    auto* curveRow = new QHBoxLayout;
    curveRow->addWidget(curveButton);
    curveRow->addStretch(1);
    col->addLayout(curveRow);

    tabs_ = new QTabWidget;
    tabs_->setObjectName("panelTabs");
    tabs_->addTab(column({presets_->presetGroup(), presets_->starGroups()}), "Galaxy");
    tabs_->addTab(column({settings_->physicsGroup(), settings_->borderGroup()}), "Physics");
    tabs_->addTab(column({editor_->widget()}), "Body");
    tabs_->setTabToolTip(kGalaxyPage, "The galaxy presets, the seed and the star parameters");
    tabs_->setTabToolTip(kPhysicsPage, "The law of gravity, the sizes of the bodies and the border rules");
    tabs_->setTabToolTip(kBodyPage, "The body editor: pick a body while paused and read or change it");
    col->addWidget(tabs_);
    col->addWidget(score_->group());
    col->addStretch(1);

    status_ = new QLabel;
    status_->setObjectName("Status");
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(false);
    statusBeat_ = new QTimer(this);
    connect(statusBeat_, &QTimer::timeout, this, &Fs4x3::updateStatus);
    statusBeat_->start(500);
    connect(score_.get(), &ScoreBoard::recordTrouble, this, &Fs4x3::updateStatus);

    setGeometry(placement(QRect(0, 0, 1600, 1000)));
}

QRect Fs4x3::placement(const QRect& available, const QMargins& frame)
{
    // The field at its own size beside the panel, with room for the menu and
    // the status line; on a smaller screen the field gives way. The frame the
    // window manager draws around the window stays on the screen as well.
    const QRect inside = available.marginsRemoved(frame);
    const QSize preferred(1024 + kPanelWidth, 768 + 56);
    const QSize size = preferred.boundedTo(inside.size());
    return {inside.topLeft() + QPoint((inside.width() - size.width()) / 2, (inside.height() - size.height()) / 2),
            size};
}

QAction* Fs4x3::menuAction(QMenu* menu, const QString& name, const QString& text, const QString& tip,
                           const QKeySequence& keys, std::function<void()> slot)
{
    auto* a = new QAction(text, this);
    a->setObjectName(name);
    a->setStatusTip(tip);
    a->setToolTip(tip);
    if (!keys.isEmpty()) a->setShortcut(keys);
    connect(a, &QAction::triggered, this, std::move(slot));
    menu->addAction(a);
    actions_ << a;
    return a;
}

void Fs4x3::buildMenus()
{
    auto add = [this](QMenu* menu, const QString& name, const QString& text, const QString& tip,
                      const QKeySequence& keys, std::function<void()> slot) {
        return menuAction(menu, name, text, tip, keys, std::move(slot));
    };

    QMenu* file = menuBar()->addMenu("&File");
    for (QAction* a : {
             add(file, "Open", "&Open scene...", "Open a scene file and start it",
                 standardKeys(QKeySequence::Open, "Ctrl+O"), [this] { scenes_->CDopen_Click(); }),
             add(file, "Save", "&Save scene...", "Save the bodies as a scene file",
                 standardKeys(QKeySequence::Save, "Ctrl+S"), [this] { saveScene(); }),
             add(file, "ExportPicture", "&Export picture...", "Save the trails as a PNG picture (1024 x 768)",
                 QKeySequence("Ctrl+E"), [this] { exportPicture(); }),
             add(file, "SaveCurve", "Save &curve...", "Save the rotation curve as CSV: a row per star", {},
                 [this] { saveCurve(); }),
             add(file, "ExportPlot", "Export &plot...", "Save the rotation-curve charts as a PNG picture", {},
                 [this] { exportPlot(); }),
         })
        markOpensDialog(a);
    file->addSeparator();
    fileMenu_ = file;
    add(file, "Quit", "&Quit", "End the program (the record file is always up to date)", standardKeys(QKeySequence::Quit, "Ctrl+Q"),
        [this] { endProgram_(); });

    QMenu* runMenu = menuBar()->addMenu("&Run");
    QMenu* galaxies = runMenu->addMenu("&Galaxy");
    for (int i = 0; i < kPresets; ++i)
        add(galaxies, QString("Preset%1").arg(i), QString::fromStdString(presetTable()[i].caption),
            "Start this galaxy", QKeySequence(QString("Ctrl+%1").arg(i + 1)), [this, i] { presets_->CDp_Click(i); });
    add(runMenu, "PauseResume", "&Pause / Resume", "Pause the run to edit its bodies, or go on",
        QKeySequence(Qt::Key_Space), [this] { pause_->Command5_Click(); });
    add(runMenu, "Step", "&Step one tick", "While paused: one tick of the run", QKeySequence(Qt::Key_Period),
        [this] { simulation_->Step_Click(); });
    QMenu* speed = runMenu->addMenu("Spee&d");
    auto* speeds = new QActionGroup(this);
    for (int s : Simulation::kSpeeds) {
        QAction* a = add(speed, "Speed" + Simulation::speedName(s), Simulation::speedName(s),
                         s ? QString("%1 ticks on each beat of the tick timer").arg(s)
                           : QString("As many ticks as fit in two thirds of each beat"),
                         {}, [this, s] { simulation_->setSpeed(s); });
        a->setCheckable(true);
        a->setChecked(s == simulation_->speed());
        speeds->addAction(a);
    }
    speed->addSeparator();
    auto step = [this](int by) {
        const int n = static_cast<int>(std::size(Simulation::kSpeeds));
        int at = 0;
        for (int k = 0; k < n; ++k)
            if (Simulation::kSpeeds[k] == simulation_->speed()) at = k;
        simulation_->setSpeed(Simulation::kSpeeds[std::clamp(at + by, 0, n - 1)]);
    };
    add(speed, "Faster", "&Faster", "The next speed up", QKeySequence(Qt::Key_BracketRight), [step] { step(1); });
    add(speed, "Slower", "S&lower", "The next speed down", QKeySequence(Qt::Key_BracketLeft), [step] { step(-1); });
    connect(simulation_.get(), &Simulation::speedChanged, this, [this](int s) {
        if (QAction* a = action("Speed" + Simulation::speedName(s))) a->setChecked(true);
        updateStatus();
    });
    add(runMenu, "Clear", "&Clear trails", "Clear Screen", QKeySequence("Ctrl+L"), [this] { go_->Command4_Click(); });

    QMenu* view = menuBar()->addMenu("&View");
    viewMenu_ = view;
    QAction* curveAction = curveDock_->toggleViewAction();
    curveAction->setObjectName("CurvePanel");
    curveAction->setText("&Rotation curve");
    curveAction->setShortcut(QKeySequence("Ctrl+R"));
    curveAction->setStatusTip("Show or hide the rotation-curve panel");
    view->addAction(curveAction);
    actions_ << curveAction;
    QMenu* trails = view->addMenu("&Trails");
    auto* trailModes = new QActionGroup(this);
    QAction* keep = add(trails, "TrailsPersistent", "&Persistent", "Trails stay until the field is cleared", {},
                         [this] { view_->setFading(false); });
    QAction* fade = add(trails, "TrailsFading", "&Fading", "The picture dims a little every frame", {},
                        [this] { view_->setFading(true); });
    for (QAction* a : {keep, fade}) {
        a->setCheckable(true);
        trailModes->addAction(a);
    }
    keep->setChecked(true);
    QAction* full = add(view, "FullScreen", "F&ull screen", "The window fills the screen", standardKeys(QKeySequence::FullScreen, "F11"),
                        [this] { setWindowState(windowState() ^ Qt::WindowFullScreen); });
    full->setCheckable(true);

    QMenu* help = menuBar()->addMenu("&Help");
    add(help, "HomePage", "&Contents", "The program's home page", standardKeys(QKeySequence::HelpContents, "F1"),
        [this] { links_->Command3_Click(); });
    add(help, "SummaryPage", "&Rotation curves", "The summary of rotation curves of galaxies", {},
        [this] { links_->CDsum_Click(); });
    add(help, "About", "&About Orbitarium", "The version and the sources", {}, [this] { about(); });
}

QAction* Fs4x3::action(const QString& name) const
{
    for (QAction* a : actions_)
        if (a->objectName() == name) return a;
    return nullptr;
}

void Fs4x3::onPhase()
{
    const RunPhase p = run_->phase();
    if (QAction* a = action("PauseResume")) {
        a->setEnabled(p != RunPhase::Idle);
        a->setText(p == RunPhase::Paused ? "&Resume" : "&Pause");
    }
    if (QAction* a = action("Step")) a->setEnabled(p == RunPhase::Paused);
    if (QAction* a = action("Clear")) a->setEnabled(p != RunPhase::Idle);
    view_->setPaused(p == RunPhase::Paused);
    // The editor's page comes to the front while paused, and goes again after.
    if (tabs_) {
        if (p == RunPhase::Paused) {
            tabBeforePause_ = tabs_->currentIndex() == kBodyPage ? kGalaxyPage : tabs_->currentIndex();
            tabs_->setCurrentIndex(kBodyPage);
        } else if (p == RunPhase::Running && tabs_->currentIndex() == kBodyPage) {
            tabs_->setCurrentIndex(tabBeforePause_);
        }
    }
    updateStatus();
}

void Fs4x3::updateStatus()
{
    // The window's own clock: under the headless runner a virtual one, so the
    // rate shown is the same in every run of the same actions.
    const long long now = clock_->msSinceMidnight();
    const long long ticks = simulation_->ticks();
    if (lastBeatMs_ >= 0 && now > lastBeatMs_)
        ticksPerSecond_ = static_cast<double>(ticks - lastTicks_) * 1000.0 / static_cast<double>(now - lastBeatMs_);
    lastBeatMs_ = now;
    lastTicks_ = ticks;
    status_->setText(statusText());
    if (!score_->recordProblem().isEmpty()) status_->setToolTip(score_->recordProblem());
}

QString Fs4x3::statusText() const
{
    const World& w = *world_;
    int inPlay = 0;
    for (int i = 0; i <= lastBody(w); ++i)
        if (w.outOfPlay[i] == 0) ++inPlay;
    const int stars = w.nextStar > 3 ? w.nextStar - 3 : 0;
    const char* state = run_->paused() ? "Paused" : run_->running() ? "Running" : "Ready: press a preset";
    QString text = QString("%1  ·  tick %2  ·  %3 ticks/s  ·  %4 in play  ·  %5 emitted  ·  speed %6")
                       .arg(state)
                       .arg(simulation_->ticks())
                       .arg(qRound(run_->running() ? ticksPerSecond_ : 0.0))
                       .arg(inPlay == 1 ? QString("1 body") : QString("%1 bodies").arg(inPlay))
                       .arg(stars == 1 ? QString("1 star") : QString("%1 stars").arg(stars))
                       .arg(Simulation::speedName(simulation_->speed()));
    if (!score_->recordProblem().isEmpty()) text += "  ·  record not saved: " + score_->recordPath();
    if (video_ && video_->recording()) text += "  ·  " + video_->statusText();
    return text;
}

QString Fs4x3::askSavePath(const QString& title, const QString& suggested, const QString& filter)
{
    if (askSavePath_) return askSavePath_(title, suggested, filter);
    QFileDialog d(this, title, suggested, filter);
    d.setOption(QFileDialog::DontUseNativeDialog);
    d.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without its ending gets the suggested one.
    d.setDefaultSuffix(QFileInfo(suggested).suffix());
    // Wide enough for the sizes and dates to read whole.
    d.resize(d.sizeHint().expandedTo(QSize(820, 520)).boundedTo(size()));
    return d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty() ? d.selectedFiles().constFirst() : QString();
}

void Fs4x3::buildRunMenus()
{
    // Beside the scene entries, before Quit.
    QAction* quit = action("Quit");
    auto put = [&](const QString& name, const QString& text, const QString& tip, const QKeySequence& keys,
                   std::function<void()> run) {
        QAction* a = menuAction(fileMenu_, name, text, tip, keys, std::move(run));
        fileMenu_->removeAction(a);
        fileMenu_->insertAction(quit, a);
        return a;
    };
    markOpensDialog(put("OpenRun", "Open &run...", "Open a saved run and replay it", QKeySequence("Ctrl+Shift+O"),
                        [this] { openRun(); }));
    markOpensDialog(put("SaveRun", "Save r&un...", "Save the run as a file that replays it bit for bit",
                        QKeySequence("Ctrl+Shift+S"), [this] { saveRun(); }));
    QAction* record = put("RecordVideo", "Record &video...",
                          "Record the field as a video (MP4, WebM or GIF), a frame every few ticks of the run; "
                          "again to stop and save it",
                          QKeySequence("Ctrl+Shift+V"), [this] { recordVideo(); });
    record->setCheckable(true);
    markOpensDialog(record);
    QAction* withCurve = put("RecordVideoCurve", "Video with the rotation &curve",
                             "Videos show the rotation curve beside the field", {},
                             [this] { video_->options().withCurve = action("RecordVideoCurve")->isChecked(); });
    withCurve->setCheckable(true);
    fileMenu_->insertSeparator(quit);

    QAction* timeline = menuAction(viewMenu_, "Timeline", "&Timeline", "A slider under the field to see any tick of the run again",
                            QKeySequence("Ctrl+T"), [this] { timeline_->setVisible(action("Timeline")->isChecked()); });
    timeline->setCheckable(true);
    menuAction(viewMenu_, "UndoSeek", "&Undo going back", "Back to the run as it was before it went on from a past tick",
        QKeySequence::Undo, [this] { journal_->undo(); });
}

void Fs4x3::recordVideo()
{
    QAction* a = action("RecordVideo");
    if (video_->recording()) {
        const QString path = video_->path();
        if (Status s = video_->stop(); !s)
            desktop_->warn("videoMessage", "Record video", QString::fromStdString(s.error()), QMessageBox::Warning);
        else
            saved("Video", path);
        a->setChecked(false);
        return;
    }
    const QString path = askSavePath("Record video", "orbitarium.mp4", "Videos (*.mp4 *.webm *.gif)");
    if (!path.isEmpty()) {
        if (Status s = video_->start(path); !s)
            desktop_->warn("videoMessage", "Record video", QString::fromStdString(s.error()), QMessageBox::Warning);
    }
    a->setChecked(video_->recording());
    updateStatus();
}

void Fs4x3::say(const QString& message) { statusBar()->showMessage(message, kSavedMessageMs); }

void Fs4x3::saveRun()
{
    const QString path = askSavePath("Save run", "orbitarium.orbrun", "Runs (*.orbrun)");
    if (path.isEmpty()) return;
    if (Status s = saveRun(path); !s)
        desktop_->warn("runMessage", "Save run", QString::fromStdString(s.error()), QMessageBox::Warning);
    else
        saved("Run", path);
}

Status Fs4x3::saveRun(const QString& path)
{
    const auto journal = journal_->journal();
    if (!journal) return fail("there is no run to save: start one first");
    if (journal->entries.size() > kRunMaxEntries)
        return fail(path.toStdString() + ": the run has more than a million inputs, more than a run file holds");
    return writeRunFile(path.toStdString(), *journal);
}

void Fs4x3::openRun()
{
    const QString path = askOpenPath_ ? askOpenPath_("Open run", "Runs (*.orbrun);;All files (*)")
                                      : QFileDialog::getOpenFileName(this, "Open run", {}, "Runs (*.orbrun);;All files (*)",
                                                                     nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    if (Status s = openRun(path); !s)
        desktop_->warn("runMessage", "Open run", QString::fromStdString(s.error()), QMessageBox::Warning);
}

Status Fs4x3::openRun(const QString& path)
{
    const auto journal = readRunFile(path.toStdString());
    if (!journal) return fail(journal.error());
    if (Status s = journal_->play(*journal, QFileInfo(path).fileName()); !s) return s;
    say(QString("Replaying %1 to tick %2").arg(QFileInfo(path).fileName()).arg(journal->endTick));
    return {};
}

void Fs4x3::saved(const QString& what, const QString& path)
{
    statusBar()->showMessage(QString("%1 saved: %2").arg(what, QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())),
                             kSavedMessageMs);
}

void Fs4x3::saveScene()
{
    const QString path = askSavePath("Save scene", "scene.csv", "Scenes (*.csv)");
    if (path.isEmpty()) return;
    if (Status s = scenes_->saveScene(path); !s)
        desktop_->warn("sceneMessage", "Save scene", QString::fromStdString(s.error()), QMessageBox::Warning);
    else
        saved("Scene", path);
}

void Fs4x3::exportPicture()
{
    const QString path = askSavePath("Export picture", "orbitarium.png", "PNG pictures (*.png)");
    if (path.isEmpty()) return;
    if (Status s = savePng(canvas_->image(), path, tableHash(*world_)); !s)
        desktop_->warn("pictureMessage", "Export picture", QString::fromStdString(s.error()), QMessageBox::Warning);
    else
        saved("Picture", path);
}

void Fs4x3::refreshCurve()
{
    curve_->refresh(*world_, {world_->gravityExponent, simulation_->planetoidFactor(), simulation_->pullFactor()},
                    simulation_->ticks());
}

void Fs4x3::saveCurve()
{
    const QString path = askSavePath("Save curve", "curve.csv", "CSV files (*.csv)");
    if (path.isEmpty()) return;
    refreshCurve();
    if (Status s = curve_->saveCurve(path); !s)
        desktop_->warn("curveMessage", "Save curve", QString::fromStdString(s.error()), QMessageBox::Warning);
    else
        saved("Curve", path);
}

void Fs4x3::exportPlot()
{
    const QString path = askSavePath("Export plot", "curve.png", "PNG pictures (*.png)");
    if (path.isEmpty()) return;
    refreshCurve();
    if (Status s = curve_->exportPlot(path); !s)
        desktop_->warn("curveMessage", "Export plot", QString::fromStdString(s.error()), QMessageBox::Warning);
    else
        saved("Plot", path);
}

void Fs4x3::about()
{
    auto* box = new QMessageBox(QMessageBox::Information, "About Orbitarium",
                                QString("<b>Vantor 3 : Orbitarium</b> %1<br>A two-dimensional gravity simulator: "
                                        "galaxy presets, live rotation curves, a body editor.<br><br>"
                                        "The observed rotation curve of NGC 3198 beside the simulated one: %2"
                                        "<br><br>Pages: %3")
                                    .arg(QApplication::applicationVersion(), ngc3198Citation().toHtmlEscaped(),
                                         siteFolder()),
                                QMessageBox::Ok, this);
    box->setObjectName("aboutBox");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

FieldCanvas& Fs4x3::canvas() { return *canvas_; }
FieldView& Fs4x3::fieldView() { return *view_; }
RunState& Fs4x3::run() { return *run_; }

QWidget* Fs4x3::control(const QString& name) const
{
    if (name == objectName()) return const_cast<Fs4x3*>(this);
    return findChild<QWidget*>(name);
}

bool Fs4x3::reveal(QWidget* control)
{
    for (int i = 0; i < tabs_->count(); ++i) {
        if (tabs_->widget(i)->isAncestorOf(control)) {
            tabs_->setCurrentIndex(i);
            return true;
        }
    }
    return false;
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
