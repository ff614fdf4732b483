// The settings object: every user setting, read from the settings store when
// the program starts and written back when it ends.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cx {

class RegistryStore;

// A colour as 0x00BBGGRR.
using Colour = std::uint32_t;

constexpr Colour Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16);
}

// Character set of Polish fonts, used as the charset default with that language.
inline constexpr std::int32_t kPolishCharset = 238;

// Levels and ranges of the sound card's master bass and treble controls.
struct MixerToneControls {
    std::int32_t bassMin = 0, bassMax = 0, bassLevel = 0;
    std::int32_t trebleMin = 0, trebleMax = 0, trebleLevel = 0;
};

// What the settings need from the platform. Every member may be left empty:
// then the rule it serves is skipped (fonts count as installed, no screens
// are checked, the mixer has no tone controls, pictures are not probed).
struct ThemeEnvironment {
    // True when a font family of exactly this name is installed.
    std::function<bool(const std::string&)> fontInstalled;
    // The system's default UI font, last in the lyrics font fallback chain.
    std::string defaultFont;
    // Names of the present screens, the primary first ("Monitor 1 (primary)").
    std::vector<std::string> screenNames;
    // The sound card's master tone controls, when it has any.
    std::function<std::optional<MixerToneControls>()> mixerTone;
    // True when the file is a picture that can be shown.
    std::function<bool(const std::string&)> pictureLoads;
    // Default folder of the open-song dialog (the user's music folder).
    std::string musicFolder;
    // Default folder of voice recordings ("Voice" in the app data folder).
    std::string voiceFolder;
};

// One of the four voice effects of the recorded voice.
struct StoredVoiceEffect {
    bool On = false;
    std::int16_t Amount = 50;  // amount thumb, 0..100
    std::int32_t Value = 0;    // effect parameter derived from Amount
};

enum class VoiceEffectIndex { Reverb = 0, Echo = 1, Chorus = 2, Flanger = 3 };

// The effect parameter an amount gives, by effect.
std::int32_t VoiceEffectValue(VoiceEffectIndex effect, int amount);

// Which picture the karaoke background shows when no song sets its own.
struct StoredPicture {
    enum class Kind { BuiltIn, None, File };
    Kind kind = Kind::BuiltIn;
    std::string path;  // for Kind::File
};

// Registry values that hold a setting, in the order they are read at start
// ("language" included, it decides the charset defaults).
const std::vector<std::string_view>& ThemeLoadOrder();
// Registry values written at exit, in order.
const std::vector<std::string_view>& ThemeSaveOrder();

// The loudness targets a user can choose, in LUFS.
inline constexpr double kLoudnessTargetMin = -30.0;
inline constexpr double kLoudnessTargetMax = -6.0;

class ThemeClass {
public:
    // The defaults of every setting (charsets for a non-Polish language).
    ThemeClass();

    // Reads every setting from the store. Missing, empty or unreadable values
    // keep their defaults; nothing here can fail.
    static ThemeClass Load(const RegistryStore& store, const ThemeEnvironment& env);

    // Every value as it is written at exit, in save order.
    std::vector<std::pair<std::string, std::string>> SavedValues() const;
    // Writes every value into the store.
    void Save(RegistryStore& store) const;

    // The text one value is written as; nullopt for a name that is not saved.
    std::optional<std::string> ValueText(std::string_view valueName) const;
    // Sets one value from its stored text, as loading does; false for an
    // unknown name. Special rules that need the platform are not applied.
    bool SetValueText(std::string_view valueName, std::string_view text);

    // "dsp out": switch and amount of each voice effect.
    std::string DspOut() const;
    void SetDspOut(std::string_view text);

    // Sound and mixer.
    std::int32_t CustomBass = 50;
    std::int32_t CustomTreble = 50;
    bool CustomMix = false;
    bool AutoPlay = true;
    std::int32_t CustomMixer = 0;
    std::string MixWindow;
    bool MixEffects = false;
    std::int16_t MixerDevice = 0;
    std::int16_t MixSong = 64;
    std::int16_t MixVocal = 64;
    std::string DSPOutWin = "100,100";
    std::array<StoredVoiceEffect, 4> VoiceEffects;
    // Every song played at one loudness (integrated, LUFS).
    bool LoudnessNormalise = true;
    double LoudnessTargetLufs = -16.0;

    // Playlist.
    std::string PlaylistFontName = "MS Sans Serif";
    std::int16_t PlaylistFontSize = 8;
    Colour PlaylistForeColor = Rgb(167, 180, 194);
    Colour PlaylistBorderColor = Rgb(150, 157, 178);
    Colour PlaylistSelColor = 0;
    Colour PlaylistPlayColor = Rgb(255, 255, 255);

    // Lyrics editor.
    std::string EditorFont = "MS Sans Serif";
    bool EditorFontItalic = false;
    bool EditorFontBold = false;
    std::int32_t EditorFontCharset = 0;

    // Recording and devices.
    std::int32_t RecordDevice = -1;
    std::int32_t RecordQuality = 22050;
    std::int16_t RecordMode = 2;
    std::int16_t RecordSynchro = 1;
    std::int16_t MidiDevice = -1;
    bool RecordFolder = false;
    std::int16_t AudioDevice = 0;
    std::string VoiceDirectory;
    std::int16_t VoiceVolume = 33;

    // Windows.
    bool KaraokeWindow = true;
    std::string Monitor = "Monitor 1 (primary)";
    bool OnTop = false;
    bool Scroll = true;
    std::string MusicPath;

    // Background pictures and transitions.
    std::int16_t LyricsPicLayout = 2;
    std::string ImageEffect;
    std::int16_t EffectSpeed = 5;
    std::string EffectDetail;
    std::string ImageBorder = "None";
    std::int16_t ImageSize = 1;
    std::int16_t ImageSizeX = 640;
    std::int16_t ImageSizeY = 480;
    std::int16_t ImageOffsetX = 0;
    std::int16_t ImageOffsetY = 0;
    std::int16_t ImageAlign = 0;
    std::string LyricsPicPath = "default";
    StoredPicture LyricsPicture;  // not stored; follows LyricsPicPath at start

    // Karaoke display.
    bool LyricsMode = false;
    double LyricsOffset = 0;
    std::int16_t LyricsAlignment = 0;
    std::int16_t DisplayMode = 3;
    bool LyricsShowBall = false;
    bool LyricsFitFont = true;
    std::int32_t LyricsFontCharset = 0;
    Colour LyricsBallColor = Rgb(255, 0, 0);
    Colour LyricsColor = Rgb(125, 140, 189);
    Colour LyricsHighlightColor = Rgb(206, 221, 253);
    Colour LyricsOutlineColor1 = 0;
    Colour LyricsOutlineColor2 = 0;
    Colour LyricsOutlineColor3 = 0;
    Colour LyricsOutlineColor4 = 0;
    Colour LyricsBackColor = Rgb(65, 78, 123);
    std::string LyricsFont = "Impact";
    std::int16_t LyricsFontSize = 20;
    bool LyricsFontBold = false;
    bool LyricsFontItalic = false;
    std::int16_t LyricsOutlineWidth = 2;
    bool ShowLyricsTitle = false;
    std::int16_t LyricsMinFontPercent = 67;  // smallest font before lines wrap, % of the size
    bool LyricsSmoothSweep = false;

    // Singing along: the pitch lane on the karaoke window, how strictly the
    // pitch is judged (0 easy, 1 medium, 2 hard) and the measured delay of
    // the voice beyond what the devices report.
    bool PitchLane = false;
    std::int16_t ScoreDifficulty = 1;
    std::int32_t VoiceLatencyMs = 0;

    // Kept in memory only.
    std::string LyricsPath;
};

}  // namespace cx
