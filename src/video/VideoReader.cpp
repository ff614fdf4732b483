#include "video/VideoReader.h"

#include <cstring>

#include "video/FfmpegApi.h"

namespace cx {

namespace {

// A time asked for matches a picture this close after it.
constexpr double kTimeSlack = 1e-6;

void CopyPicture(const AVFrame& f, Yuv420& out) {
    out.width = f.width;
    out.height = f.height;
    const int cw = (f.width + 1) / 2, ch = (f.height + 1) / 2;
    auto copy = [](std::vector<std::uint8_t>& plane, const std::uint8_t* src, int stride, int w,
                   int h) {
        plane.resize(std::size_t(w) * h);
        for (int y = 0; y < h; ++y) std::memcpy(&plane[std::size_t(y) * w], src + y * stride, w);
    };
    copy(out.y, f.data[0], f.linesize[0], f.width, f.height);
    copy(out.u, f.data[1], f.linesize[1], cw, ch);
    copy(out.v, f.data[2], f.linesize[2], cw, ch);
}

struct Decoder {
    AVCodecContext* codec = nullptr;
    int stream = -1;
    double timeBase = 0;
};

class Reader {
public:
    Reader(const FfmpegApi& av, VideoReadout& out, const std::vector<double>& times)
        : m_av(av), m_out(out), m_times(times) {}
    ~Reader() {
        m_av.avcodec_free_context(&m_video.codec);
        m_av.avcodec_free_context(&m_sound.codec);
        m_av.av_frame_free(&m_frame);
        m_av.av_packet_free(&m_packet);
        if (m_format) m_av.avformat_close_input(&m_format);
    }

    bool Read(const std::string& path, bool wantSound) {
        int rc = m_av.avformat_open_input(&m_format, path.c_str(), nullptr, nullptr);
        if (rc < 0) return Fail("cannot open " + path, rc);
        rc = m_av.avformat_find_stream_info(m_format, nullptr);
        if (rc < 0) return Fail("cannot read " + path, rc);
        m_out.seconds = m_format->duration > 0 ? double(m_format->duration) / AV_TIME_BASE : 0;
        if (!Open(AVMEDIA_TYPE_VIDEO, m_video, m_out.videoCodec)) return false;
        if (!Open(AVMEDIA_TYPE_AUDIO, m_sound, m_out.soundCodec)) return false;
        m_out.width = m_video.codec->width;
        m_out.height = m_video.codec->height;
        m_out.soundRate = m_sound.codec->sample_rate;
        m_frame = m_av.av_frame_alloc();
        m_packet = m_av.av_packet_alloc();
        while (m_av.av_read_frame(m_format, m_packet) >= 0) {
            const int stream = m_packet->stream_index;
            if (stream == m_video.stream) Decode(m_video, m_packet);
            if (stream == m_sound.stream && wantSound) Decode(m_sound, m_packet);
            m_av.av_packet_unref(m_packet);
        }
        Decode(m_video, nullptr);
        if (wantSound) Decode(m_sound, nullptr);
        while (m_out.pictures.size() < m_times.size()) m_out.pictures.push_back(m_last);
        m_out.ok = true;
        return true;
    }

private:
    bool Fail(const std::string& what, int code) {
        m_out.error = what + ": " + FfmpegError(m_av, code);
        return false;
    }

    bool Open(AVMediaType type, Decoder& d, std::string& name) {
        d.stream = m_av.av_find_best_stream(m_format, type, -1, -1, nullptr, 0);
        if (d.stream < 0) return Fail("no stream of that kind", d.stream);
        const AVStream* s = m_format->streams[d.stream];
        const AVCodec* codec = m_av.avcodec_find_decoder(s->codecpar->codec_id);
        if (!codec) return Fail("no decoder", AVERROR_DECODER_NOT_FOUND);
        name = codec->name;
        d.codec = m_av.avcodec_alloc_context3(codec);
        m_av.avcodec_parameters_to_context(d.codec, s->codecpar);
        d.timeBase = av_q2d(s->time_base);
        const int rc = m_av.avcodec_open2(d.codec, codec, nullptr);
        return rc >= 0 || Fail("cannot decode", rc);
    }

    void Decode(Decoder& d, const AVPacket* packet) {
        if (m_av.avcodec_send_packet(d.codec, packet) < 0) return;
        while (m_av.avcodec_receive_frame(d.codec, m_frame) >= 0) {
            if (&d == &m_video)
                Picture(double(m_frame->best_effort_timestamp) * d.timeBase);
            else
                Sound();
        }
    }

    void Picture(double at) {
        ++m_out.frames;
        // Every time before this picture saw the one before it.
        while (m_out.pictures.size() < m_times.size() &&
               m_times[m_out.pictures.size()] + kTimeSlack < at)
            m_out.pictures.push_back(m_last);
        if (m_out.pictures.size() < m_times.size()) CopyPicture(*m_frame, m_last);
    }

    void Sound() {
        const int channels = m_frame->ch_layout.nb_channels;
        if (m_frame->format != AV_SAMPLE_FMT_FLTP || channels < 1) return;
        for (int i = 0; i < m_frame->nb_samples; ++i) {
            float sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += reinterpret_cast<const float*>(m_frame->extended_data[c])[i];
            m_out.sound.push_back(sum / float(channels));
        }
    }

    const FfmpegApi& m_av;
    VideoReadout& m_out;
    const std::vector<double>& m_times;
    AVFormatContext* m_format = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    Decoder m_video, m_sound;
    Yuv420 m_last;
};

}  // namespace

VideoReadout ReadVideo(const std::string& path, const std::vector<double>& times, bool wantSound) {
    VideoReadout out;
    const FfmpegApi* av = LoadFfmpeg(out.error);
    if (!av) return out;
    Reader(*av, out, times).Read(path, wantSound);
    return out;
}

}  // namespace cx
