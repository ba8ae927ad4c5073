#pragma once
// The main window "Vantor 3 : Orbitarium": the field on which the bodies move
// and the control panel beside it, with a menu bar and a status line. It owns
// the world state and the services every handler shares, composes the handler
// classes and lays their controls out. Tests and the headless runner reach the
// handlers, the controls and the menu actions through it.

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMargins>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

#include "base/Result.h"
#include "base/TimeSource.h"
#include "engine/PullKernel.h"
#include "engine/RandomSource.h"
#include "world/RunSettings.h"
#include "world/World.h"

class QDockWidget;
class QMenu;
class QTabWidget;

namespace orb {

class BodyEditor;
class CurvePanel;
class Desktop;
class FieldCanvas;
class FieldView;
class Links;
class MessageLine;
class Pause;
class Presets;
class RunJournal;
class TimelineBar;
class VideoRecorder;
class RunStart;
class RunState;
class Scenes;
class ScoreBoard;
class Settings;
class Simulation;
class Timer;
class Timers;
struct Stage;

struct WindowOptions {
    const TimeSource* clock = nullptr;   // time of day; the computer's clock when null
    RandomSource* random = nullptr;      // the window's own generator when null
    QString recordFile;                  // the record file; the default place when empty
    bool recordInMemory = false;         // keep the record in memory only, touching no file
    const KernelSet* kernels = nullptr;  // the pull kernels; the best this processor runs when null
    int threads = 0;                     // threads for the tick; 0: one per core this process may use
    // Opens a web address; false when no browser could be started. The
    // desktop's default browser when unset.
    std::function<bool(const QString&)> openUrl;
    // Ends the program; QCoreApplication::exit(0) when unset.
    std::function<void()> endProgram;
    // Asks where to save (title, suggested name, filter); empty when the user
    // cancels. Qt's own file dialog when unset.
    std::function<QString(const QString&, const QString&, const QString&)> askSavePath;
    // Asks which file to open (title, filter); empty when the user cancels.
    // Qt's own file dialog when unset.
    std::function<QString(const QString&, const QString&)> askOpenPath;
};

class Fs4x3 : public QMainWindow {
    Q_OBJECT
public:
    explicit Fs4x3(WindowOptions options = {}, QWidget* parent = nullptr);
    ~Fs4x3() override;

    World& world() { return *world_; }
    const World& world() const { return *world_; }
    // The run's settings, as the fields last wrote them.
    const RunSettings& runSettings() const { return *runSettings_; }
    RunSettings& runSettings() { return *runSettings_; }
    RandomSource& rng() { return *rng_; }
    FieldCanvas& canvas();
    FieldView& fieldView();
    RunState& run();

    // The handlers, one per concern.
    Settings& settings() { return *settings_; }
    BodyEditor& editor() { return *editor_; }
    Pause& pause() { return *pause_; }
    ScoreBoard& score() { return *score_; }
    Links& links() { return *links_; }
    RunStart& go() { return *go_; }
    Presets& presets() { return *presets_; }
    Simulation& simulation() { return *simulation_; }
    Scenes& scenes() { return *scenes_; }
    CurvePanel& curve() { return *curve_; }
    // The journal of the run under way, and its replays.
    RunJournal& journal() { return *journal_; }
    // The video being recorded, and the options of the next.
    VideoRecorder& video() { return *video_; }
    // The rotation curve read afresh from the body table; the window does it
    // at the screen's rate.
    void refreshCurve();

    // A control by its name, "TXg(2)" for an element of a control array.
    QWidget* control(const QString& name) const;
    // A menu action by its name ("Step", "PauseResume"...), and all of them.
    QAction* action(const QString& name) const;
    QList<QAction*> menuActions() const { return actions_; }
    Timer* timer(const QString& name) const;
    QList<Timer*> timers() const;
    // The status line as shown.
    QString statusText() const;
    // Writes the journal of the run under way to a run file.
    Status saveRun(const QString& path);
    // Reads a run file and replays it: the run under way gives way to it.
    Status openRun(const QString& path);
    // A message in the status line for a while.
    void say(const QString& message);
    TimelineBar& timeline() { return *timeline_; }
    // Brings the panel page that holds the control to the front, as a user
    // clicking its tab would; false when the control lies on no page.
    bool reveal(QWidget* control);

    // The window's size and place on a screen with this available area, given
    // the frame the window manager adds around it: the preferred size, shrunk
    // so that the window and its frame fit.
    static QRect placement(const QRect& available, const QMargins& frame = {});
    static constexpr int kPanelWidth = 376;
    // The rotation curve below the panel, first shown: the panel keeps about
    // this much of the column (its run controls and the top of its pages,
    // the rest a scroll away), the curve at least kCurveMinHeight.
    static constexpr int kPanelHeightBesideCurve = 380;
    static constexpr int kCurveMinHeight = 340;
    // How long the status line says where a file was saved.
    static constexpr int kSavedMessageMs = 15000;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void layOut();
    void buildMenus();
    // A menu action with its name, text, tip and keys, listed among the window's.
    QAction* menuAction(QMenu* menu, const QString& name, const QString& text, const QString& tip,
                        const QKeySequence& keys, std::function<void()> slot);
    void updateStatus();
    void onPhase();
    QString askSavePath(const QString& title, const QString& suggested, const QString& filter);
    // Says in the status line that a file was saved, and where.
    void saved(const QString& what, const QString& path);
    void saveScene();
    // The run menus: Save run, Open run, the timeline.
    void buildRunMenus();
    void saveRun();
    void openRun();
    // File > Record video: starts a video, or stops and saves it.
    void recordVideo();
    void exportPicture();
    void saveCurve();
    void exportPlot();
    void about();

    std::unique_ptr<World> world_;
    std::unique_ptr<RunSettings> runSettings_;
    std::unique_ptr<TimeSource> ownClock_;
    const TimeSource* clock_ = nullptr;
    std::function<QString(const QString&, const QString&, const QString&)> askSavePath_;
    std::function<QString(const QString&, const QString&)> askOpenPath_;
    std::unique_ptr<RandomSource> ownRng_;
    RandomSource* rng_;
    std::unique_ptr<FieldCanvas> canvas_;
    FieldView* view_;
    std::unique_ptr<RunState> run_;
    std::unique_ptr<Timers> timers_;
    std::unique_ptr<MessageLine> chirp_;
    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<Stage> stage_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<BodyEditor> editor_;
    std::unique_ptr<Pause> pause_;
    std::unique_ptr<ScoreBoard> score_;
    std::unique_ptr<Links> links_;
    std::unique_ptr<RunStart> go_;
    std::unique_ptr<Presets> presets_;
    std::unique_ptr<Simulation> simulation_;
    std::unique_ptr<Scenes> scenes_;
    std::unique_ptr<RunJournal> journal_;
    std::unique_ptr<VideoRecorder> video_;
    CurvePanel* curve_ = nullptr;
    QDockWidget* panelDock_ = nullptr;
    QDockWidget* curveDock_ = nullptr;
    bool curveSized_ = false;  // the curve's first showing has set the column's split
    std::function<void()> endProgram_;

    TimelineBar* timeline_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    int tabBeforePause_ = 0;
    QList<QAction*> actions_;
    QLabel* status_ = nullptr;
    QTimer* statusBeat_ = nullptr;
    long long lastTicks_ = 0;
    long long lastBeatMs_ = -1;
    double ticksPerSecond_ = 0;
};

}  // namespace orb
