#include "platform/ToolTips.h"

#include <QApplication>
#include <QHelpEvent>
#include <QStringList>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace orb {

QString wrapToolTip(const QString& text, const QFontMetrics& fm, int maxWidth)
{
    if (Qt::mightBeRichText(text)) return text;
    QStringList lines;
    for (const QString& paragraph : text.split('\n')) {
        QString line;
        for (const QString& word : paragraph.split(' ', Qt::SkipEmptyParts)) {
            const QString longer = line.isEmpty() ? word : line + ' ' + word;
            if (!line.isEmpty() && fm.horizontalAdvance(longer) > maxWidth) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
    }
    return lines.join('\n');
}

namespace {

class ToolTipWrapper : public QObject {
public:
    explicit ToolTipWrapper(QObject* parent) : QObject(parent) { setObjectName("toolTipWrapper"); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::ToolTip || !watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        const QString tip = w->toolTip();
        if (tip.isEmpty()) return false;  // the widget's own tooltips (a tab's, an item's)
        const QString wrapped = wrapToolTip(tip, QFontMetrics(QToolTip::font()));
        if (wrapped == tip) return false;
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), wrapped, w, {}, w->toolTipDuration());
        return true;
    }
};

}  // namespace

void wrapToolTipsEverywhere()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->findChild<QObject*>("toolTipWrapper", Qt::FindDirectChildrenOnly)) return;
    app->installEventFilter(new ToolTipWrapper(app));
}

}  // namespace orb
