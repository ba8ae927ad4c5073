#include "panel/Farewell.h"

#include <QCloseEvent>
#include <QFont>
#include <QMouseEvent>
#include <QPainter>

#include "world/Geometry.h"
#include "platform/Pictures.h"

namespace orb {

namespace {

QRect twips(int left, int top, int width, int height)
{
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel};
}

}  // namespace

FarewellWindow::FarewellWindow(std::function<void()> visitSite, std::function<void()> endProgram, QWidget* parent)
    : QWidget(parent, Qt::Window), end_(std::move(endProgram))
{
    setObjectName("FormFLAS");
    setWindowTitle("Form1");
    setFixedSize(6975 / kTwipsPerPixel, 10290 / kTwipsPerPixel);

    QFont x;
    x.setFamilies({"Verdana", "DejaVu Sans", "Liberation Sans", "Sans Serif"});
    x.setPointSize(12);
    x.setBold(true);
    const QRect places[2] = {twips(0, 0, 375, 495), twips(6600, 0, 375, 495)};
    for (int i = 0; i < 2; ++i) {
        auto* close = new QPushButton("x", this);
        close->setObjectName(QString("Command2(%1)").arg(i));
        close->setFont(x);
        close->setGeometry(places[i]);
        connect(close, &QPushButton::clicked, this, [this] { end_(); });
    }
    auto* visit = new QPushButton("Visit the Orbitarium home page", this);
    visit->setObjectName("Command1");
    visit->setGeometry(twips(120, 9720, 6735, 495));
    connect(visit, &QPushButton::clicked, this, [visitSite] { visitSite(); });
    setStyleSheet("QPushButton { background: #272b36; color: #e8e8f0; border: 1px solid #4a5060; }"
                  "QPushButton:hover { background: #333a4a; }");
}

void FarewellWindow::paintEvent(QPaintEvent*)
{
    static const QPixmap background = farewellPicture();
    QPainter p(this);
    p.fillRect(rect(), QColor(10, 8, 20));
    p.drawPixmap(0, 0, background);
}

void FarewellWindow::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) end_();
}

void FarewellWindow::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    end_();
}

}  // namespace orb
