#include "platform/VideoWriter.h"

#include <unistd.h>

#include <QFileInfo>
#include <cerrno>

#include "base/Files.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace orb {
namespace {

std::string avText(int err)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, text, sizeof text);
    return text;
}

// The container and the encoder for a file's ending.
struct Kind {
    const char* ending;
    const char* muxer;
    const char* encoder;
    AVPixelFormat pixels;
};

constexpr Kind kKinds[] = {
    {"mp4", "mp4", "libx264", AV_PIX_FMT_YUV420P},
    {"webm", "webm", "libvpx-vp9", AV_PIX_FMT_YUV420P},
    {"gif", "gif", "gif", AV_PIX_FMT_RGB8},
};

int writePacket(void* opaque, std::uint8_t* buf, int size)
{
    const int fd = *static_cast<int*>(opaque);
    int done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, buf + done, static_cast<std::size_t>(size - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return AVERROR(errno);
        }
        done += static_cast<int>(n);
    }
    return size;
}

std::int64_t seekTo(void* opaque, std::int64_t offset, int whence)
{
    const int fd = *static_cast<int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        const off_t here = ::lseek(fd, 0, SEEK_CUR);
        const off_t end = ::lseek(fd, 0, SEEK_END);
        ::lseek(fd, here, SEEK_SET);
        return end;
    }
    const off_t at = ::lseek(fd, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : at;
}

// QImage's 32-bit pixels (0xffRRGGBB words: FFmpeg's native-endian RGB32) to
// the encoder's. add() has scaled the frame to the video's size already, so the
// nearest pixel will do; and no dithering: error diffusion to the GIF's
// 3-3-2 colours costs more than encoding the frame, and trails on black show
// little banding without it.
SwsContext* converter(int width, int height, AVPixelFormat to)
{
    SwsContext* s = sws_alloc_context();
    if (!s) return nullptr;
    const bool set = av_opt_set_int(s, "srcw", width, 0) >= 0 && av_opt_set_int(s, "srch", height, 0) >= 0 &&
                     av_opt_set_int(s, "src_format", AV_PIX_FMT_RGB32, 0) >= 0 &&
                     av_opt_set_int(s, "dstw", width, 0) >= 0 && av_opt_set_int(s, "dsth", height, 0) >= 0 &&
                     av_opt_set_int(s, "dst_format", to, 0) >= 0 &&
                     av_opt_set_int(s, "sws_flags", SWS_POINT, 0) >= 0 && av_opt_set(s, "sws_dither", "none", 0) >= 0;
    if (!set || sws_init_context(s, nullptr, nullptr) < 0) {
        sws_freeContext(s);
        return nullptr;
    }
    return s;
}

}  // namespace

// Everything FFmpeg holds for one video; freed on every path.
struct VideoWriter::Codec {
    AtomicFile file;
    int fd = -1;
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scale = nullptr;
    bool headerWritten = false;
    bool trailerWritten = false;

    explicit Codec(AtomicFile f) : file(std::move(f)), fd(file.fd()) {}
    ~Codec()
    {
        // Some muxers let go of what they hold only in the trailer (the GIF
        // muxer its last frame): a video dropped part way gets one too, into
        // the temporary file that goes with it.
        if (headerWritten && !trailerWritten) av_write_trailer(format);
        sws_freeContext(scale);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        if (format) format->pb = nullptr;
        avformat_free_context(format);
    }
};

Result<std::unique_ptr<VideoWriter>> VideoWriter::open(const QString& path, int width, int height, int fps)
{
    const std::string name = path.toStdString();
    const QString ending = QFileInfo(path).suffix().toLower();
    const Kind* kind = nullptr;
    for (const Kind& k : kKinds)
        if (ending == k.ending) kind = &k;
    if (!kind) return fail(name + ": a video is a .mp4, .webm or .gif file");
    if (width < 16 || height < 16 || width > 8192 || height > 8192 || width % 2 || height % 2)
        return fail(name + ": the video's size must be even, 16 to 8192 pixels a side");
    if (fps < 1 || fps > 120) return fail(name + ": the frame rate must be 1 to 120 frames a second");

    // The libraries' own notes on every video stay off the terminal.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* encoder = avcodec_find_encoder_by_name(kind->encoder);
    if (!encoder) return fail(name + ": this FFmpeg has no " + kind->encoder + " encoder");
    auto file = AtomicFile::open(name);
    if (!file) return fail(file.error());

    std::unique_ptr<VideoWriter> v(new VideoWriter);
    v->path_ = path;
    v->width_ = width;
    v->height_ = height;
    v->fps_ = fps;
    v->c_ = std::make_unique<Codec>(std::move(*file));
    Codec& c = *v->c_;
    auto failed = [&](const std::string& what, int err) { return fail(name + ": " + what + ": " + avText(err)); };

    int err = avformat_alloc_output_context2(&c.format, nullptr, kind->muxer, nullptr);
    if (err < 0 || !c.format) return failed("cannot make the container", err);
    auto* buffer = static_cast<unsigned char*>(av_malloc(1 << 16));
    if (!buffer) return fail(name + ": out of memory");
    c.io = avio_alloc_context(buffer, 1 << 16, 1, &c.fd, nullptr, writePacket, seekTo);
    if (!c.io) {
        av_free(buffer);
        return fail(name + ": out of memory");
    }
    c.format->pb = c.io;
    c.format->flags |= AVFMT_FLAG_CUSTOM_IO;

    c.codec = avcodec_alloc_context3(encoder);
    if (!c.codec) return fail(name + ": out of memory");
    c.codec->width = width;
    c.codec->height = height;
    c.codec->time_base = AVRational{1, fps};
    c.codec->framerate = AVRational{fps, 1};
    c.codec->pix_fmt = kind->pixels;
    c.codec->gop_size = 2 * fps;
    // Fast enough to keep up with a run, good enough for trails on black:
    // x264's fastest preset encodes a 1024 x 768 frame in some 2 ms here.
    c.codec->thread_count = 2;
    if (ending == "mp4") {
        av_opt_set(c.codec->priv_data, "preset", "ultrafast", 0);
        av_opt_set(c.codec->priv_data, "crf", "23", 0);
    } else if (ending == "webm") {
        av_opt_set(c.codec->priv_data, "deadline", "realtime", 0);
        av_opt_set_int(c.codec->priv_data, "cpu-used", 8, 0);
        av_opt_set_int(c.codec->priv_data, "crf", 32, 0);
        av_opt_set_int(c.codec->priv_data, "row-mt", 1, 0);
        c.codec->bit_rate = 0;
    }
    if (c.format->oformat->flags & AVFMT_GLOBALHEADER) c.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((err = avcodec_open2(c.codec, encoder, nullptr)) < 0) return failed("cannot start the encoder", err);

    c.stream = avformat_new_stream(c.format, nullptr);
    if (!c.stream) return fail(name + ": out of memory");
    c.stream->time_base = c.codec->time_base;
    if ((err = avcodec_parameters_from_context(c.stream->codecpar, c.codec)) < 0)
        return failed("cannot describe the stream", err);

    c.frame = av_frame_alloc();
    c.packet = av_packet_alloc();
    if (!c.frame || !c.packet) return fail(name + ": out of memory");
    c.frame->format = kind->pixels;
    c.frame->width = width;
    c.frame->height = height;
    if ((err = av_frame_get_buffer(c.frame, 0)) < 0) return failed("cannot make a frame", err);
    c.scale = converter(width, height, kind->pixels);
    if (!c.scale) return fail(name + ": cannot convert the frames");
    if ((err = avformat_write_header(c.format, nullptr)) < 0) return failed("cannot write", err);
    c.headerWritten = true;
    return v;
}

VideoWriter::~VideoWriter() = default;

std::int64_t VideoWriter::bytes() const
{
    if (!c_ || !c_->io) return 0;
    return avio_tell(c_->io);
}

Status VideoWriter::add(const QImage& image)
{
    if (!c_) return fail(path_.toStdString() + ": the video is already finished");
    QImage frame = image.size() == QSize(width_, height_)
                       ? image.convertToFormat(QImage::Format_RGB32)
                       : image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    Codec& c = *c_;
    int err = av_frame_make_writable(c.frame);
    if (err < 0) return fail(path_.toStdString() + ": cannot make a frame: " + avText(err));
    const std::uint8_t* planes[1] = {frame.constBits()};
    const int strides[1] = {static_cast<int>(frame.bytesPerLine())};
    sws_scale(c.scale, planes, strides, 0, height_, c.frame->data, c.frame->linesize);
    c.frame->pts = frames_;
    if ((err = avcodec_send_frame(c.codec, c.frame)) < 0) {
        c_.reset();
        return fail(path_.toStdString() + ": cannot encode: " + avText(err));
    }
    ++frames_;
    return encode(false);
}

Status VideoWriter::encode(bool flush)
{
    Codec& c = *c_;
    for (;;) {
        int err = avcodec_receive_packet(c.codec, c.packet);
        if (err == AVERROR(EAGAIN) || (flush && err == AVERROR_EOF)) return {};
        if (err < 0) {
            c_.reset();
            return fail(path_.toStdString() + ": cannot encode: " + avText(err));
        }
        // Every frame lasts one tick of the video's clock, the last one too.
        if (c.packet->duration == 0) c.packet->duration = 1;
        av_packet_rescale_ts(c.packet, c.codec->time_base, c.stream->time_base);
        c.packet->stream_index = c.stream->index;
        err = av_interleaved_write_frame(c.format, c.packet);
        av_packet_unref(c.packet);
        if (err < 0 || c.io->error < 0) {
            const int why = err < 0 ? err : c.io->error;
            c_.reset();
            return fail("cannot write " + path_.toStdString() + ": " + avText(why));
        }
    }
}

Status VideoWriter::finish()
{
    if (!c_) return fail(path_.toStdString() + ": the video is already finished");
    Codec& c = *c_;
    int err = avcodec_send_frame(c.codec, nullptr);
    if (err < 0 && err != AVERROR_EOF) {
        c_.reset();
        return fail(path_.toStdString() + ": cannot encode: " + avText(err));
    }
    if (Status s = encode(true); !s) return s;
    err = av_write_trailer(c.format);
    c.trailerWritten = true;
    avio_flush(c.io);
    if (err < 0 || c.io->error < 0) {
        const int why = err < 0 ? err : c.io->error;
        c_.reset();
        return fail("cannot write " + path_.toStdString() + ": " + avText(why));
    }
    Status s = c.file.commit();
    c_.reset();
    return s;
}

}  // namespace orb
