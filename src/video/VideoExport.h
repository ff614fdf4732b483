// Exports a song as a karaoke video: the pictures the player shows (the CD+G
// screen, or the karaoke window's lyric area) with the sound the player
// plays (audio songs through the playback chain with key and tempo, MIDI
// songs through the synth with their saved settings), as H.264 and AAC in
// an MP4 file. The file appears only when it is complete: the video is
// written beside it under a temporary name and renamed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "karaoke/KaraokeSettings.h"
#include "platform/Codepage.h"

namespace cx {

inline constexpr int kVideoMinSide = 64;
inline constexpr int kVideoMaxSide = 4096;
inline constexpr int kVideoMaxFps = 60;
inline constexpr int kVideoDefaultFps = 30;
// CD+G draws 300 packets a second, in groups of 12 per frame of its own.
inline constexpr int kCdgVideoFps = 25;
inline constexpr int kVideoDefaultQuality = 23;
inline constexpr int kVideoMaxQuality = 51;
inline constexpr double kVideoMaxKey = 6;
inline constexpr double kVideoMaxTempo = 30;

struct VideoExportOptions {
    int width = 1280;
    int height = 720;
    int fps = 0;  // 0: the song's own (CD+G 25, otherwise 30)
    double from = 0;
    double to = -1;                      // -1: the end of the song
    int quality = kVideoDefaultQuality;  // H.264 CRF, 0 (best) .. 51
    double key = 0;                      // semitones
    double tempo = 0;                    // percent faster (negative: slower)
    std::string voiceFile;               // mixed into the sound when set
    bool smooth = false;                 // CD+G scaled smoothly rather than sharply
    KaraokeSettings karaoke;             // how lyrics songs are painted
    CodepageChoice codepage;
    std::string soundFont;  // MIDI songs; empty: the first installed
};

// Why the options cannot be used; empty when they can.
std::string VideoOptionsProblem(const VideoExportOptions& options);

struct VideoExportResult {
    bool ok = false;
    bool cancelled = false;
    std::string error;  // why, when neither ok nor cancelled
    std::string kind;   // "cdg", "lyrics" or "midi"
    int fps = 0;
    std::int64_t frames = 0;    // frames of video
    std::int64_t pictures = 0;  // of them encoded; the rest repeat the one before
    double videoSeconds = 0;    // length of the video
    double seconds = 0;         // wall time spent
};

// Called now and then with the share done, 0..1, on the exporting thread.
using VideoProgress = std::function<void(double done)>;

// Exports `song` (CD+G or MP3+G pair, audio song with lyrics, MIDI/KAR, or a
// zip holding one of them) into `output`. A set `cancel` stops the export
// soon; a cancelled or failed export leaves no file behind. Blocking: run it
// on a worker thread where a window must stay usable.
VideoExportResult ExportVideo(const std::string& song, const std::string& output,
                              const VideoExportOptions& options, const VideoProgress& progress,
                              const std::atomic<bool>* cancel);

}  // namespace cx
