#include "panel/ChartKey.h"

#include "panel/ChartStyle.h"

namespace orb::chart {

namespace {

QString markText(ChartKey::Mark m)
{
    switch (m) {
    case ChartKey::Mark::Line: return QStringLiteral("━━");
    case ChartKey::Mark::Dashes: return QStringLiteral("╍╍");
    case ChartKey::Mark::Dots: return QStringLiteral("┅┅");
    case ChartKey::Mark::Disc: return QStringLiteral("●");
    case ChartKey::Mark::Ring: return QStringLiteral("○");
    case ChartKey::Mark::Diamond: return QStringLiteral("◆");
    case ChartKey::Mark::Band: return QStringLiteral("▆▆");
    }
    return {};
}

}  // namespace

ChartKey::ChartKey(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::RichText);
    setWordWrap(true);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setFont(smaller(font()));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, kChartBack);
    p.setColor(QPalette::WindowText, kText);
    setPalette(p);
    setContentsMargins(4, 0, 4, 3);
}

void ChartKey::setEntries(const std::vector<Entry>& entries)
{
    QString html;
    for (const Entry& e : entries) {
        if (!html.isEmpty()) html += QStringLiteral(" &nbsp; ");
        // Within an entry no break: the mark stays with its name.
        QString text = e.text.toHtmlEscaped();
        text.replace(' ', QStringLiteral("&nbsp;"));
        html += QStringLiteral("<span style=\"color:%1\">%2</span>&nbsp;%3")
                    .arg(e.colour.name(), markText(e.mark), text);
    }
    if (text() != html) setText(html);
}

}  // namespace orb::chart
