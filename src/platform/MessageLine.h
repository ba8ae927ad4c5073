#pragma once
// The message label of the panel ("LaChirp(0)"): the presets explain their model
// in it, the pause writes its hint.

#include <QLabel>
#include <QString>

namespace orb {

class MessageLine {
public:
    MessageLine();
    void say(const QString& text) { label_->setText(text); }
    QString text() const { return label_->text(); }
    QWidget* widget() const { return label_; }

private:
    QLabel* label_;
};

}  // namespace orb
