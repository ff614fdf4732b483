// Writes H.264 video and AAC sound into an MP4 file whose index is at the
// front, so players can start before the whole file is read. Pictures are
// given only when they change: a frame number that skips ahead keeps the
// previous picture on screen until then (the file has variable frame
// timing), which spares encoding thousands of unchanged frames.
#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace cx {

struct FfmpegApi;
class RgbToYuv;

struct VideoEncoderSettings {
    int width = 1280;
    int height = 720;
    int fps = 30;
    int sampleRate = 44100;  // of the stereo sound given to AddSound
    int crf = 23;            // H.264 quality: lower is better and larger
    int threads = 0;         // encoding threads; 0 = one a core
};

class VideoEncoder {
public:
    explicit VideoEncoder(const FfmpegApi& av);
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Creates the MP4 file at `path` (any name: the format is fixed).
    bool Open(const std::string& path, const VideoEncoderSettings& settings, std::string& error);
    // The picture shown from frame `frame` (frames count up; a gap repeats the
    // previous picture). The picture is of the video's size.
    bool AddPicture(const QImage& picture, std::int64_t frame, std::string& error);
    // The previous picture again at `frame` (a key frame now and then keeps
    // seeking quick in long unchanged stretches).
    bool RepeatPicture(std::int64_t frame, std::string& error);
    // Interleaved stereo samples, in order.
    bool AddSound(const float* samples, std::size_t frames, std::string& error);
    // Ends both streams so the video lasts `frameCount` frames, and writes the
    // index. The file is complete only when this returns true.
    bool Finish(std::int64_t frameCount, std::string& error);

    std::int64_t LastFrame() const { return m_lastFrame; }
    std::int64_t PicturesEncoded() const { return m_pictures; }

private:
    bool OpenVideo(std::string& error);
    bool OpenSound(std::string& error);
    bool Send(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error);
    bool SendSoundBlock(int frames, std::string& error);
    bool Failed(const std::string& what, int code, std::string& error);
    void Close();

    const FfmpegApi& m_av;
    VideoEncoderSettings m_settings;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_video = nullptr;
    AVCodecContext* m_sound = nullptr;
    AVStream* m_videoStream = nullptr;
    AVStream* m_soundStream = nullptr;
    AVFrame* m_picture = nullptr;
    AVFrame* m_soundFrame = nullptr;
    AVPacket* m_packet = nullptr;
    std::unique_ptr<RgbToYuv> m_convert;
    std::vector<float> m_pending;  // interleaved samples short of a whole AAC frame
    std::int64_t m_soundPts = 0;
    std::int64_t m_lastFrame = -1;
    std::int64_t m_pictures = 0;
    bool m_headerWritten = false;
};

}  // namespace cx
