// The savers the kill test interrupts, each with a fixture to save into and
// two alternating contents: the LRS block, the display block and the ID3 tags
// inside an MP3, the settings block inside a MIDI file, a playlist and the
// settings file.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "lyrics/DisplayBlock.h"
#include "lyrics/MediaBlocks.h"
#include "lyrics/MediaFixtures.h"
#include "lyrics/Mp3Class.h"
#include "midi/MidiSettingsBlock.h"
#include "midi/SmfWriter.h"
#include "platform/AtomicFile.h"
#include "platform/QSettingsStore.h"
#include "playlist/PlaylistFile.h"

namespace cx::test {

inline constexpr std::array<const char*, 6> kKillWriters = {"lrs",  "display",  "id3",
                                                            "midi", "playlist", "settings"};

// Big enough that a save takes a while, so kills land inside saves.
inline constexpr int kKillMp3Frames = 2400;  // about 1 MB
inline constexpr int kKillMidiNotes = 20000;
inline constexpr int kKillPlaylistEntries = 3000;
inline constexpr int kKillSettingsValues = 400;

// The file name each writer saves into, inside its own folder.
inline std::string KillFileName(const std::string& writer) {
    if (writer == "midi") return "song.mid";
    if (writer == "playlist") return "list.m3u";
    if (writer == "settings") return "Cantabilex.conf";
    return "song.mp3";
}

// The file as the user had it before any save.
inline std::string KillOriginal(const std::string& writer) {
    if (writer == "midi") {
        TrackWriter t;
        t.Name(0, "Melody").Tempo(0, 500000);
        for (int i = 0; i < kKillMidiNotes; ++i)
            t.NoteOn(i ? 12 : 0, i % 16, 40 + i % 40).NoteOff(12, i % 16, 40 + i % 40);
        return Smf(0, 96, {t.End()});
    }
    if (writer == "playlist") {
        std::string m3u = "#EXTM3U\r\n";
        for (int i = 0; i < kKillPlaylistEntries; ++i)
            m3u +=
                "#EXTINF:60,Old " + std::to_string(i) + "\r\nold" + std::to_string(i) + ".mp3\r\n";
        return m3u;
    }
    if (writer == "settings") return "[General]\nlanguage=en\n";
    return MakeMp3(kKillMp3Frames) + MakeId3v1("Old title", "Old artist", 1, 12);
}

// Save number `n` (contents alternate with n's parity); empty or why it failed.
inline std::string SaveWith(const std::string& writer, const std::filesystem::path& file, int n) {
    const int v = n % 2;
    const std::string tag = v ? "one" : "two";
    if (writer == "lrs") {
        PieceArray pieces(1);
        for (int i = 0; i < 200 + v * 50; ++i)
            pieces.push_back(
                {"line " + tag, "piece " + std::to_string(i) + " ", 0.5 * i, i % 5 == 4});
        return WriteLrsIntoMedia(pieces, file, Codepage::Cp1252).reason;
    }
    if (writer == "display") {
        DisplayBlock b;
        b.Title = "Title " + tag;
        b.ForeColor = v ? 255 : 65280;
        b.Images.push_back({"/music/" + tag + ".jpg", 10 + v, "", "", 5});
        BuildSchedule(b);
        return WriteDisplayBlock(b, file, Codepage::Cp1252).reason;
    }
    if (writer == "id3") {
        MP3Class mp3;
        mp3.SetFilename(file.string());
        const TagValues values{"Title " + tag, "Artist " + tag, "Album", "2001", "", "3", "Blues"};
        return mp3.SaveId3Tag(values, values, true, true) == kSaveTagOk ? "" : "tags not saved";
    }
    if (writer == "midi") {
        MidiSettings s;
        s.Transposition = v ? 3 : -2;
        s.Channels[1].Enabled = v != 0;
        return SaveMidi(file, s);
    }
    if (writer == "playlist") {
        std::vector<PlaylistEntry> entries;
        for (int i = 0; i < kKillPlaylistEntries + v; ++i)
            entries.push_back(
                {"/music/" + tag + std::to_string(i) + ".mp3", "Song " + tag, 61 + i});
        return SavePlaylistFile(file, entries, Codepage::Cp1252);
    }
    if (writer == "settings") {
        QSettingsStore store(file.string());
        for (int i = 0; i < kKillSettingsValues; ++i)
            store.Write("software\\Sonoferia\\Cantabilex", "value " + std::to_string(i),
                        tag + std::to_string(i));
        return store.Sync();
    }
    return "no writer " + writer;
}

}  // namespace cx::test
