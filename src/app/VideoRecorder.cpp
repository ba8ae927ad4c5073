#include "app/VideoRecorder.h"

#include <QPainter>
#include <QPixmap>

#include "app/Fs4x3.h"
#include "app/RunJournal.h"
#include "panel/CurvePanel.h"
#include "platform/FieldView.h"
#include "scenario/Simulation.h"

namespace orb {

VideoRecorder::VideoRecorder(Fs4x3& window) : w_(window)
{
    connect(&w_.simulation(), &Simulation::ticked, this, &VideoRecorder::onTicked);
}

VideoRecorder::~VideoRecorder()
{
    // A video never finished leaves no file.
    writer_.reset();
}

QImage VideoRecorder::frame() const
{
    const QImage& field = w_.canvas().image();
    if (!running_.withCurve) return field;
    // The curve at the field's height, beside it.
    QWidget& curve = w_.curve();
    const QSize shown = curve.size().isEmpty() ? QSize(376, field.height()) : curve.size();
    const QPixmap grabbed = curve.grab(QRect(QPoint(0, 0), shown));
    const QPixmap fitted = grabbed.scaledToHeight(field.height(), Qt::SmoothTransformation);
    QImage both(field.width() + fitted.width(), field.height(), QImage::Format_RGB32);
    both.fill(Qt::black);
    QPainter p(&both);
    p.drawImage(0, 0, field);
    p.drawPixmap(field.width(), 0, fitted);
    return both;
}

Status VideoRecorder::start(const QString& path)
{
    if (writer_) return fail(path.toStdString() + ": a video is already being recorded");
    running_ = options_;
    if (running_.every < 1) running_.every = 1;
    QSize size = running_.size.isEmpty() ? frame().size() : running_.size;
    size = QSize(size.width() & ~1, size.height() & ~1);
    auto writer = VideoWriter::open(path, size.width(), size.height(), running_.fps);
    if (!writer) return fail(writer.error());
    writer_ = std::move(*writer);
    ticks_ = 0;
    return {};
}

Status VideoRecorder::stop()
{
    if (!writer_) return {};
    std::unique_ptr<VideoWriter> w = std::move(writer_);
    return w->finish();
}

void VideoRecorder::onTicked()
{
    if (!writer_) return;
    // The timeline going forward to a past tick runs ticks again: they are
    // not the run going on, and the video has had them.
    if (w_.journal().tick() < w_.journal().lastTick()) return;
    if (++ticks_ % running_.every != 0) return;
    if (Status s = writer_->add(frame()); !s) {
        writer_.reset();
        emit failed(QString::fromStdString(s.error()));
    }
}

QString VideoRecorder::statusText() const
{
    if (!writer_) return {};
    const double seconds = static_cast<double>(writer_->frames()) / writer_->fps();
    const double mb = static_cast<double>(writer_->bytes()) / 1e6;
    return QString::fromUtf8("\u25cf REC %1 s %2 MB").arg(seconds, 0, 'f', 1).arg(mb, 0, 'f', 1);
}

}  // namespace orb
