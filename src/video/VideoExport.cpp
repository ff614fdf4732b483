#include "video/VideoExport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>

#include "archive/ZipSongs.h"
#include "cdg/CdgTransport.h"
#include "karaoke/KaraokeSong.h"
#include "lyrics/SiblingFile.h"
#include "midi/MidiChannels.h"
#include "midi/MidiPlayer.h"
#include "midi/SoundFonts.h"
#include "platform/ReadOnlyFolders.h"
#include "playback/FileDecoder.h"
#include "playback/MediaControl.h"
#include "playback/OfflineRenderer.h"
#include "video/FfmpegApi.h"
#include "video/SongPictures.h"
#include "video/VideoEncoder.h"

namespace cx {

namespace fs = std::filesystem;

namespace {

// Progress is reported when it moved at least this much.
constexpr double kProgressStep = 0.002;

std::string LowerExtension(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool IsMidiPath(const std::string& path) {
    const std::string ext = LowerExtension(path);
    return ext == ".mid" || ext == ".midi" || ext == ".kar" || ext == ".rmi";
}

// AAC takes these rates; others are played through the engine at 48 kHz.
int SoundRateFor(int sourceRate) {
    for (int r :
         {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 64000, 88200, 96000})
        if (r == sourceRate) return r;
    return 48000;
}

// The song's sound, ready to render from the start point, and the song time
// it has reached (the time the pictures follow).
struct SongSound {
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<MediaControl> media;
    std::unique_ptr<MidiPlayer> midi;
    AudioHandle channel = 0;
    double length = 0;
    double SongSeconds() const {
        return midi ? midi->Source()->SongSeconds() : engine->PositionSeconds(channel);
    }
};

bool OpenAudio(const std::string& audio, const VideoExportOptions& o, SongSound& sound,
               std::string& error) {
    std::string why;
    auto probe = FileDecoder::Open(audio, why);
    if (!probe) {
        error = "cannot read " + audio + ": " + why;
        return false;
    }
    const int rate = SoundRateFor(probe->SampleRate());
    probe.reset();
    sound.engine = std::make_unique<AudioEngine>(rate);
    sound.media =
        std::make_unique<MediaControl>(*sound.engine, MediaHooks{}, MediaSettings{}, true);
    std::string path = audio;
    if (!sound.media->OpenName(path, false) || sound.media->CurrentChannel() == 0) {
        error = "cannot play " + audio + ": " + sound.media->LastError();
        return false;
    }
    sound.channel = sound.media->CurrentChannel();
    sound.engine->TempoSet(sound.channel, float(o.tempo), float(o.key));
    if (o.from > 0) sound.engine->SetPositionSeconds(sound.channel, o.from);
    if (!o.voiceFile.empty() && !sound.media->LoadAudio(o.voiceFile)) {
        error = "cannot play the voice recording " + o.voiceFile + ": " + sound.media->LastError();
        return false;
    }
    sound.length = sound.engine->LengthSeconds(sound.channel);
    return true;
}

bool StartMidi(const VideoExportOptions& o, SongSound& sound, std::string& error) {
    if (!o.voiceFile.empty()) {
        error = "a voice recording can be mixed into audio songs only";
        return false;
    }
    MidiSynth& synth = *sound.midi->Source();
    // The song's saved tempo stands; the option speeds it up or slows it down.
    synth.SetTempoFactor(MidiTempoFactor(sound.midi->TempoSlider()) * (1 + o.tempo / 100));
    if (o.key != 0) {
        for (int c = 0; c < kMidiChannels; ++c)
            synth.SetChannelTranspose(c, static_cast<int>(std::lround(o.key)));
    }
    sound.midi->PlayMidi();
    sound.engine = std::make_unique<AudioEngine>(synth.SampleRate());
    sound.channel = sound.engine->CreateSourceChannel(std::make_unique<BorrowedSource>(synth));
    if (o.from > 0) sound.engine->SetPositionSeconds(sound.channel, o.from);
    sound.length = synth.LengthSeconds();
    return true;
}

// What the video shows and plays.
struct Source {
    std::string kind;
    std::unique_ptr<KaraokeSong> song;
    std::unique_ptr<SongPictures> pictures;
    SongSound sound;
};

std::string AudioBesideCdg(const std::string& cdg) {
    for (const char* ext : {"mp3", "ogg", "wav", "flac"})
        if (auto found = FindSiblingFile(cdg, ext)) return found->string();
    return {};
}

bool OpenCdg(const std::string& cdg, const std::string& audio, const VideoExportOptions& o,
             Source& source, std::string& error) {
    if (audio.empty()) {
        error = "no song audio (.mp3) beside " + cdg;
        return false;
    }
    auto player = std::make_unique<CdgPlayer>();
    if (!player->LoadCDGFile(cdg, error)) return false;
    source.kind = "cdg";
    source.pictures = MakeCdgPictures(std::move(player), QSize(o.width, o.height), o.smooth);
    return OpenAudio(audio, o, source.sound, error);
}

bool OpenLyricsSong(const std::string& path, const VideoExportOptions& o, Source& source,
                    std::string& error) {
    const bool midi = IsMidiPath(path);
    std::string font;
    if (midi) {
        source.sound.midi = std::make_unique<MidiPlayer>();
        const auto ports = ListSoundFonts(o.soundFont, SoundFontFolders());
        const SoundFontPort* port = SelectMidiDevice(ports, 1);
        if (!port) {
            error = kNoSoundFontMessage;
            return false;
        }
        font = port->Path.string();
    }
    MidiPlayer* player = source.sound.midi.get();
    const SongLyricsLoader loader = [&](const std::string& p, LyricsModel& model,
                                        std::string& why) -> std::optional<bool> {
        if (!player || !IsMidiPath(p)) return std::nullopt;
        MidiLyricsOptions options;
        options.codepage = o.codepage.codepage;
        const MidiOpenResult r = player->OpenMusic(p, font, options, model);
        if (!r.opened || !r.playable) why = p + ": " + r.message;
        return r.opened && r.playable;
    };
    source.song = std::make_unique<KaraokeSong>();
    if (!LoadKaraokeSong(path, o.karaoke, o.codepage, loader, *source.song, error)) return false;
    source.kind = midi ? "midi" : "lyrics";
    source.pictures = MakeKaraokePictures(*source.song, o.karaoke, QSize(o.width, o.height));
    return midi ? StartMidi(o, source.sound, error)
                : OpenAudio(source.song->MediaPath, o, source.sound, error);
}

bool OpenSource(const std::string& song, const VideoExportOptions& o, Source& source,
                std::string& error) {
    std::string path = song;
    if (IsZipPath(path)) {
        path = OpenZipSong(song, error);
        if (path.empty()) return false;
    }
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = "no such file: " + path;
        return false;
    }
    if (LowerExtension(path) == ".cdg")
        return OpenCdg(path, AudioBesideCdg(path), o, source, error);
    // A lyrics file names its song; only a song's own graphics make it CD+G.
    const std::string ext = LowerExtension(path);
    const bool lyricsFile = ext == ".lrc" || ext == ".lrs" || ext == ".kok";
    if (const std::string cdg = CdgPathBeside(path);
        !cdg.empty() && !IsMidiPath(path) && !lyricsFile)
        return OpenCdg(cdg, path, o, source, error);
    return OpenLyricsSong(path, o, source, error);
}

// A unique file beside the target, removed unless it became the target.
class TempBeside {
public:
    explicit TempBeside(const std::string& target) {
        std::string pattern = target + ".part-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd >= 0) {
            ::close(fd);
            m_path = pattern;
        }
    }
    ~TempBeside() {
        std::error_code ec;
        if (!m_path.empty()) fs::remove(m_path, ec);
    }
    TempBeside(const TempBeside&) = delete;
    TempBeside& operator=(const TempBeside&) = delete;
    const std::string& Path() const { return m_path; }
    bool MoveTo(const std::string& target, std::string& error) {
        std::error_code ec;
        // The reserved name was private; the video is readable like any new file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        fs::permissions(m_path, static_cast<fs::perms>(0666 & ~mask), ec);
        fs::rename(m_path, target, ec);
        if (ec) {
            error = "cannot write " + target + ": " + ec.message();
            return false;
        }
        m_path.clear();
        return true;
    }

private:
    std::string m_path;
};

// Feeds the rendered sound to the encoder and, at every frame time it
// passes, the picture of the song time reached then.
class FrameFeeder {
public:
    FrameFeeder(Source& source, VideoEncoder& encoder, const VideoExportOptions& o, int fps,
                const VideoProgress& progress, const std::atomic<bool>* cancel)
        : m_source(source),
          m_encoder(encoder),
          m_o(o),
          m_fps(fps),
          m_rate(source.sound.engine->OutputRate()),
          m_progress(progress),
          m_cancel(cancel),
          m_song(source.sound.SongSeconds()),
          m_end(o.to >= 0 ? std::min(o.to, source.sound.length) : source.sound.length) {}

    bool Take(const float* samples, std::size_t frames) {
        if (m_cancel && m_cancel->load(std::memory_order_relaxed)) {
            m_cancelled = true;
            return false;
        }
        const double before = m_song;
        double after = m_source.sound.SongSeconds();
        std::size_t keep = frames;
        if (m_o.to >= 0 && after >= m_o.to) {
            const double f = after > before ? (m_o.to - before) / (after - before) : 0.0;
            keep = std::min(frames, static_cast<std::size_t>(std::ceil(f * double(frames))));
            after = m_o.to;
            m_done = true;
        }
        const std::int64_t end = m_written + static_cast<std::int64_t>(keep);
        for (; m_next * m_rate <= end * m_fps; ++m_next) {
            const double at = double(m_next * m_rate) / m_fps - double(m_written);
            const double f = keep > 0 ? at / double(keep) : 1.0;
            if (!Picture(m_next, before + (after - before) * f)) return false;
        }
        if (!m_encoder.AddSound(samples, keep, m_error)) return false;
        m_written = end;
        m_song = after;
        Report();
        return !m_done;
    }

    std::int64_t FrameCount() const { return (m_written * m_fps + m_rate - 1) / m_rate; }
    bool Cancelled() const { return m_cancelled; }
    const std::string& Error() const { return m_error; }

private:
    bool Picture(std::int64_t frame, double songSeconds) {
        const std::int64_t ms = std::llround(double(frame) * 1000.0 / m_fps);
        if (const QImage* picture = m_source.pictures->At(songSeconds, ms))
            return m_encoder.AddPicture(*picture, frame, m_error);
        // An unchanged picture is sent again once a second, for seeking.
        if (frame - m_encoder.LastFrame() >= m_fps) return m_encoder.RepeatPicture(frame, m_error);
        return true;
    }

    void Report() {
        if (!m_progress || m_end <= m_o.from) return;
        const double done = std::clamp((m_song - m_o.from) / (m_end - m_o.from), 0.0, 1.0);
        if (done - m_reported < kProgressStep) return;
        m_reported = done;
        m_progress(done);
    }

    Source& m_source;
    VideoEncoder& m_encoder;
    const VideoExportOptions& m_o;
    const std::int64_t m_fps;
    const std::int64_t m_rate;
    const VideoProgress& m_progress;
    const std::atomic<bool>* m_cancel;
    double m_song;
    double m_end;
    double m_reported = 0;
    std::int64_t m_written = 0;  // sound frames given to the encoder
    std::int64_t m_next = 0;     // the next video frame
    bool m_done = false;
    bool m_cancelled = false;
    std::string m_error;
};

std::string OutputProblem(const std::string& song, const std::string& output) {
    if (output.empty()) return "no video file was named";
    const fs::path target(output);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return "the folder " + folder.string() + " does not exist";
    if (fs::equivalent(song, output, ec)) return "the video would overwrite the song " + song;
    if (fs::is_directory(target, ec)) return output + " is a folder";
    // Beside a song unpacked from an archive the video would be lost with it.
    return ArchiveWriteRefusal(target);
}

}  // namespace

std::string VideoOptionsProblem(const VideoExportOptions& o) {
    if (o.width < kVideoMinSide || o.height < kVideoMinSide || o.width > kVideoMaxSide ||
        o.height > kVideoMaxSide || o.width % 2 || o.height % 2)
        return "the video size must be even numbers from 64 to 4096";
    if (o.fps < 0 || o.fps > kVideoMaxFps) return "the frame rate must be 1 to 60";
    if (o.from < 0 || (o.to >= 0 && o.to <= o.from)) return "the end must come after the start";
    if (o.quality < 0 || o.quality > kVideoMaxQuality) return "the quality must be 0 to 51";
    if (std::abs(o.key) > kVideoMaxKey) return "the key must be -6 to 6 semitones";
    if (std::abs(o.tempo) > kVideoMaxTempo) return "the tempo must be -30 to 30 percent";
    return {};
}

VideoExportResult ExportVideo(const std::string& song, const std::string& output,
                              const VideoExportOptions& o, const VideoProgress& progress,
                              const std::atomic<bool>* cancel) {
    const auto started = std::chrono::steady_clock::now();
    VideoExportResult result;
    result.error = VideoOptionsProblem(o);
    if (result.error.empty()) result.error = OutputProblem(song, output);
    if (!result.error.empty()) return result;
    const FfmpegApi* av = LoadFfmpeg(result.error);
    if (!av) return result;
    Source source;
    if (!OpenSource(song, o, source, result.error)) return result;
    result.kind = source.kind;
    result.fps = o.fps ? o.fps : source.kind == "cdg" ? kCdgVideoFps : kVideoDefaultFps;
    if (o.from >= source.sound.length) {
        result.error =
            "the song is only " + std::to_string(int(source.sound.length)) + " seconds long";
        return result;
    }

    TempBeside temp(output);
    if (temp.Path().empty()) {
        result.error = "cannot write beside " + output;
        return result;
    }
    VideoEncoder encoder(*av);
    VideoEncoderSettings settings;
    settings.width = o.width;
    settings.height = o.height;
    settings.fps = result.fps;
    settings.sampleRate = source.sound.engine->OutputRate();
    settings.crf = o.quality;
    if (!encoder.Open(temp.Path(), settings, result.error)) return result;

    FrameFeeder feeder(source, encoder, o, result.fps, progress, cancel);
    const RenderResult rendered =
        OfflineRenderer(*source.sound.engine)
            .Run(source.sound.channel, -1, [&](const float* samples, std::size_t frames) {
                return feeder.Take(samples, frames);
            });
    result.cancelled = feeder.Cancelled();
    if (result.cancelled) return result;
    result.error = feeder.Error();
    if (result.error.empty() && !rendered.error.empty() && feeder.FrameCount() == 0)
        result.error = rendered.error;
    if (result.error.empty() && source.sound.engine->UnderrunFrames() > 0)
        result.error = "the decoder fell behind (internal error)";
    result.frames = feeder.FrameCount();
    if (result.error.empty() && result.frames == 0) result.error = "nothing to export";
    if (!result.error.empty()) return result;
    if (!encoder.Finish(result.frames, result.error) || !temp.MoveTo(output, result.error))
        return result;
    result.ok = true;
    result.pictures = encoder.PicturesEncoded();
    result.videoSeconds = double(result.frames) / result.fps;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

}  // namespace cx
