#include "platform/Fs4x3.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QTime>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/FieldText.h"
#include "platform/Pictures.h"
#include "scenario/StarMaker.h"
#include "world/SceneFile.h"

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

TickInputs TickReader::read(const QString& exponent, const QString& starInterval, const QString& planetoidFactor)
{
    TickInputs in;
    in.gravityExponent = val(str(exponent));
    if (auto v = strictInt16(str(starInterval))) starInterval_ = *v;
    if (auto v = strictNumber(str(planetoidFactor))) planetoidFactor_ = *v;
    in.starInterval = starInterval_;
    in.planetoidFactor = planetoidFactor_;
    return in;
}

Fs4x3::Fs4x3(WindowOptions options, QWidget* parent)
    : QWidget(parent),
      world_(std::make_unique<World>()),
      openUrl_(std::move(options.openUrl)),
      endProgram_(std::move(options.endProgram))
{
    setObjectName("Fs4x3");
    setWindowTitle("Vantor 3 : Orbitarium");
    if (options.clock) {
        clock_ = options.clock;
    } else {
        ownClock_ = std::make_unique<SystemTime>();
        clock_ = ownClock_.get();
    }
    if (options.random) {
        rng_ = options.random;
    } else {
        ownRng_ = std::make_unique<SeededRandom>();
        rng_ = ownRng_.get();
    }
    if (!openUrl_) openUrl_ = [](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); };
    if (!endProgram_) endProgram_ = [] { QCoreApplication::exit(0); };
    recordPath_ = options.recordFile;

    Ti = new Timer("Ti", 15, false, this);
    TiK = new Timer("TiK", 30, false, this);
    TiF = new Timer("TiF", 500, false, this);
    Tiball = new Timer("Tiball", 5000, false, this);
    Tr = new Timer("Tr", 15, true, this);
    timers_ = {Ti, TiK, TiF, Tiball, Tr};

    buildPanel();
    connectHandlers();

    // The window loads with "die" selected, which sets the border divisor.
    Och[6]->setChecked(true);
    readRecord();
}

Fs4x3::~Fs4x3() = default;

void Fs4x3::buildPanel()
{
    setStyleSheet(kStyle);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    view_ = new FieldView(canvas_, this);
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

    auto button = [&](const QString& name, const QString& caption, const QString& tip = {}) {
        auto* b = new QPushButton(caption);
        b->setObjectName(name);
        if (!tip.isEmpty()) b->setToolTip(tip);
        b->setAutoDefault(false);
        return b;
    };
    auto field = [&](const QString& name, const QString& text, const QString& tip, int maxLen = 0,
                     int width = 64) {
        auto* f = new Field(name, text);
        if (!tip.isEmpty()) f->setToolTip(tip);
        if (maxLen > 0) f->setTypingLimit(maxLen);
        f->setFixedWidth(width);
        return f;
    };
    auto label = [&](const QString& text, const QString& tip = {}) {
        auto* l = new QLabel(text);
        if (!tip.isEmpty()) l->setToolTip(tip);
        return l;
    };
    auto named = [&](QLabel* l, const QString& name) {
        l->setObjectName(name);
        return l;
    };

    // Run buttons.
    Command2 = button("Command2", "Go");
    Command5 = button("Command5", "Pause");
    Command4 = button("Command4", "Clear", "Clear Screen");
    CHr = new QCheckBox("Auto C");
    CHr->setObjectName("CHr");
    CHr->setToolTip("Auto Clear Screen");
    TXref = field("TXref", "5", "Clear Screen Time", 5, 44);
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(Command2);
    runRow->addWidget(Command5);
    runRow->addWidget(Command4);
    runRow->addStretch(1);
    runRow->addWidget(CHr);
    runRow->addWidget(TXref);
    col->addLayout(runRow);

    CDopen = button("CDopen", "Open...", "Open a scene file and start it");
    CDsave = button("CDsave", "Save...", "Save the bodies as a scene file");
    Command3 = button("Command3", "www");
    CDsum = button("CDsum", "www Summary");
    Command1 = button("Command1", "X");
    Command1->setFixedWidth(32);
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(CDopen);
    linkRow->addWidget(CDsave);
    linkRow->addStretch(1);
    linkRow->addWidget(Command3);
    linkRow->addWidget(CDsum);
    linkRow->addWidget(Command1);
    col->addLayout(linkRow);

    // Presets and the seed.
    auto* presets = new QGroupBox("Preset Parameters");
    presets->setObjectName("FramePresets");
    auto* pg = new QGridLayout(presets);
    pg->setContentsMargins(6, 4, 6, 6);
    pg->setSpacing(4);
    const char* captions[5] = {"Light Stars", "Heavy Stars", "Constant Stars", "Variable Model", "Oscillate"};
    for (int i = 0; i < 5; ++i) {
        CDp[i] = button(QString("CDp(%1)").arg(i), captions[i]);
        pg->addWidget(CDp[i], i / 2, i % 2);
    }
    TXran = field("TXran", "33333", "Randomizer Seed", 6, 60);
    CHran = new QCheckBox("Random");
    CHran->setObjectName("CHran");
    CHran->setToolTip("Freeze Seed for Predetermined Planetary Data");
    auto* seedRow = new QHBoxLayout;
    seedRow->addWidget(label("Seed", "Randomizer Seed"));
    seedRow->addWidget(TXran);
    seedRow->addWidget(CHran);
    seedRow->addStretch(1);
    pg->addLayout(seedRow, 2, 1);
    col->addWidget(presets);

    LaChirp[0] = named(new QLabel, "LaChirp(0)");
    LaChirp[0]->setWordWrap(true);
    LaChirp[0]->setMinimumHeight(48);
    LaChirp[0]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    col->addWidget(LaChirp[0]);

    // The galaxy under way.
    Frame1 = new QGroupBox("Galaxy");
    Frame1->setObjectName("Frame1");
    auto* g1 = new QHBoxLayout(Frame1);
    g1->setContentsMargins(6, 2, 6, 4);
    LaStar = named(new QLabel("0"), "LaStar");
    LaStar->setMinimumWidth(40);
    g1->addWidget(label("Stars Live"));
    g1->addWidget(LaStar);
    g1->addStretch(1);
    col->addWidget(Frame1);

    // Star parameters.
    Frame9 = new ClickFrame("Frame9", "Alter these randomly");
    Frame9->setToolTip("Click to show the star parameters");
    auto* g9 = new QGridLayout(Frame9);
    g9->setContentsMargins(6, 4, 6, 6);
    SSSpos = field("SSSpos", "0", "Randomness for starting star positions. Set to zero for uniform results.");
    SSStar = field("SSStar", "0", "Variation for starting star momentum. Set to zero for uniform starting star momentum.");
    g9->addWidget(label("Position", SSSpos->toolTip()), 0, 0);
    g9->addWidget(SSSpos, 0, 1);
    g9->addWidget(label("Momentum", SSStar->toolTip()), 0, 2);
    g9->addWidget(SSStar, 0, 3);
    col->addWidget(Frame9);

    Frame4 = new QGroupBox("Star Parameters");
    Frame4->setObjectName("Frame4");
    auto* g4 = new QGridLayout(Frame4);
    g4->setContentsMargins(6, 4, 6, 6);
    TXMYstar = field("TXMYstar", "18", "Momentum of Binary Pair. 18 = circular orbits.");
    SSSlow = field("SSSlow", "2", "Speed for new star generation. 0 is quickest.");
    TXstarmass = field("TXstarmass", "0.1", "Mass of star in proportion to white hole = 100");
    SSSmo = field("SSSmo", ".42", "Constant divisor for momentum of new stars. Zero is fastest, 1 is slower.");
    g4->addWidget(label("Pair Momentum", TXMYstar->toolTip()), 0, 0);
    g4->addWidget(TXMYstar, 0, 1);
    g4->addWidget(label("Star Speed", SSSlow->toolTip()), 0, 2);
    g4->addWidget(SSSlow, 0, 3);
    g4->addWidget(label("Star Mass", TXstarmass->toolTip()), 1, 0);
    g4->addWidget(TXstarmass, 1, 1);
    g4->addWidget(label("Divisor", SSSmo->toolTip()), 1, 2);
    g4->addWidget(SSSmo, 1, 3);
    col->addWidget(Frame4);

    // Physics.
    auto* physics = new QGroupBox("Physics");
    physics->setObjectName("FramePhysics");
    auto* gp = new QGridLayout(physics);
    gp->setContentsMargins(6, 4, 6, 6);
    gp->setHorizontalSpacing(6);
    gp->setVerticalSpacing(3);
    TXg[0] = field("TXg(0)", "400", "Sol Gravity", 5);
    TXg[1] = field("TXg(1)", "40", "Gravity of largest Planet", 5);
    TXg[2] = field("TXg(2)", "2", "g=m/r^[?]  Normally the ? = 2", 5);
    TXw[0] = field("TXw(0)", "0", "Jupiter Factor");
    TXw[1] = field("TXw(1)", "0", "Waterworld Factor");
    TXw[2] = field("TXw(2)", "2", "Planetoid Factor");
    TXn = field("TXn", "150", "Total Planets", 3);
    Text7 = field("Text7", "0", "Tag a Planet Number (0=sol)");
    Text1 = field("Text1", "5", "Planet Radius");
    Text5 = field("Text5", "5", "Atomic Force Range for bonding and merging planets");
    Text4 = field("Text4", "1",
                  "Volatility (Size = Radius - Core) When Stars are in partial collision, the exchange of matter "
                  "is in effect as a random variable. (Visible explosions)");
    Text2 = field("Text2", "24", "Start Momentum");
    TXt = field("TXt", "15", "Depending on your PC");
    La2 = new ClickLabel("La(2)", "Core");
    La2->setToolTip("Copy the Radius into the Core");
    La3 = new ClickLabel("La(3)", "Radius");
    La3->setToolTip("Copy the Core into the Radius");
    int r = 0;
    auto pair = [&](int row, int c, QWidget* lab, QWidget* f) {
        gp->addWidget(lab, row, c * 2);
        gp->addWidget(f, row, c * 2 + 1);
    };
    pair(r, 0, label("Sol Gravity", TXg[0]->toolTip()), TXg[0]);
    pair(r++, 1, label("Largest Planet", TXg[1]->toolTip()), TXg[1]);
    pair(r, 0, label("g = m / r^", TXg[2]->toolTip()), TXg[2]);
    pair(r++, 1, label("Total Planets", TXn->toolTip()), TXn);
    pair(r, 0, label("Jupiter Factor", TXw[0]->toolTip()), TXw[0]);
    pair(r++, 1, label("Waterworld Factor", TXw[1]->toolTip()), TXw[1]);
    pair(r, 0, label("Planetoid Factor", TXw[2]->toolTip()), TXw[2]);
    pair(r++, 1, label("Tag Planet", Text7->toolTip()), Text7);
    pair(r, 0, La3, Text1);
    pair(r++, 1, La2, Text5);
    pair(r, 0, label("Volatility", Text4->toolTip()), Text4);
    pair(r++, 1, label("Start Momentum", Text2->toolTip()), Text2);
    CHgod = new QCheckBox("Spin");
    CHgod->setObjectName("CHgod");
    CHgod->setToolTip("Re-appearing planets get a new momentum (4-dim)");
    pair(r, 0, label("Tick ms", TXt->toolTip()), TXt);
    gp->addWidget(CHgod, r++, 2, 1, 2);
    col->addWidget(physics);

    // Border rules.
    FrameBorder = new QGroupBox("Border Math");
    FrameBorder->setObjectName("FrameBorder");
    FrameBorder->setToolTip("What happens to the planet when it leaves the screen?");
    auto* gb = new QGridLayout(FrameBorder);
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
        Och[i] = new QRadioButton(opt[i]);
        Och[i]->setObjectName(QString("Och(%1)").arg(i));
        Och[i]->setToolTip(optTip[i]);
        gb->addWidget(Och[i], i / 4, i % 4);
    }
    col->addWidget(FrameBorder);

    // Score clock.
    auto* score = new QGroupBox("Score");
    score->setObjectName("FrameScore");
    auto* gs = new QGridLayout(score);
    gs->setContentsMargins(6, 4, 6, 6);
    gs->setVerticalSpacing(2);
    auto value = [&](const QString& name) {
        auto* l = named(new QLabel("0"), name);
        l->setMinimumWidth(56);
        l->setStyleSheet("color: #f0f0f0;");
        return l;
    };
    LaTot = value("LaTot");
    Label3 = value("Label3");
    Label2 = value("Label2");
    Label4 = value("Label4");
    Label5 = value("Label5");
    LaTT = value("LaTT");
    gs->addWidget(label("Score"), 0, 0);
    gs->addWidget(Label3, 0, 1);
    gs->addWidget(label("Best"), 0, 2);
    gs->addWidget(Label4, 0, 3);
    gs->addWidget(label("Record"), 0, 4);
    gs->addWidget(Label5, 0, 5);
    gs->addWidget(label("Planets"), 1, 0);
    gs->addWidget(LaTot, 1, 1);
    gs->addWidget(label("Run s"), 1, 2);
    gs->addWidget(Label2, 1, 3);
    gs->addWidget(label("Calm s"), 1, 4);
    gs->addWidget(LaTT, 1, 5);
    col->addWidget(score);

    // Body editor, shown while paused.
    auto* editor = new QWidget;
    editor->setObjectName("editor");
    auto* ge = new QGridLayout(editor);
    ge->setContentsMargins(0, 2, 0, 0);
    ge->setHorizontalSpacing(6);
    ge->setVerticalSpacing(3);
    La0 = new ClickLabel("La(0)", "Planet        #");
    TXTOden = field("TXTOden", "0", "Planetary Body Number", 3, 44);
    La16 = named(new QLabel("Planet Type"), "La(16)");
    TxTyp = field("TxTyp", "", "1 = Large Star, 2 = Small Star, 3 = Planets", 3, 36);
    TxTyp->setReadOnly(true);
    Qui = new QScrollBar(Qt::Horizontal);
    Qui->setObjectName("Qui");
    Qui->setRange(0, 150);
    Qui->setValue(1);
    ge->addWidget(La0, 0, 0);
    ge->addWidget(TXTOden, 0, 1);
    ge->addWidget(La16, 0, 2);
    ge->addWidget(TxTyp, 0, 3);
    ge->addWidget(Qui, 1, 0, 1, 4);
    const char* tips[5] = {"Horizontal Position", "Vertical Position", "Horizontal Momentum", "Vertical Momentum",
                           "Gravity of Planet"};
    // Label6 elements are numbered in the order Y, X, Ym, Xm, G.
    const int labelOf[5] = {1, 0, 3, 2, 4};
    const char* labelText[5] = {"Y", "X", "Ym", "Xm", "G"};
    for (int k = 0; k < 5; ++k) {
        TXTp[k] = field(QString("TXTp(%1)").arg(k), "", tips[k], k == 4 ? 9 : 0, 96);
        Label6[labelOf[k]] = named(new QLabel(labelText[labelOf[k]]), QString("Label6(%1)").arg(labelOf[k]));
        ge->addWidget(Label6[labelOf[k]], 2 + k, 0);
        ge->addWidget(TXTp[k], 2 + k, 1);
        if (k < 4) {
            Hsp[k] = new QScrollBar(Qt::Horizontal);
            Hsp[k]->setObjectName(QString("Hsp(%1)").arg(k));
            if (k < 2) {
                Hsp[k]->setRange(0, k == 0 ? kFieldWidth : kFieldHeight);
                Hsp[k]->setSingleStep(15);
                Hsp[k]->setPageStep(300);
            } else {
                Hsp[k]->setRange(-999, 999);
                Hsp[k]->setSingleStep(1);
                Hsp[k]->setPageStep(10);
            }
            Hsp[k]->setMinimumWidth(150);
            ge->addWidget(Hsp[k], 2 + k, 2, 1, 2);
        }
    }
    Frame2 = new QGroupBox;
    Frame2->setObjectName("Frame2");
    auto* g2 = new QHBoxLayout(Frame2);
    g2->setContentsMargins(6, 2, 6, 2);
    Opadd[0] = new QRadioButton("num");
    Opadd[0]->setObjectName("Opadd(0)");
    Opadd[0]->setToolTip("Move Planet with Decimal Accuracy");
    Opadd[1] = new QRadioButton("visual");
    Opadd[1]->setObjectName("Opadd(1)");
    Opadd[1]->setToolTip("Move Planet with Scrollbars");
    g2->addWidget(Opadd[0]);
    g2->addWidget(Opadd[1]);
    Chon = new QCheckBox("Planet off");
    Chon->setObjectName("Chon");
    ge->addWidget(Frame2, 7, 0, 1, 2);
    ge->addWidget(Chon, 7, 2, 1, 2);
    // While paused the editor sits right under the run buttons, in view.
    col->insertWidget(2, editor);
    col->addStretch(1);

    // Pictures on the field.
    ImMoon = new ClickLabel("ImMoon", {}, view_);
    ImMoon->setPixmap(moonPicture(QSize(480, 360)));
    ImMoon->setScaledContents(true);
    ImMoon->setToolTip("www");
    view_->place(ImMoon, 4080, 3060, 7200, 5400);
    view_->setTagSource([this]() -> std::optional<QPointF> {
        const int t = world_->taggedBody;
        if (t < 1 || t > lastBody(*world_) || world_->outOfPlay[t] != 0) return std::nullopt;
        return QPointF(world_->posX[t], world_->posY[t]);
    });
    Shark = new Marker("Shark", view_);
    view_->place(Shark, 0, 0, 225, 225);

    // What the window shows at load.
    for (QWidget* w : std::initializer_list<QWidget*>{Command2, Command5, Command4, CHr, TXref, Frame1, Frame4,
                                                     La0, TXTOden, La16, TxTyp, Qui, Frame2, Chon, Shark})
        w->hide();
    for (int k = 0; k < 5; ++k) {
        TXTp[k]->hide();
        Label6[k]->hide();
    }
    for (auto* h : Hsp) h->hide();

    resize(1024 + 404, 790);
}

void Fs4x3::connectHandlers()
{
    connect(Command2, &QPushButton::clicked, this, &Fs4x3::Command2_Click);
    connect(Command5, &QPushButton::clicked, this, &Fs4x3::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &Fs4x3::Command4_Click);
    connect(Command1, &QPushButton::clicked, this, &Fs4x3::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Fs4x3::Command3_Click);
    connect(CDsum, &QPushButton::clicked, this, &Fs4x3::CDsum_Click);
    connect(ImMoon, &ClickLabel::clicked, this, &Fs4x3::ImMoon_Click);
    connect(CHr, &QCheckBox::toggled, this, &Fs4x3::CHr_Click);
    connect(CHran, &QCheckBox::toggled, this, &Fs4x3::CHran_Click);
    connect(Chon, &QCheckBox::toggled, this, &Fs4x3::Chon_Click);
    for (int i = 0; i < 7; ++i)
        connect(Och[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Och_Click(i);
        });
    for (int i = 0; i < 5; ++i) connect(CDp[i], &QPushButton::clicked, this, [this, i] { CDp_Click(i); });
    for (int i = 0; i < 2; ++i)
        connect(Opadd[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) Opadd_Click(i);
        });
    for (int i = 0; i < 3; ++i) connect(TXg[i], &Field::left, this, [this, i] { TXg_LostFocus(i); });
    for (int i = 0; i < 5; ++i) connect(TXTp[i], &Field::left, this, [this, i] { TXTp_LostFocus(i); });
    for (int i = 0; i < 4; ++i) connect(Hsp[i], &QScrollBar::valueChanged, this, [this, i] { Hsp_Change(i); });
    connect(Qui, &QScrollBar::valueChanged, this, &Fs4x3::Qui_Change);
    connect(La0, &ClickLabel::clicked, this, [this] { La_Click(0); });
    connect(La2, &ClickLabel::clicked, this, [this] { La_Click(2); });
    connect(La3, &ClickLabel::clicked, this, [this] { La_Click(3); });
    connect(Frame9, &ClickFrame::clicked, this, &Fs4x3::Frame9_Click);
    connect(TXn, &Field::left, this, &Fs4x3::TXn_LostFocus);
    connect(TXn, &Field::doubleClicked, this, &Fs4x3::TXn_DblClick);
    connect(Text1, &Field::left, this, &Fs4x3::Text1_LostFocus);
    connect(Text5, &Field::left, this, &Fs4x3::Text5_LostFocus);
    connect(Text4, &Field::left, this, &Fs4x3::Text4_LostFocus);
    connect(Text4, &Field::doubleClicked, this, &Fs4x3::Text4_DblClick);
    connect(Text2, &Field::left, this, &Fs4x3::Text2_LostFocus);
    connect(Text7, &Field::left, this, &Fs4x3::Text7_LostFocus);
    connect(TXt, &Field::left, this, &Fs4x3::TXt_LostFocus);
    connect(TXref, &Field::left, this, &Fs4x3::TXref_LostFocus);
    connect(TXran, &Field::left, this, &Fs4x3::TXran_LostFocus);

    connect(Ti, &Timer::timeout, this, &Fs4x3::Ti_Timer);
    connect(TiK, &Timer::timeout, this, &Fs4x3::TiK_Timer);
    connect(TiF, &Timer::timeout, this, &Fs4x3::TiF_Timer);
    connect(Tiball, &Timer::timeout, this, &Fs4x3::Tiball_Timer);
    connect(Tr, &Timer::timeout, this, &Fs4x3::Tr_Timer);

    connect(CDopen, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, "Open scene", {}, "Scenes (*.csv);;All files (*)");
        if (path.isEmpty()) return;
        QString error;
        if (!openScene(path, &error)) QMessageBox::warning(this, "Open scene", error);
    });
    connect(CDsave, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, "Save scene", "scene.csv", "Scenes (*.csv)");
        if (path.isEmpty()) return;
        QString error;
        if (!saveScene(path, &error)) QMessageBox::warning(this, "Save scene", error);
    });
}

QWidget* Fs4x3::control(const QString& name) const
{
    if (name == objectName()) return const_cast<Fs4x3*>(this);
    return findChild<QWidget*>(name);
}

Timer* Fs4x3::timer(const QString& name) const
{
    for (Timer* t : timers_)
        if (t->objectName() == name) return t;
    return nullptr;
}

QList<Timer*> Fs4x3::timers() const { return timers_; }

int Fs4x3::selectedBorder() const
{
    for (int i = 0; i < 7; ++i)
        if (Och[i]->isChecked()) return i;
    return -1;
}

void Fs4x3::Och_Click(int index) { world_->borderMode = index == 0 ? 2 : 1; }

void Fs4x3::Ti_Timer()
{
    TickInputs in = reader_.read(TXg[2]->text(), SSSlow->text(), TXw[2]->text());
    in.borderOption = selectedBorder();
    in.width = fieldWidth();
    in.height = fieldHeight();
    in.spin = CHgod->isChecked();
    ticker_.tick(*world_, in, canvas_, *rng_, [this] { starHook(); });
}

void Fs4x3::starHook()
{
    const std::string mv = str(SSStar->text()), sp = str(SSSpos->text()), dv = str(SSSmo->text()),
                      ms = str(TXstarmass->text());
    StarResult r = StarMaker(*world_, *rng_, StarFields{mv, sp, dv, ms});
    if (r.outcome == StarResult::Advanced) LaStar->setText(QString::number(r.shown));
}

void Fs4x3::Command4_Click() { canvas_.cls(); }

bool Fs4x3::openScene(const QString& path, QString* error)
{
    const auto text = readTextFile(str(path));
    if (!text) {
        if (error) *error = QString::fromStdString(text.error());
        return false;
    }
    const auto res = loadScene(*text, *world_);
    if (!res) {
        if (error) *error = path + ": " + QString::fromStdString(res.error());
        return false;
    }
    // A scene is a run of its own: no stars wait to be emitted, and the old
    // trails go. A paused run is resumed first, as a preset does.
    if (paused()) Command5->click();
    world_->nextStar = 0;
    canvas_.cls();
    TXn->setText(QString::number(std::max(3, *res)));
    Command2->click();
    return true;
}

bool Fs4x3::saveScene(const QString& path, QString* error) const
{
    if (Status done = writeFileAtomically(str(path), sceneText(*world_)); !done) {
        if (error) *error = QString::fromStdString(done.error());
        return false;
    }
    return true;
}

}  // namespace orb
