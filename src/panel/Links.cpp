// Leaving through the farewell window, and the web links.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "panel/Farewell.h"
#include "platform/Fs4x3.h"

namespace orb {

QString siteFolder()
{
    const QString app = QCoreApplication::applicationDirPath();
    for (const QString& dir : {app + "/site", app + "/../share/orbitarium/site", QString(ORB_SOURCE_SITE)}) {
        if (QFileInfo::exists(dir + "/index.html")) return QDir(dir).canonicalPath();
    }
    return app + "/site";
}

QString homePage() { return QUrl::fromLocalFile(siteFolder() + "/index.html").toString(); }

QString summaryPage()
{
    return QUrl::fromLocalFile(siteFolder() + "/summary of rotation curves of galaxies.htm").toString();
}

void Fs4x3::openPage(const QString& url)
{
    if (openUrl_ && openUrl_(url)) return;
    // Shown without blocking, so the run and the timers go on behind it.
    auto* box = new QMessageBox(QMessageBox::Critical, "Cannot find Browser:",
                                "This function requires a web browser that xdg-open can start (the package "
                                "xdg-utils and a browser such as firefox-esr or chromium).  ",
                                QMessageBox::Ok, this);
    box->setObjectName("browserMessage");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Fs4x3::Command3_Click() { openPage(homePage()); }
void Fs4x3::ImMoon_Click() { openPage(homePage()); }
void Fs4x3::CDsum_Click() { openPage(summaryPage()); }

void Fs4x3::Command1_Click()
{
    hide();
    if (!farewell_) {
        farewell_ = new FarewellWindow([this] { openPage(homePage()); }, [this] { endProgram_(); }, this);
    }
    farewell_->show();
    farewell_->raise();
}

FarewellWindow* Fs4x3::farewell() const { return farewell_; }

void Fs4x3::closeEvent(QCloseEvent* e)
{
    // Closing from the desktop leads to the farewell window, as "X" does.
    e->ignore();
    Command1_Click();
}

}  // namespace orb
