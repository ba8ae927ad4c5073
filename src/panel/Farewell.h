#pragma once
// The farewell window the program is left through.

#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>

namespace orb {

class FarewellWindow : public QWidget {
    Q_OBJECT
public:
    // visitSite opens the home page; endProgram ends the program.
    FarewellWindow(std::function<void()> visitSite, std::function<void()> endProgram, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    // Closing it from the desktop (its title bar, Alt+F4) ends the program as
    // its buttons do: the main window is already gone.
    void closeEvent(QCloseEvent* e) override;

private:
    std::function<void()> end_;
};

}  // namespace orb
