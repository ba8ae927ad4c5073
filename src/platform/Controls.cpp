#include "platform/Controls.h"

#include <QAction>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/FieldView.h"

namespace orb {
namespace {

// Characters a number is written with: a command on one of these keys stays
// out of a field's way, the key types.
bool partOfNumber(const QString& text)
{
    return text.size() == 1 && (text[0].isDigit() || QStringLiteral(".,+-eE").contains(text[0]));
}

}  // namespace

Field::Field(const QString& name, const QString& text, QWidget* parent) : QLineEdit(text, parent)
{
    setObjectName(name);
}

void Field::display(const QString& text)
{
    setText(text);
    // A long number reads from its first digit.
    setCursorPosition(0);
}

void Field::setDisabledNote(const QString& note)
{
    takeNoteOff();
    note_ = note;
    if (!isEnabled()) putNoteOn();
}

void Field::putNoteOn()
{
    if (noteOn_ || note_.isEmpty()) return;
    plainTip_ = toolTip();
    setToolTip(plainTip_.isEmpty() ? note_ : plainTip_ + " " + note_);
    noteOn_ = true;
}

void Field::takeNoteOff()
{
    if (!noteOn_) return;
    setToolTip(plainTip_);
    noteOn_ = false;
}

void Field::changeEvent(QEvent* e)
{
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) {
        if (isEnabled()) takeNoteOff();
        else putNoteOn();
    }
}

bool Field::windowCommand(const QKeyEvent* e, bool enabledOnly) const
{
    const QKeySequence pressed(e->keyCombination());
    for (const QAction* a : window()->findChildren<QAction*>()) {
        if (enabledOnly && !a->isEnabled()) continue;
        for (const QKeySequence& keys : a->shortcuts())
            if (keys.matches(pressed) == QKeySequence::ExactMatch) return true;
    }
    return false;
}

bool Field::event(QEvent* e)
{
    // The window's Ctrl and Alt commands reach it from here: the line edit
    // would keep some of them (Ctrl+E moves to the end) for itself.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && windowCommand(k, true)) {
            e->ignore();
            return true;
        }
    }
    return QLineEdit::event(e);
}

void Field::leaveForFieldOfPlay()
{
    if (!hasFocus()) {
        emit left();
        return;
    }
    // Losing the focus is leaving the field: focusOutEvent says so.
    auto* fieldOfPlay = window()->findChild<FieldView*>();
    if (fieldOfPlay && fieldOfPlay->isVisible() && fieldOfPlay->focusPolicy() != Qt::NoFocus)
        fieldOfPlay->setFocus(Qt::OtherFocusReason);
    else
        clearFocus();
}

void Field::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    // Switching to another window or opening a menu is not leaving the field.
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason) emit left();
}

void Field::mouseDoubleClickEvent(QMouseEvent* e)
{
    QLineEdit::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

void Field::keyPressEvent(QKeyEvent* e)
{
    // Enter and Escape leave the field, so what was typed is taken.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
        e->accept();
        leaveForFieldOfPlay();
        return;
    }
    // A single key the window has a command on, such as Space for pause, is
    // not typed: a field that holds a number has no use for it, and the
    // command waits until the focus is back on the field of play.
    const bool plain = !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && !e->text().isEmpty() && !partOfNumber(e->text()) && windowCommand(e, false)) {
        e->accept();
        return;
    }
    if (limit_ > 0 && !isReadOnly()) {
        QString added;
        if (e->matches(QKeySequence::Paste)) added = QGuiApplication::clipboard()->text();
        else if (!e->text().isEmpty() && e->text().front().isPrint()) added = e->text();
        if (!added.isEmpty()) {
            // Typing replaces the selection; what does not fit is dropped.
            const qsizetype room = limit_ - (text().size() - selectedText().size());
            if (added.size() > room) {
                if (room > 0) insert(added.left(room));
                e->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(e);
}

ClickLabel::ClickLabel(const QString& name, const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

ClickFrame::ClickFrame(const QString& name, const QString& title, QWidget* parent) : QGroupBox(title, parent)
{
    setObjectName(name);
}

void ClickFrame::mouseReleaseEvent(QMouseEvent* e)
{
    QGroupBox::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton) emit clicked();
}

Marker::Marker(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Marker::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal pen = qMax<qreal>(2.0, width() / 10.0);
    p.setPen(QPen(border_, pen));
    QColor f = fill_;
    f.setAlpha(f == QColor(Qt::black) ? 0 : 90);  // a black fill shows the body through it
    p.setBrush(f);
    p.drawEllipse(QRectF(rect()).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2));
}

}  // namespace orb
