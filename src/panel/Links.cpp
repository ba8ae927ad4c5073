#include "panel/Links.h"

#include <QHBoxLayout>

#include "platform/Pictures.h"
#include "platform/Widgets.h"

namespace orb {

Links::Links(Stage& stage, std::function<void()> endProgram) : stage_(stage), endProgram_(std::move(endProgram))
{
    row_ = new QWidget;
    auto* h = new QHBoxLayout(row_);
    h->setContentsMargins(0, 0, 0, 0);
    auto* www = makeButton("Command3", "www", "Open the Orbitarium home page in the web browser");
    auto* sum = makeButton("CDsum", "www Summary", "Open the summary of rotation curves of galaxies in the web browser");
    auto* leave = makeButton("Command1", "X", "Leave the program through the farewell window");
    leave->setFixedWidth(32);
    h->addStretch(1);
    h->addWidget(www);
    h->addWidget(sum);
    h->addWidget(leave);
    connect(www, &QPushButton::clicked, this, &Links::Command3_Click);
    connect(sum, &QPushButton::clicked, this, &Links::CDsum_Click);
    connect(leave, &QPushButton::clicked, this, &Links::Command1_Click);

    ImMoon_ = new ClickLabel("ImMoon", {}, &stage_.view);
    ImMoon_->setPixmap(moonPicture(QSize(480, 360)));
    ImMoon_->setScaledContents(true);
    ImMoon_->setToolTip("www");
    stage_.view.place(ImMoon_, 4080, 3060, 7200, 5400);
    connect(ImMoon_, &ClickLabel::clicked, this, &Links::ImMoon_Click);
}

void Links::hideStartPicture() { ImMoon_->hide(); }

void Links::Command3_Click() { stage_.desktop.openPage(homePage()); }
void Links::ImMoon_Click() { stage_.desktop.openPage(homePage()); }
void Links::CDsum_Click() { stage_.desktop.openPage(summaryPage()); }

void Links::Command1_Click()
{
    QWidget* window = stage_.view.window();
    window->hide();
    if (!farewell_) {
        farewell_ = new FarewellWindow([this] { stage_.desktop.openPage(homePage()); }, [this] { endProgram_(); },
                                       window);
    }
    farewell_->show();
    farewell_->raise();
}

}  // namespace orb
