#include "playback/MediaControl.h"

#include <gtest/gtest.h>

#include "TestSignals.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

constexpr int kRate = 44100;

// A headless player: the media control over an engine that the test pulls.
struct Player {
    Player() : engine(kRate), media(engine, Hooks(), MediaSettings{}, true) {}

    MediaHooks Hooks() {
        MediaHooks h;
        h.loadLyrics = [this](const std::string& p) {
            lyricsLoadedFrom = p;
            return true;
        };
        h.loadCdg = [this](const std::string& p) {
            cdgLoadedFrom = p;
            return true;
        };
        h.playbackTimers = [this](bool on) { timersRunning = on; };
        h.isRecording = [this] { return recording; };
        return h;
    }
    std::string Song(const std::string& name, const std::vector<float>& samples, int channels = 2) {
        const auto path = dir / name;
        EXPECT_TRUE(test::WriteSound(path, samples, kRate, channels, test::kWavFloat));
        return path.string();
    }
    std::string File(const std::string& name, const std::string& bytes) {
        test::WriteBytes(dir / name, bytes);
        return (dir / name).string();
    }
    // A second of a chirp (left 0.5, right 0.25), opened and perhaps started.
    std::string OpenChirp(bool play) {
        std::string path = Song("song.wav", test::Chirp(kRate, kRate, 0.5f, 0.25f));
        EXPECT_TRUE(media.OpenName(path, play));
        return path;
    }
    EqParameters Eq(AudioHandle fx) {
        FxParameters p;
        EXPECT_TRUE(engine.FXGetParameters(fx, p));
        return std::get<EqParameters>(p);
    }
    std::vector<float> Pull(std::size_t frames) {
        std::vector<float> out(2 * frames);
        engine.Render(out.data(), frames);
        return out;
    }

    test::TempDir dir;
    AudioEngine engine;
    MediaControl media;
    std::string lyricsLoadedFrom, cdgLoadedFrom;
    bool timersRunning = false;
    bool recording = false;
};

TEST(MediaControl, OpensAStereoSongWithItsChainAndLyrics) {
    Player p;
    std::string path = p.Song("song.wav", test::Chirp(kRate, kRate, 0.5f, 0.5f));
    p.media.Settings().customBass = 100;
    ASSERT_TRUE(p.media.OpenName(path, false));
    EXPECT_EQ(p.media.CurrentPath(), path);
    EXPECT_NE(p.media.CurrentChannel(), 0u);
    EXPECT_TRUE(p.media.VocalCutAvailable());
    EXPECT_FALSE(p.media.VocalCutOn());
    EXPECT_NE(p.media.VocalCutProcessor(), 0u);
    EXPECT_TRUE(p.media.KaraokeMode());
    EXPECT_FALSE(p.media.CdgMode());
    EXPECT_EQ(p.media.SongSampleRate(), kRate);
    EXPECT_EQ(p.lyricsLoadedFrom, path);
    EXPECT_EQ(p.media.State(), MediaControl::kStopped);
    EXPECT_DOUBLE_EQ(p.media.LengthSeconds(), 1.0);
    EXPECT_EQ(p.Eq(p.media.BassEq()).gainDb, 15.0f);
    EXPECT_EQ(p.Eq(p.media.BassEq()).centreHz, 125.0f);
    EXPECT_EQ(p.Eq(p.media.TrebleEq()).gainDb, 0.0f);
    EXPECT_EQ(p.Eq(p.media.TrebleEq()).centreHz, 10000.0f);
    EXPECT_TRUE(p.media.ToggleVocalRemover());
}

// A mono song's vocal cut: ControlsStories.TheVocalRemoverInTheMenuFollowsTheSongsChannels.
TEST(MediaControl, RefusesCdgPathsAndMissingOrBrokenFiles) {
    Player p;
    std::string song = p.Song("song.wav", test::Chirp(kRate, 1000, 0.5f, 0.5f));
    ASSERT_TRUE(p.media.OpenName(song, false));
    std::string cdg = (p.dir / "song.CDG").string();
    EXPECT_FALSE(p.media.OpenName(cdg, false));
    EXPECT_EQ(p.media.CurrentPath(), song);  // the .cdg refusal changes nothing

    std::string missing = (p.dir / "missing.mp3").string();
    EXPECT_FALSE(p.media.OpenName(missing, false));
    EXPECT_TRUE(p.media.CurrentPath().empty());  // the previous song is closed
    EXPECT_EQ(p.media.LastSongPath(), song);
    EXPECT_EQ(p.media.CurrentChannel(), 0u);

    std::string broken = p.File("broken.ogg", "OggS but not really");
    EXPECT_FALSE(p.media.OpenName(broken, true));
    EXPECT_FALSE(p.media.LastError().empty());
    EXPECT_EQ(p.media.State(), MediaControl::kStopped);
}

TEST(MediaControl, PauseAndPlayContinueWhereTheyStoppedAndSeekMovesToAFraction) {
    Player p;
    const auto signal = test::Chirp(kRate, kRate, 0.5f, 0.25f);
    p.OpenChirp(true);
    EXPECT_EQ(p.media.State(), MediaControl::kPlaying);
    EXPECT_TRUE(p.timersRunning);
    p.Pull(3000);
    p.media.PauseSong();
    EXPECT_EQ(p.media.State(), MediaControl::kPaused);
    EXPECT_EQ(p.Pull(500)[0], 0.0f);
    EXPECT_NEAR(p.media.Tick(), 3000.0 / kRate, 1e-9);
    p.media.PlaySong(false);
    const auto out = p.Pull(100);
    EXPECT_EQ(out[0], signal[2 * 3000]);
    EXPECT_EQ(out[1], signal[2 * 3000 + 1]);
    // Seeking moves to the fraction of the song.
    p.media.Seek(0.5);
    EXPECT_DOUBLE_EQ(p.media.PositionSeconds(), std::trunc(0.5 * kRate) / kRate);
    EXPECT_EQ(p.Pull(10)[0], signal[2 * (kRate / 2)]);

    // Pausing while recording is refused.
    p.recording = true;
    p.media.PauseSong();
    EXPECT_EQ(p.media.State(), MediaControl::kPlaying);
}

TEST(MediaControl, StopClosesTheSongUnlessTheEditorIsOpen) {
    Player p;
    const std::string path = p.OpenChirp(true);
    p.Pull(2000);
    p.media.SetEditorOpen(true);
    p.media.StopSong();
    EXPECT_EQ(p.media.CurrentPath(), path);
    EXPECT_EQ(p.media.PositionSeconds(), 0.0);
    EXPECT_EQ(p.media.State(), MediaControl::kStopped);

    p.media.SetEditorOpen(false);
    p.media.StopSong();
    EXPECT_TRUE(p.media.CurrentPath().empty());
    EXPECT_EQ(p.media.LastSongPath(), path);
    EXPECT_EQ(p.media.CurrentChannel(), 0u);
    EXPECT_FALSE(p.timersRunning);
}

TEST(MediaControl, ACdgFileBesideTheSongHandsItToTheCdgWindow) {
    Player p;
    std::string path = p.Song("track.wav", test::Chirp(kRate, 1000, 0.5f, 0.25f));
    const std::string cdg = p.File("track.cdg", std::string(24 * 10, '\0'));
    ASSERT_TRUE(p.media.OpenName(path, true));
    EXPECT_TRUE(p.media.CdgMode());
    EXPECT_FALSE(p.media.KaraokeMode());
    EXPECT_TRUE(p.media.CurrentPath().empty());
    EXPECT_EQ(p.cdgLoadedFrom, cdg);
    EXPECT_EQ(p.media.State(), MediaControl::kStopped);  // its caller starts it
    EXPECT_TRUE(p.media.VocalCutAvailable());
    EXPECT_EQ(p.media.VocalCutProcessor(), 0u);
    EXPECT_TRUE(p.lyricsLoadedFrom.empty());
}

// MIDI songs go to the MIDI player unstarted; one it cannot open says the reader's reason.
TEST(MediaControl, MidiSongsGoToTheMidiPlayerAndAreNotStarted) {
    Player p;
    bool opens = true, opened = false, played = false, closed = false;
    MediaHooks h;
    h.openMidi = [&](const std::string&) { return opened = opens; };
    h.playMidi = [&](bool) { played = true; };
    h.midiOpenError = [] { return std::string("The given file is not a valid MIDI file"); };
    h.closeMidi = [&] { closed = true; };
    MediaControl media(p.engine, h, {}, true);
    std::string path = p.File("song.mid", std::string("MThd\0\0\0\6\0\0\0\1\0\x60", 14));
    ASSERT_TRUE(media.OpenName(path, true));
    EXPECT_TRUE(opened);
    EXPECT_FALSE(played);
    EXPECT_TRUE(media.MidiMode());
    EXPECT_EQ(media.CurrentPath(), path);
    EXPECT_EQ(media.CurrentChannel(), 0u);

    // Named as MIDI but holding text: it still goes to the MIDI reader.
    opens = closed = false;
    MediaControl fresh(p.engine, h, {}, true);
    path = p.File("song.kar", "not a song");
    EXPECT_FALSE(fresh.OpenName(path, true));
    EXPECT_NE(fresh.LastError().find("The given file is not a valid MIDI file"), std::string::npos);
    EXPECT_NE(fresh.LastError().find(path), std::string::npos);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(fresh.MidiMode());
    EXPECT_TRUE(fresh.CurrentPath().empty());
}

TEST(MediaControl, ControlsActOnTheOpenSong) {
    Player p;
    std::string path = p.OpenChirp(false);
    EXPECT_EQ(p.media.OnTempoThumb(141), 32);
    EXPECT_EQ(p.engine.TempoGet(p.media.CurrentChannel()), 30.0f);
    EXPECT_EQ(p.media.OnTransposeThumb(109 - 8), -2);
    EXPECT_EQ(p.engine.PitchGet(p.media.CurrentChannel()), -2.0f);
    EXPECT_EQ(p.engine.TempoGet(p.media.CurrentChannel()), 30.0f);
    EXPECT_EQ(p.media.OnBassThumb(30), 100);
    EXPECT_EQ(p.media.Settings().customBass, 100);
    EXPECT_EQ(p.media.OnBalance(0.0), -100);
    EXPECT_EQ(p.engine.ChannelGetAttributes(p.media.CurrentChannel()).pan, -100);
    // A new song starts at normal tempo and key, with the stored bass.
    ASSERT_TRUE(p.media.OpenName(path, false));
    EXPECT_EQ(p.engine.TempoGet(p.media.CurrentChannel()), 0.0f);
    EXPECT_EQ(p.engine.PitchGet(p.media.CurrentChannel()), 0.0f);
    EXPECT_EQ(p.Eq(p.media.BassEq()).gainDb, 15.0f);
}

TEST(MediaControl, VoiceChannelPlaysBesideTheSongWithItsEffects) {
    Player p;
    std::string voice = p.Song("voice.wav", test::StereoSine(kRate, 300.0, 1.0, 0.3f, 0.3f));
    p.media.VoiceEffects() = VoiceEffectSet::FromDspOut("1,50,0,50,0,50,0,50");
    p.OpenChirp(true);
    p.Pull(4410);
    ASSERT_TRUE(p.media.LoadAudio(voice));
    EXPECT_TRUE(p.media.VoiceLoaded());
    EXPECT_NEAR(p.engine.PositionSeconds(p.media.VoiceChannel()), 0.1, 1e-6);
    p.media.SetVoiceVolume(40);
    EXPECT_EQ(p.engine.ChannelGetAttributes(p.media.VoiceChannel()).volume, 40);
    // Moving an amount while the voice plays rewrites that effect when it is on.
    p.media.OnEffectAmount(1, 83 + 100);
    p.Pull(100);
    p.media.Seek(0.5);
    EXPECT_NEAR(p.engine.PositionSeconds(p.media.VoiceChannel()), 0.5, 1e-3);
    p.media.CloseSong();
    EXPECT_EQ(p.media.VoiceChannel(), 0u);
    EXPECT_FALSE(p.media.VoiceLoaded());
}

TEST(MediaControlHooks, LoadsTheLyricsBesideTheSongAndReadsItsTags) {
    Player p;
    std::string path = p.Song("Singer - Song.wav", test::Chirp(kRate, kRate, 0.5f, 0.5f));
    p.File("Singer - Song.lrc", "[00:00.50]Hello\r\n[00:01.00]World\r\n");
    LyricsModel model;
    MediaHooks hooks;
    hooks.loadLyrics = LyricsLoaderHook(model, Codepage::Cp1252);
    MediaControl media(p.engine, hooks, {}, true);
    ASSERT_TRUE(media.OpenName(path, false));
    ASSERT_TRUE(model.HasLyrics());
    EXPECT_DOUBLE_EQ(model.Lyrics[1].StartTime, 0.5);
    EXPECT_EQ(media.SongInfo().sampleRate, kRate);
    EXPECT_FALSE(media.SongInfo().isMidi);
}

}  // namespace
}  // namespace cx
