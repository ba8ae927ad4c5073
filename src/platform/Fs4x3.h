#pragma once
// The main window "Vantor 3 : Orbitarium": the field on which the bodies move
// and the control panel beside it. It owns the world state; every click, field
// edit and timer tick is one of the handler methods below, which tests and the
// headless runner call directly.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "engine/Ticker.h"
#include "platform/Controls.h"
#include "platform/FieldView.h"
#include "engine/RandomSource.h"
#include "base/TimeSource.h"
#include "platform/Timer.h"
#include "world/World.h"

namespace orb {

class FarewellWindow;

// The program's own web pages, shipped beside it.
QString siteFolder();
QString homePage();
QString summaryPage();

// Reads the tick's settings from their texts; a text that fails its strict
// conversion keeps the last value that passed, so the run goes on.
class TickReader {
public:
    TickInputs read(const QString& exponent, const QString& starInterval, const QString& planetoidFactor);

private:
    std::int16_t starInterval_ = 2;
    double planetoidFactor_ = 2;
};

struct WindowOptions {
    TimeSource* clock = nullptr;      // time of day; the real clock when null
    RandomSource* random = nullptr;   // the window's own generator when null
    QString recordFile;               // the record file; the default place when empty
    // Opens a web address; false when no browser could be started. The
    // desktop's default browser when unset.
    std::function<bool(const QString&)> openUrl;
    // Ends the program; QCoreApplication::exit(0) when unset.
    std::function<void()> endProgram;
};

class Fs4x3 : public QWidget {
    Q_OBJECT
public:
    explicit Fs4x3(WindowOptions options = {}, QWidget* parent = nullptr);
    ~Fs4x3() override;

    World& world() { return *world_; }
    const World& world() const { return *world_; }
    RandomSource& rng() { return *rng_; }
    FieldCanvas& canvas() { return canvas_; }
    FieldView* fieldView() { return view_; }
    const TimeSource& clock() const { return *clock_; }

    // Field size in twips, the window's Width and Height as the engine sees them.
    static double fieldWidth() { return kFieldWidth; }
    static double fieldHeight() { return kFieldHeight; }

    // A control by its name, "TXg(2)" for an element of a control array.
    QWidget* control(const QString& name) const;
    Timer* timer(const QString& name) const;
    QList<Timer*> timers() const;

    // Scene files. Loading presses Go; false with a message when refused.
    bool openScene(const QString& path, QString* error);
    bool saveScene(const QString& path, QString* error) const;

    // ---- Handlers -------------------------------------------------------
    // Run and drawing
    void Command2_Click();  // Go
    void Command5_Click();  // Pause / resume
    void Command4_Click();  // Clear
    void CHr_Click();       // Auto C
    void Och_Click(int index);
    void Ti_Timer();
    void Tiball_Timer();
    // Settings fields
    void TXn_LostFocus();
    void TXn_DblClick();
    void TXg_LostFocus(int index);
    void Text1_LostFocus();
    void Text5_LostFocus();
    void Text4_LostFocus();
    void Text4_DblClick();
    void Text2_LostFocus();
    void Text7_LostFocus();
    void TXt_LostFocus();
    void TXref_LostFocus();
    // Galaxy presets and the seed
    void CDp_Click(int index);
    void Tr_Timer();
    void CHran_Click();
    void TXran_LostFocus();
    void Frame9_Click();
    // Body editor
    void Asgard();
    void SetBody(int n);
    void Ocean(int n);
    void Bifrost();
    void Qui_Change();
    void La_Click(int index);
    void Opadd_Click(int index);
    void Hsp_Change(int index);
    void TXTp_LostFocus(int index);
    void TiF_Timer();
    void Chon_Click();
    // Score clock
    void TiK_Timer();
    // Leaving and the web links
    void Command1_Click();
    void Command3_Click();
    void CDsum_Click();
    void ImMoon_Click();

    FarewellWindow* farewell() const;

    // ---- Controls -------------------------------------------------------
    QPushButton *Command2, *Command5, *Command4, *Command3, *CDsum, *Command1, *CDopen, *CDsave;
    std::array<QPushButton*, 5> CDp{};
    std::array<Field*, 3> TXg{};
    std::array<Field*, 3> TXw{};
    Field *TXn, *Text7, *Text5, *Text1, *Text4, *Text2, *TXt, *TXref;
    Field *TXMYstar, *SSSlow, *SSSpos, *SSStar, *TXstarmass, *SSSmo, *TXran;
    QCheckBox *CHgod, *CHr, *CHran, *Chon;
    QGroupBox* FrameBorder;
    std::array<QRadioButton*, 7> Och{};
    ClickFrame* Frame9;
    QGroupBox *Frame1, *Frame4, *Frame2;
    std::array<QLabel*, 1> LaChirp{};
    QLabel *LaStar, *LaTot, *Label3, *Label2, *Label4, *Label5, *LaTT;
    // Body editor
    Field *TXTOden, *TxTyp;
    std::array<Field*, 5> TXTp{};
    std::array<QLabel*, 5> Label6{};
    std::array<QScrollBar*, 4> Hsp{};
    QScrollBar* Qui;
    std::array<QRadioButton*, 2> Opadd{};
    ClickLabel *La0, *La2, *La3;
    QLabel* La16;
    Marker* Shark;
    ClickLabel* ImMoon;
    // Timers
    Timer *Ti, *TiK, *TiF, *Tiball, *Tr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildPanel();
    void connectHandlers();
    void starHook();
    int selectedBorder() const;
    bool paused() const;
    void openPage(const QString& url);
    ClockHms readClock();
    void readRecord();
    void writeRecord();

    std::unique_ptr<World> world_;
    std::unique_ptr<TimeSource> ownClock_;
    std::unique_ptr<RandomSource> ownRng_;
    TimeSource* clock_;
    RandomSource* rng_;
    std::function<bool(const QString&)> openUrl_;
    std::function<void()> endProgram_;
    FieldCanvas canvas_;
    FieldView* view_ = nullptr;
    Ticker ticker_;
    TickReader reader_;
    std::int16_t seedCounter_ = 0;
    std::int32_t lastClockBase_ = 0;  // score clock: seconds into the current day of the run
    std::int32_t clockDays_ = 0;      // whole days the run has lasted
    QString recordPath_;
    FarewellWindow* farewell_ = nullptr;
    QList<Timer*> timers_;
};

}  // namespace orb
