#pragma once
// The timeline under the field: a slider over the run's ticks from its start
// to the latest it reached. Moving it shows the run at that tick; Undo brings
// back what came after a past tick the run went on from.

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QWidget>

namespace orb {

class RunJournal;

class TimelineBar : public QWidget {
    Q_OBJECT
public:
    TimelineBar(RunJournal& journal, QWidget* parent = nullptr);

    QSlider* slider() const { return slider_; }
    // Follows the run: the slider's range and place, the label, Undo.
    void follow();

signals:
    // A seek was refused: why.
    void refused(const QString& why);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    RunJournal& journal_;
    QSlider* slider_;
    QLabel* label_;
    QPushButton* undo_;
    QTimer beat_;
};

}  // namespace orb
