#include "app/TimelineBar.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <algorithm>
#include <limits>

#include "app/RunJournal.h"

namespace orb {

TimelineBar::TimelineBar(RunJournal& journal, QWidget* parent) : QWidget(parent), journal_(journal)
{
    setObjectName("TimelineBar");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 8, 2);
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setObjectName("Timeline");
    slider_->setToolTip("The run from its start to the latest tick it reached: drag to see any tick again. "
                        "Going on from a past tick drops what came after it; Undo brings it back.");
    label_ = new QLabel;
    label_->setObjectName("TimelineTick");
    label_->setMinimumWidth(150);
    undo_ = new QPushButton("Undo");
    undo_->setObjectName("TimelineUndo");
    undo_->setToolTip("Back to the run as it was at its latest tick before it went on from a past one");
    row->addWidget(slider_, 1);
    row->addWidget(label_);
    row->addWidget(undo_);

    // Dragging seeks at every step; the picture follows as fast as it can.
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        if (Status s = journal_.seek(v); !s) emit refused(QString::fromStdString(s.error()));
        follow();
    });
    connect(undo_, &QPushButton::clicked, this, [this] {
        journal_.undo();
        follow();
    });
    connect(&journal_, &RunJournal::timelineChanged, this, &TimelineBar::follow);
    beat_.setInterval(100);
    connect(&beat_, &QTimer::timeout, this, &TimelineBar::follow);
}

void TimelineBar::follow()
{
    const auto most = static_cast<long long>(std::numeric_limits<int>::max());
    const QSignalBlocker quiet(slider_);
    slider_->setRange(0, static_cast<int>(std::min(journal_.lastTick(), most)));
    // A click beside the handle goes a twentieth of the run.
    slider_->setPageStep(std::max(1, slider_->maximum() / 20));
    slider_->setValue(static_cast<int>(std::min(journal_.shownTick(), most)));
    slider_->setEnabled(journal_.recording() && !journal_.replaying());
    label_->setText(QString("tick %1 of %2").arg(journal_.shownTick()).arg(journal_.lastTick()));
    undo_->setEnabled(journal_.canUndo());
}

void TimelineBar::showEvent(QShowEvent* e)
{
    follow();
    beat_.start();
    QWidget::showEvent(e);
}

void TimelineBar::hideEvent(QHideEvent* e)
{
    beat_.stop();
    QWidget::hideEvent(e);
}

}  // namespace orb
