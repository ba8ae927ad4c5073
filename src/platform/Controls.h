#pragma once
// The control kinds of the main window beyond Qt's own: a text field that
// reports when it is left and double-clicked, a label and a frame that can be
// clicked, and the round selection marker.
//
// Keys in a field: Enter and Escape leave it for the field of play, as Tab
// leaves it for the next control, so its value is taken either way. A key
// with Ctrl or Alt that is one of the window's commands works from the field
// as from anywhere. A single key that is one of the window's commands and no
// part of a number (Space, "[", "]") is neither typed nor acted on while the
// field has the focus: it belongs to the field of play.

#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace orb {

class Field : public QLineEdit {
    Q_OBJECT
public:
    explicit Field(const QString& name, const QString& text, QWidget* parent = nullptr);
    // Writes a value for reading: the text is shown from its start.
    void display(const QString& text);
    // Leaving the field: what a user's tab, Enter or click elsewhere does.
    void leave() { emit left(); }
    void doubleClick() { emit doubleClicked(); }

    // The most characters a user can type or paste in (0: no limit). Unlike
    // QLineEdit's maxLength it never cuts a text set from code, so a value the
    // program shows (a gravity of ten digits, a count of 999 + 1) stays whole.
    void setTypingLimit(int chars) { limit_ = chars; }
    // The text a user typing `typed` ends up with: cut at the limit.
    QString typedText(const QString& typed) const { return limit_ > 0 ? typed.left(limit_) : typed; }

    // Why the field takes no input while it is disabled; added to its tooltip
    // for that time.
    void setDisabledNote(const QString& note);
    QString disabledNote() const { return note_; }

signals:
    void left();
    void doubleClicked();

protected:
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // Gives the focus to the field of play (or drops it), which leaves the field.
    void leaveForFieldOfPlay();
    // Whether the window has a command on this key (an enabled one only, or any).
    bool windowCommand(const QKeyEvent* e, bool enabledOnly) const;
    void putNoteOn();
    void takeNoteOff();

    int limit_ = 0;
    QString note_;
    QString plainTip_;     // the tooltip without the note, while the note is on
    bool noteOn_ = false;
};

class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& name, const QString& text, QWidget* parent = nullptr);
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

class ClickFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit ClickFrame(const QString& name, const QString& title, QWidget* parent = nullptr);
    void click() { emit clicked(); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// The blinking circle that marks the body picked in the editor.
class Marker : public QWidget {
    Q_OBJECT
public:
    explicit Marker(const QString& name, QWidget* parent = nullptr);
    QColor borderColor() const { return border_; }
    QColor fillColor() const { return fill_; }
    void setBorderColor(const QColor& c) { border_ = c; update(); }
    void setFillColor(const QColor& c) { fill_ = c; update(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor border_{48, 48, 48};
    QColor fill_{128, 128, 128};
};

}  // namespace orb
