#include "panel/CurvePanel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "base/Files.h"
#include "curve/CurveCsv.h"
#include "curve/ObservedCurve.h"
#include "panel/ChartStyle.h"
#include "panel/CurveChart.h"
#include "panel/HistoryCharts.h"
#include "platform/Pictures.h"

namespace orb {

using namespace chart;

QString ngc3198Citation()
{
    return QStringLiteral(
        "F. Lelli, S. S. McGaugh, J. M. Schombert, \"SPARC: Mass Models for 175 Disk Galaxies with Spitzer "
        "Photometry and Accurate Rotation Curves\", The Astronomical Journal 152, 157 (2016), "
        "doi:10.3847/0004-6256/152/6/157");
}

namespace {

QString makeCaption(const RotationCurve& curve)
{
    const SlopeFit& fit = curve.slope();
    const int inPlay = static_cast<int>(curve.stars().size());
    const QString over = QStringLiteral("over %1 of %2 %3").arg(fit.stars).arg(inPlay).arg(inPlay == 1 ? "star" : "stars");
    if (fit.slope)
        return QStringLiteral("Rotation curve — slope %1 %2 (Keplerian -0.5, flat 0)")
            .arg(QString::fromStdString(slopeText(fit)), over);
    return QStringLiteral("Rotation curve — slope: none %1 (%2)")
        .arg(over, fit.stars < RotationCurve::kMinFitStars ? "too few stars" : "all at one radius");
}

}  // namespace

struct CurvePanel::State {
    RotationCurve curve;
    // The colours of the table the curve was read from (the rest stays zero):
    // the dots and the saved curve show what the curve saw.
    World colours;
    CurveHistory history;
    std::vector<ObservedRow> ngcRows;
    QString ngcProblem;
    bool ngc = false;
    ObservedScale scale;
    AxisRange x{500}, y{5}, below{0};
    QString caption;
    std::vector<double> radii, speeds;  // scratch for the axes' extents
    long long lastRecord = 0;
    bool recorded = false;
    unsigned long long frame = 1, historyVersion = 1;
};

// The caption and the charts, drawn from the panel's state: once for the panel
// itself and once, offscreen, for an exported picture.
class CurveCharts : public QWidget {
public:
    explicit CurveCharts(QWidget* parent) : QWidget(parent)
    {
        auto* box = new QVBoxLayout(this);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(2);
        top_ = new QHBoxLayout;
        caption_ = new QLabel(this);
        caption_->setObjectName("CurveCaption");
        caption_->setWordWrap(true);
        QFont cf = caption_->font();
        cf.setBold(true);
        caption_->setFont(cf);
        top_->addWidget(caption_, 1);
        box->addLayout(top_);
        curve_ = new CurveChart(this);
        box->addWidget(curve_, 3);
        history_ = new HistoryCharts(Qt::Horizontal, this);
        box->addWidget(history_, 2);
    }

    QHBoxLayout* topRow() const { return top_; }

    // Brings whatever changed since the last call up to date.
    void draw(const CurvePanel::State& s)
    {
        curve_->setNgcShown(s.ngc);
        if (caption_->text() != s.caption) caption_->setText(s.caption);
        if (s.frame != frame_) drawCurve(s);
        if (s.historyVersion != historyVersion_) history_->setHistory(s.history);
        frame_ = s.frame;
        historyVersion_ = s.historyVersion;
    }

private:
    void drawCurve(const CurvePanel::State& s)
    {
        curve_->setAxes(s.x.max(), -s.below.max(), s.y.max());
        curve_->setStars(s.curve.stars(), s.colours);
        curve_->setPredicted(s.curve.samples(), s.curve.exponent());
        if (s.ngc) curve_->setNgc(s.ngcRows, s.scale, s.ngcProblem);
    }

    QHBoxLayout* top_;
    QLabel* caption_;
    CurveChart* curve_;
    HistoryCharts* history_;
    unsigned long long frame_ = 0, historyVersion_ = 0;
};

CurvePanel::CurvePanel(QWidget* parent) : QWidget(parent), s_(std::make_unique<State>())
{
    setObjectName("CurvePanel");
    setWindowTitle("Rotation curve");
    auto rows = ngc3198Curve();
    if (rows)
        s_->ngcRows = std::move(*rows);
    else
        s_->ngcProblem = QString::fromStdString(rows.error());
    s_->caption = makeCaption(s_->curve);
    s_->radii.reserve(kSlots);
    s_->speeds.reserve(kSlots);

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(4, 4, 4, 4);
    charts_ = new CurveCharts(this);
    box->addWidget(charts_);
    ngc_ = new QCheckBox("NGC 3198", this);
    ngc_->setObjectName("CurveNgc");
    ngc_->setToolTip("The observed rotation curve of the spiral galaxy NGC 3198 and what its visible matter alone "
                     "would give, scaled so that its flat part meets the outer simulated curve.\nData: SPARC, " +
                     ngc3198Citation());
    ngc_->setEnabled(s_->ngcProblem.isEmpty());
    charts_->topRow()->addWidget(ngc_, 0, Qt::AlignTop);
    connect(ngc_, &QCheckBox::toggled, this, &CurvePanel::setShowNgc3198);
}

CurvePanel::~CurvePanel() = default;

void CurvePanel::restart()
{
    s_->history.clear();
    s_->recorded = false;
    s_->lastRecord = 0;
    for (AxisRange* a : {&s_->x, &s_->y, &s_->below}) a->reset();
    ++s_->historyVersion;
    ++s_->frame;
}

void CurvePanel::refresh(const World& w, double exponent, double planetoidFactor, long long tick)
{
    State& s = *s_;
    s.curve.update(w, exponent, planetoidFactor);
    s.colours.colRed = w.colRed;
    s.colours.colGreen = w.colGreen;
    s.colours.colBlue = w.colBlue;

    if (s.recorded && tick < s.lastRecord) restart();
    // Unsigned, so that no difference of ticks can overflow; tick >= lastRecord here.
    if (!s.recorded || static_cast<unsigned long long>(tick) - static_cast<unsigned long long>(s.lastRecord) >=
                           static_cast<unsigned long long>(kRecordEvery)) {
        s.history.record(tick, s.curve);
        s.lastRecord = tick;
        s.recorded = true;
        ++s.historyVersion;
    }

    // The axes cover all the stars but the 2% farthest out on each side.
    s.radii.clear();
    s.speeds.clear();
    for (const StarPoint& p : s.curve.stars()) {
        s.radii.push_back(p.radius);
        s.speeds.push_back(p.speed);
    }
    double far = mostOf(s.radii);
    double fast = mostOf(s.speeds);
    // The predicted curve over the outer half of the stars stays in view too
    // (its inner end rises without bound as the radius shrinks).
    const auto samples = s.curve.samples();
    for (std::size_t k = samples.size() / 2; k < samples.size(); ++k) fast = std::max(fast, samples[k].circular);
    for (double& v : s.speeds) v = -v;
    const double against = mostOf(s.speeds);
    if (s.ngc && s.ngcProblem.isEmpty()) {
        s.scale = scaleObserved(s.ngcRows, s.curve.stars());
        for (const ObservedRow& r : s.ngcRows) {
            far = std::max(far, r.radiusKpc * s.scale.twipsPerKpc);
            fast = std::max(fast, (r.speedKms + r.errorKms) * s.scale.speedPerKms);
        }
    }
    s.x.follow(far);
    s.y.follow(fast);
    s.below.follow(against);

    s.caption = makeCaption(s.curve);
    ++s.frame;
    if (isVisible()) redraw();
}

void CurvePanel::newRun()
{
    restart();
    if (isVisible()) redraw();
}

bool CurvePanel::showNgc3198() const { return s_->ngc; }

void CurvePanel::setShowNgc3198(bool on)
{
    if (!s_->ngcProblem.isEmpty()) on = false;
    if (on == s_->ngc) return;
    s_->ngc = on;
    if (on) s_->scale = scaleObserved(s_->ngcRows, s_->curve.stars());
    ngc_->setChecked(on);
    ++s_->frame;
    if (isVisible()) redraw();
}

QString CurvePanel::caption() const { return s_->caption; }

QString CurvePanel::slopeShown() const { return QString::fromStdString(slopeText(s_->curve.slope())); }

Status CurvePanel::saveCurve(const QString& path) const
{
    if (path.isEmpty()) return fail("no file named to save the rotation curve in");
    return writeFileAtomically(QFile::encodeName(path).toStdString(), curveCsv(s_->curve, s_->colours));
}

Status CurvePanel::exportPlot(const QString& path) const
{
    if (path.isEmpty()) return fail("no file named to export the rotation curve picture to");
    // A twin of the charts at the export size, shown nowhere, so the picture
    // does not depend on the panel's size or on whether it is shown at all.
    CurveCharts twin(nullptr);
    twin.setAttribute(Qt::WA_DontShowOnScreen);
    twin.setAutoFillBackground(true);
    QPalette pal = twin.palette();
    pal.setColor(QPalette::Window, kPanelBack);
    pal.setColor(QPalette::WindowText, kText);
    twin.setPalette(pal);
    twin.layout()->setContentsMargins(10, 8, 10, 8);
    twin.resize(kExportWidth, kExportHeight);
    twin.draw(*s_);
    twin.show();
    // Lay out the widgets and the charts inside them; nothing else runs.
    for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);

    QImage image(kExportWidth, kExportHeight, QImage::Format_RGB32);
    image.fill(kPanelBack);
    twin.render(&image);
    twin.hide();

    return savePng(image, path);
}

const RotationCurve& CurvePanel::curve() const { return s_->curve; }

const CurveHistory& CurvePanel::history() const { return s_->history; }

void CurvePanel::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    redraw();
}

void CurvePanel::redraw() { charts_->draw(*s_); }

}  // namespace orb
