#pragma once
// Recording a run as a video: a frame of the field (and, if asked, the
// rotation curve beside it) every so many ticks of the run, so that a video
// plays the same whatever the computer's speed or the run's. Recording only
// reads the picture: the tick computes the same with or without it.

#include <QObject>
#include <QSize>
#include <QString>
#include <memory>

#include "base/Result.h"
#include "platform/VideoWriter.h"

namespace orb {

class Fs4x3;

struct VideoOptions {
    int fps = 30;        // frames a second of video
    // Ticks of the run between two frames: at 30 frames a second two ticks
    // make 60 ticks a second of video, about the 66 the window runs at 1x (a
    // tick every 15 ms), so a video plays at the pace the window shows.
    int every = 2;
    QSize size;          // the video's size; the picture's own (made even) when empty
    bool withCurve = false;
};

class VideoRecorder : public QObject {
    Q_OBJECT
public:
    explicit VideoRecorder(Fs4x3& window);
    ~VideoRecorder() override;

    VideoOptions& options() { return options_; }
    bool recording() const { return writer_ != nullptr; }
    // Starts a video in path with the options as they are now; its first
    // frame is the picture once `every` ticks have run.
    Status start(const QString& path);
    // Finishes the video and moves it into place.
    Status stop();
    // "● REC 12.3 s 1.4 MB" while recording, else empty.
    QString statusText() const;
    QString path() const { return writer_ ? writer_->path() : QString(); }
    // Frames of the video being recorded so far.
    long long frames() const { return writer_ ? writer_->frames() : 0; }

signals:
    // Recording ended by itself: a frame could not be written.
    void failed(const QString& why);

private:
    void onTicked();
    QImage frame() const;

    Fs4x3& w_;
    VideoOptions options_;
    VideoOptions running_;
    std::unique_ptr<VideoWriter> writer_;
    long long ticks_ = 0;
};

}  // namespace orb
