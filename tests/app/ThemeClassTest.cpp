#include "app/ThemeClass.h"

#include <gtest/gtest.h>

#include <set>

#include "app/Registry.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

// Remembers the order in which values are read.
class RecordingStore : public MemoryRegistryStore {
public:
    std::string Read(std::string_view key, std::string_view valueName) const override {
        reads.emplace_back(valueName);
        return MemoryRegistryStore::Read(key, valueName);
    }
    mutable std::vector<std::string> reads;
};

ThemeEnvironment TestEnvironment() {
    ThemeEnvironment env;
    env.musicFolder = "/home/u/Music";
    env.voiceFolder = "/home/u/.local/share/Cantabilex/Voice";
    return env;
}

ThemeClass LoadWith(std::initializer_list<std::pair<std::string, std::string>> values,
                    const ThemeEnvironment& env = TestEnvironment()) {
    MemoryRegistryStore store;
    for (const auto& [name, text] : values) store.Write(kSettingsKey, name, text);
    return ThemeClass::Load(store, env);
}

// The values a first start gives, in the order they are saved.
// clang-format off
const std::vector<std::pair<std::string, std::string>> kDefaults = {
    {"on top", "0"}, {"fit font to window", "1"}, {"karaoke font color", "12422269"},
    {"karaoke highlight color", "16637390"}, {"karaoke outline color", "0,0,0,0"},
    {"karaoke background color", "8080961"}, {"karaoke outline width", "2"},
    {"karaoke background picture", "default"}, {"karaoke font name", "Impact"},
    {"karaoke font size", "20"}, {"karaoke font bold", "0"}, {"karaoke font italic", "0"},
    {"karaoke font charset", "0"}, {"karaoke display mode", "3"}, {"karaoke offset", "0"},
    {"music files path", "/home/u/Music"}, {"karaoke alignment", "0"}, {"scroll title", "1"},
    {"karaoke ball", "0"}, {"karaoke ball color", "255"}, {"image size", "1"},
    {"image size X", "640"}, {"image size Y", "480"}, {"image offset X", "0"},
    {"image offset Y", "0"}, {"image alignment", "0"}, {"image border", "None"},
    {"image effect", ""}, {"effect detail", ""}, {"effect speed", "5"}, {"karaoke mode", "0"},
    {"show lyrics title", "0"}, {"background picture layout", "2"},
    {"fullscreen monitor", "Monitor 1 (primary)"}, {"karaoke window", "1"}, {"voice volume", "33"},
    {"rec directory", "/home/u/.local/share/Cantabilex/Voice"}, {"rec quality", "22050"},
    {"audio device", "0"}, {"rec mode", "2"}, {"rec folder", "0"}, {"record device", "-1"},
    {"editor font", "MS Sans Serif"}, {"editor font italic", "0"}, {"editor font bold", "0"},
    {"editor font charset", "0"}, {"midi device", "-1"}, {"synchronization", "1"},
    {"playlist font name", "MS Sans Serif"}, {"playlist font size", "8"},
    {"playlist fore color", "12760231"}, {"playlist sel color", "0"},
    {"playlist play color", "16777215"}, {"playlist border color", "11705750"},
    {"dsp out", "0,50,0,50,0,50,0,50"}, {"dsp out window", "100,100"}, {"mix window", ""},
    {"mix effects", "0"}, {"mix song", "64"}, {"mix vocal", "64"}, {"custom mix", "0"},
    {"custom mixer", "0"}, {"bass and treble", "50,50"}, {"auto play", "1"}, {"mixer device", "0"},
    {"karaoke minimum font percent", "67"}, {"karaoke smooth sweep", "0"},
    {"loudness normalise", "1"}, {"loudness target", "-16"},
    {"pitch lane", "0"}, {"score difficulty", "1"}, {"voice latency ms", "0"}};
// clang-format on

TEST(ThemeClass, FirstStartGivesTheDefaultsAndExitWritesThemAll) {
    MemoryRegistryStore store;
    const ThemeClass theme = ThemeClass::Load(store, TestEnvironment());
    EXPECT_EQ(theme.SavedValues(), kDefaults);
    EXPECT_EQ(store.WriteCount(), 0);  // loading never writes

    theme.Save(store);
    EXPECT_EQ(store.Values().size(), kDefaults.size());
    for (const auto& [name, text] : kDefaults)
        EXPECT_EQ(ReadRegistryText(store, kSettingsKey, name), text) << name;
    // What was written reads back to the same settings.
    EXPECT_EQ(ThemeClass::Load(store, TestEnvironment()).SavedValues(), kDefaults);
}

TEST(ThemeClass, ReadsInLoadOrderAndNeverReadsCustomMixer) {
    RecordingStore store;
    ThemeClass::Load(store, TestEnvironment());
    const std::vector<std::string> expected(ThemeLoadOrder().begin(), ThemeLoadOrder().end());
    EXPECT_EQ(store.reads, expected);

    // Every saved value but "custom mixer" is read, plus "language".
    std::set<std::string> saved, loaded(expected.begin(), expected.end());
    for (const auto& name : ThemeSaveOrder()) saved.emplace(name);
    saved.erase("custom mixer");
    saved.emplace("language");
    EXPECT_EQ(saved, loaded);
}

// Each stored text, loaded alone or set while running, reads as the text saved: not a number
// reads 0, any value other than 0 is 1, halves round to even, out of range keeps the default,
// a decimal comma counts and empty gives the default.
TEST(ThemeClass, StoredTextsReadAsTheyAreSaved) {
    // clang-format off
    const struct { const char *name, *stored, *saved; } cases[] = {
        {"on top", "-1", "1"}, {"auto play", "0", "0"}, {"karaoke ball", "2", "1"},
        {"karaoke mode", "abc", "0"}, {"scroll title", "0.4", "1"},
        {"karaoke font size", "24pt", "24"}, {"mix song", "  12.5", "12"},
        {"mix vocal", "13.5", "14"}, {"image size X", "70000", "640"},
        {"image size Y", "1e400", "480"}, {"effect speed", "junk", "0"},
        {"record device", "-3", "-3"}, {"karaoke font color", "-1", "4294967295"},
        {"karaoke ball color", "4294967295", "4294967295"},
        {"karaoke background color", "4294967296", "8080961"},
        {"karaoke offset", "0,25", "0.25"}, {"karaoke offset", "-1.5", "-1.5"},
        {"karaoke offset", "x", "0"}, {"karaoke font name", "", "Impact"},
        {"voice volume", "", "33"}, {"auto play", "", "1"}, {"dsp out window", "", "100,100"},
        {"karaoke outline color", "1,2,x", "1,2,0,0"}, {"image effect", "Slide Bar", "Slide Bar"},
        {"music files path", "/songs, old", "/songs, old"}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.stored);
        EXPECT_EQ(LoadWith({{c.name, c.stored}}).ValueText(c.name), c.saved);
        ThemeClass running = LoadWith({});
        ASSERT_TRUE(running.SetValueText(c.name, c.stored));
        EXPECT_EQ(running.ValueText(c.name), c.saved);
    }
    ThemeClass t;
    EXPECT_FALSE(t.SetValueText("no such value", "1"));
    EXPECT_FALSE(t.ValueText("language").has_value());
    for (int i = 0; i < 3; ++i) t.LyricsOffset += 0.1;  // the F9 key, three times
    EXPECT_EQ(*t.ValueText("karaoke offset"), "0.3");
    t.LyricsOffset = -0.0;
    EXPECT_EQ(*t.ValueText("karaoke offset"), "0");
}

TEST(ThemeClass, LyricsFontFallsBackThroughTheChain) {
    auto withFonts = [](std::set<std::string> installed) {
        ThemeEnvironment env = TestEnvironment();
        env.defaultFont = "DejaVu Sans";
        env.fontInstalled = [installed](const std::string& f) { return installed.count(f) > 0; };
        return env;
    };
    EXPECT_EQ(LoadWith({}, withFonts({"Impact", "Arial"})).LyricsFont, "Impact");
    EXPECT_EQ(LoadWith({}, withFonts({"Arial", "Tahoma"})).LyricsFont, "Arial");
    EXPECT_EQ(LoadWith({{"karaoke font name", "Gone"}}, withFonts({"Tahoma", "Times New Roman"}))
                  .LyricsFont,
              "Tahoma");
    EXPECT_EQ(LoadWith({}, withFonts({"Times New Roman"})).LyricsFont, "Times New Roman");
    EXPECT_EQ(LoadWith({}, withFonts({})).LyricsFont, "DejaVu Sans");
    EXPECT_EQ(LoadWith({{"karaoke font name", "Comic"}}, withFonts({"Comic"})).LyricsFont, "Comic");
    // Without a font database every name counts as installed.
    EXPECT_EQ(LoadWith({{"karaoke font name", "Comic"}}).LyricsFont, "Comic");
}

TEST(ThemeClass, PolishLanguageSetsTheCharsetDefaults) {
    const ThemeClass polish = LoadWith({{"language", "pl"}});
    EXPECT_EQ(polish.EditorFontCharset, 238);
    EXPECT_EQ(polish.LyricsFontCharset, 238);
    EXPECT_EQ(LoadWith({{"language", "PL"}}).LyricsFontCharset, 0);
    EXPECT_EQ(LoadWith({{"language", "fr"}}).EditorFontCharset, 0);
    const ThemeClass stored = LoadWith({{"language", "pl"}, {"karaoke font charset", "186"}});
    EXPECT_EQ(stored.LyricsFontCharset, 186);
    EXPECT_EQ(stored.EditorFontCharset, 238);
    // "language" is never written back.
    MemoryRegistryStore out;
    polish.Save(out);
    EXPECT_FALSE(out.Contains(kSettingsKey, "language"));
}

TEST(ThemeClass, CustomMixerIsZeroAfterEveryStart) {
    ThemeClass t = LoadWith({{"custom mixer", "7"}});
    EXPECT_EQ(t.CustomMixer, 0);
    t.CustomMixer = 3;
    MemoryRegistryStore store;
    t.Save(store);
    EXPECT_EQ(ReadRegistryText(store, kSettingsKey, "custom mixer"), "3");
    EXPECT_EQ(ThemeClass::Load(store, TestEnvironment()).CustomMixer, 0);
}

TEST(ThemeClass, BassAndTrebleFromStoreOrMixer) {
    ThemeEnvironment env = TestEnvironment();
    MixerToneControls tone{0, 200, 50, -10, 10, 5};
    env.mixerTone = [&tone]() { return std::optional<MixerToneControls>(tone); };
    const auto tones = [](const ThemeClass& t) { return std::pair(t.CustomBass, t.CustomTreble); };
    EXPECT_EQ(tones(LoadWith({}, env)), std::pair(25, 75));
    // A stored value wins over the mixer.
    const ThemeClass stored = LoadWith({{"bass and treble", "30,70"}}, env);
    EXPECT_EQ(tones(stored), std::pair(30, 70));
    EXPECT_EQ(*stored.ValueText("bass and treble"), "30,70");
    // A card without both controls leaves the sliders neutral.
    tone.trebleMax = 0;
    EXPECT_EQ(tones(LoadWith({}, env)), std::pair(50, 50));
    env.mixerTone = [] { return std::optional<MixerToneControls>(); };
    EXPECT_EQ(LoadWith({}, env).CustomBass, 50);
    // Half a value keeps the other default; garbage reads 0.
    EXPECT_EQ(tones(LoadWith({{"bass and treble", "abc"}})), std::pair(0, 50));
}

TEST(ThemeClass, VoiceEffectsFromDspOut) {
    ThemeClass t = LoadWith({{"dsp out", "1,100,-1,33,0,7,5,99"}});
    const auto& e = t.VoiceEffects;
    EXPECT_EQ((std::vector{e[0].On, e[1].On, e[2].On}), (std::vector{true, true, false}));
    // Reverb 20 - 100/5, echo 33/2, chorus, flanger 99/10.
    EXPECT_EQ((std::vector{e[0].Value, e[1].Value, e[2].Value, e[3].Value}),
              (std::vector{0, 16, 7, 9}));
    EXPECT_EQ(t.DspOut(), "1,100,1,33,0,7,1,99");

    EXPECT_EQ(VoiceEffectValue(VoiceEffectIndex::Reverb, 0), 20);
    EXPECT_EQ(VoiceEffectValue(VoiceEffectIndex::Reverb, 12), 18);  // 17.6
    EXPECT_EQ(VoiceEffectValue(VoiceEffectIndex::Reverb, 50), 10);

    // Short or wild values: missing pairs keep the defaults, amounts stay on the track.
    t = LoadWith({{"dsp out", "1,500,x"}});
    EXPECT_EQ(t.VoiceEffects[0].Amount, 100);
    EXPECT_FALSE(t.VoiceEffects[1].On);
    EXPECT_EQ(t.VoiceEffects[1].Amount, 50);
    EXPECT_EQ(t.DspOut(), "1,100,0,50,0,50,0,50");
    EXPECT_EQ(LoadWith({{"dsp out", "0,-20"}}).VoiceEffects[0].Value, 20);
}

TEST(ThemeClass, BackgroundPictureRule) {
    test::TempDir dir;
    const std::string picture = (dir / "back.jpg").string();
    test::WriteBytes(picture, "jpeg");

    ThemeClass t = LoadWith({{"karaoke background picture", picture}});
    EXPECT_EQ(t.LyricsPicture.kind, StoredPicture::Kind::File);
    EXPECT_EQ(t.LyricsPicPath, picture);

    t = LoadWith({{"karaoke background picture", "empty"}});
    EXPECT_EQ(t.LyricsPicture.kind, StoredPicture::Kind::None);
    EXPECT_EQ(*t.ValueText("karaoke background picture"), "empty");

    t = LoadWith({{"karaoke background picture", (dir / "gone.jpg").string()}});
    EXPECT_EQ(t.LyricsPicture.kind, StoredPicture::Kind::BuiltIn);
    EXPECT_EQ(t.LyricsPicPath, "default");

    t = LoadWith({{"karaoke background picture", dir.Path().string()}});  // a folder
    EXPECT_EQ(t.LyricsPicPath, "default");

    ThemeEnvironment env = TestEnvironment();
    env.pictureLoads = [](const std::string&) { return false; };
    t = LoadWith({{"karaoke background picture", picture}}, env);
    EXPECT_EQ(t.LyricsPicture.kind, StoredPicture::Kind::BuiltIn);
}

TEST(ThemeClass, FullscreenMonitorMustBePresent) {
    ThemeEnvironment env = TestEnvironment();
    env.screenNames = {"Monitor 1 (primary)", "Monitor 2"};
    EXPECT_EQ(LoadWith({{"fullscreen monitor", "Monitor 2"}}, env).Monitor, "Monitor 2");
    EXPECT_EQ(LoadWith({{"fullscreen monitor", "Monitor 3"}}, env).Monitor, "Monitor 1 (primary)");
    env.screenNames = {"Monitor 1 (primary)"};
    EXPECT_EQ(LoadWith({}, env).Monitor, "Monitor 1 (primary)");
    // With no screen known the stored name stays.
    EXPECT_EQ(LoadWith({{"fullscreen monitor", "Monitor 3"}}).Monitor, "Monitor 3");
}

}  // namespace
}  // namespace cx
