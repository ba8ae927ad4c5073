#pragma once
// A chart's key as a line of text under it that wraps: each entry a short mark
// in its series' colour and a name. Qt's own legend keeps to one row and cuts
// the names short in a narrow dock.

#include <QColor>
#include <QLabel>
#include <QString>
#include <vector>

namespace orb::chart {

class ChartKey : public QLabel {
public:
    enum class Mark { Line, Dashes, Dots, Disc, Ring, Diamond, Band };
    struct Entry {
        Mark mark;
        QColor colour;
        QString text;
    };

    explicit ChartKey(QWidget* parent = nullptr);

    // Shows the entries, in order; the text is set again only when it changes.
    void setEntries(const std::vector<Entry>& entries);
};

}  // namespace orb::chart
