#pragma once
// A video file made frame by frame with FFmpeg's libraries: H.264 in MP4, VP9
// in WebM or an animated GIF, by the file's ending. The file is written all or
// nothing, by the rules of every export: until finish() it lies beside its
// name as a temporary file, and a video that fails or is dropped leaves none.

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

#include "base/Result.h"

namespace orb {

class VideoWriter {
public:
    // Opens a video of width x height (even, 16 .. 8192) at fps frames per
    // second (1 .. 120). Refused in one line that names the file: an ending
    // other than .mp4, .webm or .gif, or a name a file may not be written to.
    static Result<std::unique_ptr<VideoWriter>> open(const QString& path, int width, int height, int fps);
    ~VideoWriter();

    // One frame, scaled to the video's size when it is not.
    Status add(const QImage& frame);
    // Ends the video and moves it into place.
    Status finish();

    long long frames() const { return frames_; }
    int fps() const { return fps_; }
    // Bytes written so far.
    std::int64_t bytes() const;
    QString path() const { return path_; }

private:
    struct Codec;
    VideoWriter() = default;
    Status encode(bool flush);

    QString path_;
    int width_ = 0, height_ = 0, fps_ = 0;
    long long frames_ = 0;
    std::unique_ptr<Codec> c_;
};

}  // namespace orb
