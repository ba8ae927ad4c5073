#include "platform/Controls.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orb {

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
    // Enter takes a typed value as leaving the field does, staying in it.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        QLineEdit::keyPressEvent(e);
        emit left();
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
