#include "video/VideoEncoder.h"

#include <algorithm>
#include <cstring>

#include "video/FfmpegApi.h"
#include "video/RgbToYuv.h"

namespace cx {

namespace {

constexpr int kSoundBitRate = 192000;
constexpr int kAacFrameSize = 1024;
// A key frame at least this often, in seconds of video.
constexpr int kKeyFrameSeconds = 5;

}  // namespace

VideoEncoder::VideoEncoder(const FfmpegApi& av) : m_av(av) {}

VideoEncoder::~VideoEncoder() {
    Close();
}

void VideoEncoder::Close() {
    if (m_format && m_format->pb) m_av.avio_closep(&m_format->pb);
    if (m_format) m_av.avformat_free_context(m_format);
    m_format = nullptr;
    m_av.avcodec_free_context(&m_video);
    m_av.avcodec_free_context(&m_sound);
    m_av.av_frame_free(&m_picture);
    m_av.av_frame_free(&m_soundFrame);
    m_av.av_packet_free(&m_packet);
    m_convert.reset();
}

bool VideoEncoder::Failed(const std::string& what, int code, std::string& error) {
    error = what + ": " + FfmpegError(m_av, code);
    return false;
}

bool VideoEncoder::Open(const std::string& path, const VideoEncoderSettings& settings,
                        std::string& error) {
    m_settings = settings;
    int rc = m_av.avformat_alloc_output_context2(&m_format, nullptr, "mp4", path.c_str());
    if (rc < 0 || !m_format) return Failed("cannot make an MP4 file", rc, error);
    m_packet = m_av.av_packet_alloc();
    if (!m_packet || !OpenVideo(error) || !OpenSound(error)) return false;
    rc = m_av.avio_open(&m_format->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (rc < 0) return Failed("cannot write " + path, rc, error);
    AVDictionary* options = nullptr;
    m_av.av_dict_set(&options, "movflags", "+faststart", 0);
    rc = m_av.avformat_write_header(m_format, &options);
    m_av.av_dict_free(&options);
    if (rc < 0) return Failed("cannot write " + path, rc, error);
    m_headerWritten = true;
    return true;
}

bool VideoEncoder::OpenVideo(std::string& error) {
    const AVCodec* codec = m_av.avcodec_find_encoder_by_name("libx264");
    if (!codec) codec = m_av.avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!codec) {
        error = "this FFmpeg has no H.264 encoder (libx264)";
        return false;
    }
    m_video = m_av.avcodec_alloc_context3(codec);
    if (!m_video) return Failed("cannot start the H.264 encoder", AVERROR(ENOMEM), error);
    const auto& s = m_settings;
    m_video->width = s.width;
    m_video->height = s.height;
    m_video->time_base = AVRational{1, s.fps};
    m_video->framerate = AVRational{s.fps, 1};
    m_video->pix_fmt = AV_PIX_FMT_YUV420P;
    m_video->gop_size = s.fps * kKeyFrameSeconds;
    // Without B-frames every picture is stored in showing order, so the
    // track's length is that of its pictures however they are spaced.
    m_video->max_b_frames = 0;
    m_video->thread_count = s.threads;
    m_video->color_primaries = AVCOL_PRI_BT709;
    m_video->color_trc = AVCOL_TRC_BT709;
    m_video->colorspace = AVCOL_SPC_BT709;
    m_video->color_range = AVCOL_RANGE_MPEG;
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        m_video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    m_av.av_opt_set(m_video->priv_data, "preset", "veryfast", 0);
    m_av.av_opt_set(m_video->priv_data, "crf", std::to_string(s.crf).c_str(), 0);
    int rc = m_av.avcodec_open2(m_video, codec, nullptr);
    if (rc < 0) return Failed("cannot start the H.264 encoder", rc, error);
    m_videoStream = m_av.avformat_new_stream(m_format, nullptr);
    if (!m_videoStream) return Failed("cannot add the video stream", AVERROR(ENOMEM), error);
    m_videoStream->time_base = m_video->time_base;
    m_videoStream->avg_frame_rate = m_video->framerate;
    rc = m_av.avcodec_parameters_from_context(m_videoStream->codecpar, m_video);
    if (rc < 0) return Failed("cannot add the video stream", rc, error);

    m_picture = m_av.av_frame_alloc();
    if (!m_picture) return Failed("cannot start the H.264 encoder", AVERROR(ENOMEM), error);
    m_picture->format = AV_PIX_FMT_YUV420P;
    m_picture->width = s.width;
    m_picture->height = s.height;
    rc = m_av.av_frame_get_buffer(m_picture, 0);
    if (rc < 0) return Failed("cannot start the H.264 encoder", rc, error);
    m_convert = std::make_unique<RgbToYuv>(m_av);
    return m_convert->Open(s.width, s.height, error);
}

bool VideoEncoder::OpenSound(std::string& error) {
    const AVCodec* codec = m_av.avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) {
        error = "this FFmpeg has no AAC encoder";
        return false;
    }
    m_sound = m_av.avcodec_alloc_context3(codec);
    if (!m_sound) return Failed("cannot start the AAC encoder", AVERROR(ENOMEM), error);
    m_sound->sample_fmt = AV_SAMPLE_FMT_FLTP;
    m_sound->sample_rate = m_settings.sampleRate;
    m_sound->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
    m_sound->bit_rate = kSoundBitRate;
    m_sound->time_base = AVRational{1, m_settings.sampleRate};
    // The fast coder takes a fraction of the default's time; at this bit
    // rate the difference is not heard.
    m_av.av_opt_set(m_sound->priv_data, "aac_coder", "fast", 0);
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
        m_sound->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = m_av.avcodec_open2(m_sound, codec, nullptr);
    if (rc < 0) return Failed("cannot start the AAC encoder", rc, error);
    m_soundStream = m_av.avformat_new_stream(m_format, nullptr);
    if (!m_soundStream) return Failed("cannot add the sound stream", AVERROR(ENOMEM), error);
    m_soundStream->time_base = m_sound->time_base;
    rc = m_av.avcodec_parameters_from_context(m_soundStream->codecpar, m_sound);
    if (rc < 0) return Failed("cannot add the sound stream", rc, error);

    m_soundFrame = m_av.av_frame_alloc();
    if (!m_soundFrame) return Failed("cannot start the AAC encoder", AVERROR(ENOMEM), error);
    m_soundFrame->format = AV_SAMPLE_FMT_FLTP;
    m_soundFrame->sample_rate = m_settings.sampleRate;
    m_soundFrame->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
    m_soundFrame->nb_samples = m_sound->frame_size > 0 ? m_sound->frame_size : kAacFrameSize;
    rc = m_av.av_frame_get_buffer(m_soundFrame, 0);
    if (rc < 0) return Failed("cannot start the AAC encoder", rc, error);
    return true;
}

bool VideoEncoder::Send(AVCodecContext* codec, AVStream* stream, AVFrame* frame,
                        std::string& error) {
    int rc = m_av.avcodec_send_frame(codec, frame);
    if (rc < 0) return Failed("cannot encode", rc, error);
    for (;;) {
        rc = m_av.avcodec_receive_packet(codec, m_packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
        if (rc < 0) return Failed("cannot encode", rc, error);
        m_av.av_packet_rescale_ts(m_packet, codec->time_base, stream->time_base);
        m_packet->stream_index = stream->index;
        rc = m_av.av_interleaved_write_frame(m_format, m_packet);
        if (rc < 0) return Failed("cannot write the video", rc, error);
    }
}

bool VideoEncoder::AddPicture(const QImage& picture, std::int64_t frame, std::string& error) {
    if (frame <= m_lastFrame) return true;  // at most one picture a frame
    if (picture.width() != m_settings.width || picture.height() != m_settings.height) {
        error = "a picture of the wrong size reached the video";
        return false;
    }
    const int rc = m_av.av_frame_make_writable(m_picture);
    if (rc < 0) return Failed("cannot encode", rc, error);
    m_convert->Convert(picture, m_picture->data, m_picture->linesize);
    return RepeatPicture(frame, error);
}

bool VideoEncoder::RepeatPicture(std::int64_t frame, std::string& error) {
    if (frame <= m_lastFrame) return true;
    m_picture->pts = frame;
    m_lastFrame = frame;
    ++m_pictures;
    return Send(m_video, m_videoStream, m_picture, error);
}

bool VideoEncoder::SendSoundBlock(int frames, std::string& error) {
    const int rc = m_av.av_frame_make_writable(m_soundFrame);
    if (rc < 0) return Failed("cannot encode the sound", rc, error);
    auto* left = reinterpret_cast<float*>(m_soundFrame->data[0]);
    auto* right = reinterpret_cast<float*>(m_soundFrame->data[1]);
    for (int i = 0; i < frames; ++i) {
        left[i] = m_pending[2 * std::size_t(i)];
        right[i] = m_pending[2 * std::size_t(i) + 1];
    }
    m_soundFrame->nb_samples = frames;
    m_soundFrame->pts = m_soundPts;
    m_soundPts += frames;
    m_pending.erase(m_pending.begin(), m_pending.begin() + 2 * std::ptrdiff_t(frames));
    return Send(m_sound, m_soundStream, m_soundFrame, error);
}

bool VideoEncoder::AddSound(const float* samples, std::size_t frames, std::string& error) {
    m_pending.insert(m_pending.end(), samples, samples + 2 * frames);
    const int block = m_sound->frame_size > 0 ? m_sound->frame_size : kAacFrameSize;
    while (m_pending.size() >= 2 * std::size_t(block)) {
        if (!SendSoundBlock(block, error)) return false;
    }
    return true;
}

bool VideoEncoder::Finish(std::int64_t frameCount, std::string& error) {
    if (!m_headerWritten) {
        error = "the video was not started";
        return false;
    }
    // The last picture stays until the end: the video lasts as long as asked.
    if (m_lastFrame >= 0 && m_lastFrame < frameCount - 1 && !RepeatPicture(frameCount - 1, error))
        return false;
    if (!m_pending.empty() && !SendSoundBlock(int(m_pending.size() / 2), error)) return false;
    if (!Send(m_video, m_videoStream, nullptr, error)) return false;
    if (!Send(m_sound, m_soundStream, nullptr, error)) return false;
    const int rc = m_av.av_write_trailer(m_format);
    if (rc < 0) return Failed("cannot finish the video", rc, error);
    const int closed = m_av.avio_closep(&m_format->pb);
    if (closed < 0) return Failed("cannot finish the video", closed, error);
    return true;
}

}  // namespace cx
