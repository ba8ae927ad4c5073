#pragma once
// What the handlers ask of the desktop: opening a web page in the browser,
// saying something in a message box that does not stop the run, and the
// program's own pages.

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <functional>

namespace orb {

// The folder of the program's own web pages, and the two pages the links open.
QString siteFolder();
QString homePage();
QString summaryPage();

class Desktop {
public:
    // openUrl: false when no browser could be started; the desktop's default
    // browser when unset.
    Desktop(QWidget* window, std::function<bool(const QString&)> openUrl);

    // Opens the page, or says that no browser could be found.
    void openPage(const QString& url);
    // A message box that leaves the run and the timers going behind it.
    void warn(const QString& objectName, const QString& title, const QString& text,
              QMessageBox::Icon icon = QMessageBox::Critical);

private:
    QWidget* window_;
    std::function<bool(const QString&)> openUrl_;
};

}  // namespace orb
