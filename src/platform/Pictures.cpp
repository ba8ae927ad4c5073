#include "platform/Pictures.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

#include "base/Files.h"
#include "base/Random.h"
#include "world/TableHash.h"

namespace orb {

namespace {

// A two-armed spiral of stars, coloured from the blue rim to the green centre
// like the planets of a run.
void paintGalaxy(QPainter& p, QPointF centre, double radius, double tilt, int stars, Rng& rng)
{
    p.save();
    p.translate(centre);
    p.scale(1.0, tilt);
    for (int k = 0; k < stars; ++k) {
        const double t = rng.rnd();
        const double arm = (k % 2) * M_PI;
        const double r = radius * (0.08 + 0.92 * t);
        const double a = arm + 5.2 * t + (rng.rnd() - 0.5) * 0.55;
        const double jitter = (rng.rnd() - 0.5) * radius * 0.06;
        const QPointF pt((r + jitter) * std::cos(a), (r + jitter) * std::sin(a));
        const int d = static_cast<int>(t * 255);
        QColor c(50 + static_cast<int>(rng.rnd() * 150), 255 - d, d);
        c.setAlpha(120 + static_cast<int>(rng.rnd() * 135));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        const double s = 0.8 + rng.rnd() * 1.6;
        p.drawEllipse(pt, s, s);
    }
    QRadialGradient core(QPointF(0, 0), radius * 0.22);
    core.setColorAt(0, QColor(255, 240, 200, 230));
    core.setColorAt(1, QColor(255, 190, 80, 0));
    p.setBrush(core);
    p.drawEllipse(QPointF(0, 0), radius * 0.22, radius * 0.22);
    p.restore();
}

void paintStarfield(QPainter& p, QSize size, int count, Rng& rng)
{
    for (int k = 0; k < count; ++k) {
        const int g = 120 + static_cast<int>(rng.rnd() * 135);
        p.setPen(QColor(g, g, std::min(255, g + 30)));
        p.drawPoint(QPointF(rng.rnd() * size.width(), rng.rnd() * size.height()));
    }
}

}  // namespace

QPixmap moonPicture(QSize size)
{
    QPixmap pm(size);
    pm.fill(Qt::black);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(7);
    paintStarfield(p, size, size.width() * size.height() / 300, rng);
    const double w = size.width(), h = size.height();
    paintGalaxy(p, QPointF(w * 0.42, h * 0.62), h * 0.42, 0.45, 2200, rng);

    // The moon: a lit disc with a shadowed limb and a few craters.
    const QPointF mc(w * 0.78, h * 0.26);
    const double mr = h * 0.17;
    QRadialGradient lit(mc - QPointF(mr * 0.35, mr * 0.35), mr * 1.4);
    lit.setColorAt(0, QColor(250, 248, 230));
    lit.setColorAt(0.7, QColor(190, 185, 165));
    lit.setColorAt(1, QColor(60, 58, 55));
    p.setPen(Qt::NoPen);
    p.setBrush(lit);
    p.drawEllipse(mc, mr, mr);
    p.setBrush(QColor(120, 116, 104, 110));
    const double craters[][3] = {{-0.3, -0.1, 0.18}, {0.25, 0.3, 0.12}, {0.1, -0.4, 0.09}, {-0.1, 0.45, 0.07}};
    for (const auto& c : craters) p.drawEllipse(mc + QPointF(c[0] * mr, c[1] * mr), c[2] * mr, c[2] * mr);

    QFont title("DejaVu Sans", std::max(10, static_cast<int>(h / 13)), QFont::Bold);
    p.setFont(title);
    p.setPen(QColor(230, 216, 144));
    p.drawText(QRectF(0, h * 0.02, w * 0.62, h * 0.2), Qt::AlignCenter, "Orbitarium");
    QFont small("DejaVu Sans", std::max(7, static_cast<int>(h / 30)));
    p.setFont(small);
    p.setPen(QColor(160, 170, 200));
    p.drawText(QRectF(0, h * 0.86, w, h * 0.12), Qt::AlignCenter, "Choose a preset to start a galaxy");
    return pm;
}

QPixmap farewellPicture()
{
    const QSize size(465, 645);
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(4, 6, 18));
    sky.setColorAt(1, QColor(18, 10, 30));
    p.fillRect(pm.rect(), sky);
    Rng rng(11);
    paintStarfield(p, size, 900, rng);
    paintGalaxy(p, QPointF(232, 300), 190, 0.55, 5000, rng);

    QFont big("DejaVu Sans", 26, QFont::Bold);
    p.setFont(big);
    p.setPen(QColor(230, 216, 144));
    p.drawText(QRectF(0, 40, size.width(), 60), Qt::AlignCenter, "Vantor 3");
    QFont mid("DejaVu Sans", 18);
    p.setFont(mid);
    p.setPen(QColor(190, 200, 235));
    p.drawText(QRectF(0, 92, size.width(), 40), Qt::AlignCenter, "Orbitarium");
    QFont small("DejaVu Sans", 11);
    p.setFont(small);
    p.setPen(QColor(170, 176, 200));
    p.drawText(QRectF(20, 500, size.width() - 40, 90), Qt::AlignCenter | Qt::TextWordWrap,
               "Thank you for watching the stars.\nClick anywhere to leave.");
    return pm;
}

Status savePng(const QImage& image, const QString& path, std::optional<std::uint64_t> tableHash)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage tagged = image;  // its own pixels once the text is set: a copy an export can afford
    if (tableHash) tagged.setText("Table hash", QString::fromStdString(hashText(*tableHash)));
    if (!tagged.save(&buffer, "PNG")) return fail("cannot encode the picture for " + path.toStdString());
    return writeFileAtomically(QFile::encodeName(path).toStdString(), png.toStdString());
}

}  // namespace orb
