// Writes a seed corpus for every fuzz target into <out>/<target>/, made by
// the same writers the tests use, so no sample files need to be committed.
// Usage: cx_fuzz_seeds <out-folder>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "app/Registry.h"
#include "app/ThemeClass.h"
#include "app/Translations.h"
#include "demo/DemoCdgSong.h"
#include "lyrics/DisplayBlock.h"
#include "lyrics/Id3v1.h"
#include "lyrics/KokFormat.h"
#include "lyrics/LrcFormat.h"
#include "lyrics/LrsFormat.h"
#include "lyrics/Lyrics3.h"
#include "midi/MidiSettingsBlock.h"
#include "playlist/PlaylistFile.h"
#include "recording/VoiceFile.h"
#include "tests/cdg/CdgTestPackets.h"
#include "tests/lyrics/MediaFixtures.h"
#include "tests/midi/SmfWriter.h"

namespace fs = std::filesystem;
using namespace cx;
using namespace cx::test;

namespace {

// CD+G seeds stay short: the fuzzer runs them many times a second.
constexpr std::size_t kCdgSeedBytes = 16384;
constexpr std::size_t kLanguageSeedBytes = 4096;

fs::path g_out;
int g_written = 0;

void Put(const std::string& target, const std::string& name, const std::string& bytes) {
    const fs::path dir = g_out / target;
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
    ++g_written;
}

PieceArray SongPieces() {
    PieceArray p(1);
    auto add = [&](double t, std::string piece, bool lineBreak) {
        LyricPiece lp;
        lp.StartTime = t;
        lp.PieceText = std::move(piece);
        lp.LineBreak = lineBreak;
        p.push_back(lp);
    };
    add(1.0, "Ma", false);
    add(1.25, "ry ", false);
    add(1.5, "had ", false);
    add(2.125, "a ", false);
    add(2.5, "lamb", true);
    add(4.0, "Zażółć ", false);
    add(4.75, "gęślą", true);
    add(61.5, "[x;y]", true);
    for (std::size_t i = 1, start = 1; i < p.size(); ++i) {
        if (!p[i].LineBreak && i + 1 < p.size()) continue;
        std::string line;
        for (std::size_t j = start; j <= i; ++j) line += p[j].PieceText;
        for (std::size_t j = start; j <= i; ++j) p[j].LineText = line;
        start = i + 1;
    }
    return p;
}

DisplayBlock SongDisplay() {
    DisplayBlock b;
    b.Artist = "Traditional";
    b.Title = "Mary Had a Little Lamb";
    b.Picture = "/music/lamb.jpg";
    b.ForeColor = 0x00FFFFFF;
    b.HighlightColor = 0x000000FF;
    b.Alignment = 2;
    b.Layout = 1;
    b.Images.push_back({"/music/a.jpg", 0, "", "", 5});
    b.Images.push_back({"/music/b.png", 30, "Fade", "Slow", 10});
    b.Images.push_back({"/music/c.bmp", 12, "Wipe", "Left", 1});
    BuildSchedule(b);
    return b;
}

std::string Lyrics3Of(const PieceArray& pieces) {
    std::string error;
    return BuildLyrics3Block(
        {"Author", "Artist", "Title", "Album", "lamb.jpg", ExportLrc(pieces, LrcFlavour::Plain)},
        error);
}

// An ID3v2.4 tag with a footer, as some writers append it after the audio.
std::string AppendedId3v2() {
    const std::string frame = std::string("TIT2") + std::string("\x00\x00\x00\x06\x00\x00", 6) +
                              std::string("\x03Lamb\x00", 6);
    auto syncsafe = [](std::uint32_t v) {
        std::string s(4, '\0');
        for (int i = 3; i >= 0; --i, v >>= 7)
            s[static_cast<std::size_t>(i)] = static_cast<char>(v & 0x7F);
        return s;
    };
    const std::string size = syncsafe(static_cast<std::uint32_t>(frame.size()));
    return std::string("ID3\x04\x00\x10", 6) + size + frame + std::string("3DI\x04\x00\x10", 6) +
           size;
}

void LyricsSeeds() {
    const PieceArray pieces = SongPieces();
    const std::string lrs = BuildLrsBlock(pieces);
    Put("fuzz_lrs", "block.lrs", lrs);
    Put("fuzz_lrs", "block-crlf.lrs", lrs + "\r\n");
    Put("fuzz_lrs", "in-media.bin", MakeMp3(2) + lrs + "\r\n" + MakeId3v1("Lamb", "Trad", 1, 12));
    Put("fuzz_lrs", "lf-lines.lrs", "#Cantabilex\n[1]Ma[1.5]ry\n[2,25]had\n#End Cantabilex\n");

    Put("fuzz_lrc", "plain.lrc", ExportLrc(pieces, LrcFlavour::Plain));
    Put("fuzz_lrc", "extended.lrc", ExportLrc(pieces, LrcFlavour::Extended));
    Put("fuzz_lrc", "tags.lrc",
        "[ar:Trad]\r\n[ti:Lamb]\r\n[offset:-250]\r\n[00:01.00][00:09.50]Ma<00:01.25>ry\r\n");

    Put("fuzz_kok", "song.kok", ExportKok(pieces));

    Put("fuzz_ultrastar", "solo.txt",
        "#TITLE:Lamb\n#ARTIST:Trad\n#MP3:lamb.mp3\n#BPM:300\n#GAP:1000\n: 0 4 0 Ma\n"
        "* 4 2 2 ry\n- 8\nF 10 2 0  had\nR 12 2 0  a\nG 14 1 0  lit\n: 15 1 0 ~\nE\n");
    Put("fuzz_ultrastar", "relative-duet.txt",
        "\xEF\xBB\xBF#TITLE:Lamb\r\n#RELATIVE:yes\r\n#BPM:199,96\r\n#P1:A\r\n#P2:B\r\n"
        "P1\r\n: 0 4 0 Ma\r\n- 6 8\r\n: 0 2 1 ry\r\nP2\r\n: 2 4 3 had\r\nP3\r\n"
        ": 30 2 0 all\r\nE\r\n");

    const DisplayBlock display = SongDisplay();
    const std::string block = BuildDisplayBlockText(display) + "\r\n";
    Put("fuzz_display_block", "block.txt", block);
    Put("fuzz_display_block", "in-media.bin",
        MakeMp3(2) + "\r\n" + block + MakeId3v1("Lamb", "Trad", 1, 12));

    const std::string l3 = Lyrics3Of(pieces);
    const std::string id3v1 = MakeId3v1("Mary Had a Little Lamb", "Traditional", 3, 17);
    Put("fuzz_lyrics3", "v2-with-id3v1.mp3", MakeMp3(2) + l3 + id3v1);
    Put("fuzz_lyrics3", "v2-alone.mp3", MakeMp3(1) + l3);
    Put("fuzz_lyrics3", "v1.mp3",
        MakeMp3(1) + "LYRICSBEGINMary had a little lambLYRICSEND" + id3v1);
    Put("fuzz_lyrics3", "wav.wav", MakeWav(8));

    // Tags are written by TagLib into a scratch file and taken back as bytes.
    const fs::path tagged = g_out / "tagged.mp3.tmp";
    const auto taggedSeed = [&](const char* name, const SyltEntries& sylt, const std::string& uslt,
                                bool inFrames) {
        std::ofstream(tagged, std::ios::binary) << MakeMp3(2);
        AddId3v2Lyrics(tagged, sylt, uslt, inFrames);
        std::ifstream in(tagged, std::ios::binary);
        Put("fuzz_id3v2_lyrics", name, std::string(std::istreambuf_iterator<char>(in), {}));
    };
    taggedSeed("sylt-ms.mp3", {{1000, "Ma"}, {1250, "ry "}, {2000, "\nhad"}}, "", false);
    taggedSeed("sylt-frames.mp3", {{40, "Mary had"}, {80, "a lamb"}}, "", true);
    taggedSeed("uslt.mp3", {}, "Mary had\na little lamb", false);
    fs::remove(tagged);

    const std::string lrsBlock = lrs + "\r\n";
    Put("fuzz_media_tail", "all-blocks.mp3", MakeMp3(2) + lrsBlock + "\r\n" + block + l3 + id3v1);
    Put("fuzz_media_tail", "appended-id3v2.mp3", MakeMp3(2) + lrsBlock + AppendedId3v2() + id3v1);
    Put("fuzz_media_tail", "appended-id3v2-last.mp3", MakeMp3(1) + AppendedId3v2());
    Put("fuzz_media_tail", "id3v1-only.mp3", MakeMp3(1) + id3v1);
    MidiSettings ms;
    ms.Transposition = -3;
    ms.Channels[9].Enabled = false;
    const std::string mid = Smf(0, 96, {TrackWriter().Lyric(0, "Ma").Lyric(48, "ry").End()});
    Put("fuzz_media_tail", "midi-settings.mid", WithSettingsBlock(mid, ms));

    Put("fuzz_wav_header", "pcm.wav", MakeWav(16));
    std::string listed = MakeWav(4);
    listed.insert(12, std::string("LIST\x05\x00\x00\x00INFOx\x00", 14));  // odd chunk, padded
    Put("fuzz_wav_header", "list-chunk.wav", listed);
    std::string oversized = MakeWav(4);
    oversized.replace(40, 4, std::string("\xff\xff\xff\x7f", 4));  // data longer than the file
    Put("fuzz_wav_header", "data-past-end.wav", oversized);
    Put("fuzz_wav_header", "head-only.wav", MakeWav(1000).substr(0, 44));
}

void MidiSeeds() {
    const std::string kar =
        Smf(1, 192,
            {TrackWriter().Name(0, "Song").Tempo(0, 500000).Text(0, "@KMIDI KARAOKE FILE").End(),
             TrackWriter()
                 .Name(0, "Words")
                 .Text(0, "@LENGL")
                 .Text(0, "@TLamb")
                 .Text(96, "\\Ma")
                 .Text(96, "ry ")
                 .Text(96, "/had")
                 .End(),
             TrackWriter().Program(0, 0, 1).NoteOn(0, 0, 60).NoteOff(192, 0, 60).End()});
    const std::string lyrics =
        Smf(1, 96,
            {TrackWriter().Tempo(0, 400000).Meta(0, 0x58, std::string("\x04\x02\x18\x08", 4)).End(),
             TrackWriter()
                 .Name(0, "Melody")
                 .Lyric(0, "Ma")
                 .NoteOn(0, 0, 64)
                 .Lyric(48, "ry\r")
                 .NoteOff(0, 0, 64)
                 .Msg(10, 0, 65, 90)
                 .Control(4, 0, 7, 100)
                 .Sysex(1, "\x7e\x7f\x09\x01\xf7")
                 .End()});
    std::string truncated = lyrics.substr(0, lyrics.size() - 7);
    std::string padded = lyrics + std::string(64, '\0') + "junk";
    const std::string smpte = Smf(0, 0xE728, {TrackWriter().Lyric(10, "x").End()});
    const std::string shortLength = "MThd" + Be(6, 4) + Be(0, 2) + Be(1, 2) + Be(96, 2) +
                                    TrackChunk(TrackWriter().Lyric(0, "a").End().Data(), 3);
    MidiSettings ms;
    ms.Channels[0].Volume = 64;
    for (const std::string target : {"fuzz_midi_smf", "fuzz_midi_words"}) {
        Put(target, "kar.mid", kar);
        Put(target, "lyrics.mid", lyrics);
        Put(target, "truncated.mid", truncated);
        Put(target, "padded.mid", padded);
        Put(target, "smpte.mid", smpte);
        Put(target, "short-length.mid", shortLength);
    }
    Put("fuzz_midi_smf", "settings.mid", WithSettingsBlock(lyrics, ms));
}

void PlaylistSeeds() {
    const std::vector<PlaylistEntry> entries = {{"/music/lamb.mp3", "Lamb", 83},
                                                {"/music/sub/twinkle.kar", "", -1},
                                                {"http://radio/x", "Radio", 0}};
    Put("playlist_fuzz", "list.m3u", WriteM3U(entries, "/music", Codepage::Cp1250));
    Put("playlist_fuzz", "relative.m3u", "song.mp3\r\n..\\up\\b.mp3\r\nfile:///abs/c%20d.ogg\r\n");
    Put("playlist_fuzz", "list.pls",
        "[playlist]\r\nFile1=lamb.mp3\r\nTitle1=Lamb\r\nLength1=83\r\nFile3=C:\\x\\y.mp3\r\n"
        "NumberOfEntries=2\r\nVersion=2\r\n");
    Put("playlist_fuzz", "unnumbered.pls",
        "[playlist]\nFile=a.mp3\nTitle=A\nLength=-1\nfile2 = b.ogg\n");
    Put("playlist_fuzz", "time.txt", "12:34");
}

void CdgSeeds() {
    const demo::LambCdg song = demo::MakeLambCdg();
    Put("cdg_decode_fuzzer", "lamb-start.cdg",
        std::string(song.bytes.begin(),
                    song.bytes.begin() + std::min(song.bytes.size(), kCdgSeedBytes)));
    const std::vector<std::uint8_t> packets = test::Bytes(
        {MemoryPreset(3), BorderPreset(5), Tile(2, 3, 1, 2, 0x2A), Tile(4, 5, 3, 6, 0x15, true, 7),
         Colors(false, {0x000, 0xFFF, 0xF00, 0x0F0, 0x00F, 0x888, 0x123, 0xABC}),
         Scroll(true, 2, 1, 3, 2, 5), Scroll(false, 4, 2, 0, 1, 11), Empty()});
    Put("cdg_decode_fuzzer", "instructions.cdg", std::string(packets.begin(), packets.end()));
}

void AppSeeds() {
    MemoryRegistryStore store;
    ThemeEnvironment env;
    env.screenNames = {"Monitor 1 (primary)", "Monitor 2"};
    env.fontInstalled = [](const std::string&) { return true; };
    env.defaultFont = "Sans";
    ThemeClass::Load(store, env).Save(store);
    std::string lines;
    for (const auto name : ThemeLoadOrder()) lines += store.Read(kSettingsKey, name) + "\n";
    Put("fuzz_settings", "defaults.txt", lines);

    for (const int number :
         {kEnglishLanguageResource, kPolishLanguageResource, kFrenchLanguageResource}) {
        const std::string key = "DialogAddFiles";
        const std::string_view text = LanguageResource(number);
        Put("fuzz_language_file", "lang-" + std::to_string(number) + ".txt",
            std::string(1, static_cast<char>(key.size())) + key +
                std::string(text.substr(0, std::min(text.size(), kLanguageSeedBytes))));
    }
}

// Four bytes choose the take (stereo 22050 Hz from frame 300, 40 frames);
// the voice file follows.
void VoiceSeeds() {
    const std::string take22k("\x02\x2c\x01\x28", 4);
    RecordFormat stereo;
    const std::string voice = BuildVoiceFile(stereo, 0.02, 0.005, std::string(64, '\x40')).bytes;
    Put("fuzz_voice_file", "voice.wav", take22k + voice);
    Put("fuzz_voice_file", "voice-with-list.wav",
        take22k + voice + std::string("LIST\x05\x00\x00\x00INFOx\x00", 14));
    RecordFormat mono;
    mono.channels = 1;
    Put("fuzz_voice_file", "mono-voice.wav",
        take22k + BuildVoiceFile(mono, 0.01, 0, std::string(32, '\x20')).bytes);
    Put("fuzz_voice_file", "song-wav.wav", take22k + MakeWav(64));
}

// Calls to the guests' request page, written as the fuzzer reads them.
void GuestApiSeeds() {
    Put("fuzz_guest_api", "page.txt",
        "GET /?lang=pl\naccept-language: fr-CH, fr;q=0.9, en;q=0.8\n\n");
    Put("fuzz_guest_api", "search.txt", "GET /api/search?q=Title 1\nx-join-code: @CODE@\n\n");
    Put("fuzz_guest_api", "request.txt",
        "POST /api/request\nx-join-code: @CODE@\nx-guest: guest-token-0123456789\n"
        "content-type: application/json\n\n{\"name\":\"<b>Ann</b>\",\"song\":7,\"key\":-2}");
    Put("fuzz_guest_api", "form.txt",
        "POST "
        "/api/request\n\ncode=@CODE@&guest=form-guest-0123456789&name=Al+%C4%85&song=3&key=%2D6");
    Put("fuzz_guest_api", "mine.txt", "GET /api/mine?guest=guest-token-0123456789&code=@CODE@\n\n");
    Put("fuzz_guest_api", "traversal.txt", "GET /../../etc/passwd\nx-join-code: @CODE@\n\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: cx_fuzz_seeds <out-folder>\n";
        return 2;
    }
    g_out = argv[1];
    LyricsSeeds();
    MidiSeeds();
    PlaylistSeeds();
    CdgSeeds();
    AppSeeds();
    VoiceSeeds();
    GuestApiSeeds();
    std::cout << "wrote " << g_written << " seeds under " << g_out.string() << "\n";
    return 0;
}
