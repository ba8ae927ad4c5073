#include "platform/Desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace orb {

QString siteFolder()
{
    // Beside the program in the build folder, or where it is installed.
    const QString app = QCoreApplication::applicationDirPath();
    for (const QString& dir : {app + "/site", app + "/../share/orbitarium/site"}) {
        if (QFileInfo::exists(dir + "/index.html")) return QDir(dir).canonicalPath();
    }
    return app + "/site";
}

QString homePage() { return QUrl::fromLocalFile(siteFolder() + "/index.html").toString(); }

QString summaryPage()
{
    return QUrl::fromLocalFile(siteFolder() + "/summary of rotation curves of galaxies.htm").toString();
}

Desktop::Desktop(QWidget* window, std::function<bool(const QString&)> openUrl)
    : window_(window), openUrl_(std::move(openUrl))
{
    if (!openUrl_) openUrl_ = [](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); };
}

void Desktop::openPage(const QString& url)
{
    if (openUrl_(url)) return;
    warn("browserMessage", "Cannot find Browser:",
         "This function requires a web browser that xdg-open can start (the package xdg-utils and a browser "
         "such as firefox-esr or chromium).  ");
}

void Desktop::warn(const QString& objectName, const QString& title, const QString& text, QMessageBox::Icon icon)
{
    auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, window_);
    box->setObjectName(objectName);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace orb
