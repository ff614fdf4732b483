#include "app/ThemeClass.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "app/Registry.h"
#include "app/SettingText.h"

namespace cx {
namespace {

constexpr std::string_view kBassAndTreble = "bass and treble";
constexpr std::string_view kLanguage = "language";
constexpr std::string_view kCustomMixer = "custom mixer";
constexpr std::string_view kLyricsFontName = "karaoke font name";
constexpr std::string_view kBackgroundPicture = "karaoke background picture";
constexpr std::string_view kMonitor = "fullscreen monitor";
constexpr std::string_view kEmptyPicture = "empty";
constexpr std::string_view kDefaultPicture = "default";
constexpr int kVoiceEffectCount = 4;
constexpr int kMaxEffectAmount = 100;
constexpr int kNeutralTone = 50;

// Fonts tried in turn when the lyrics font is not installed.
constexpr std::array<std::string_view, 3> kLyricsFontFallbacks = {"Arial", "Tahoma",
                                                                  "Times New Roman"};

// One stored value: how it is read from its text and written back.
struct Field {
    std::function<void(ThemeClass&, std::string_view)> read;
    std::function<std::string(const ThemeClass&)> write;
};

void Assign(bool& to, std::string_view text) {
    if (auto v = ReadBoolText(text)) to = *v;
}
void Assign(std::int16_t& to, std::string_view text) {
    if (auto v = ReadInt16Text(text)) to = *v;
}
void Assign(std::int32_t& to, std::string_view text) {
    if (auto v = ReadInt32Text(text)) to = *v;
}
void Assign(std::uint32_t& to, std::string_view text) {
    if (auto v = ReadColourText(text)) to = *v;
}
void Assign(double& to, std::string_view text) {
    if (auto v = ReadFloatText(text)) to = *v;
}
void Assign(std::string& to, std::string_view text) {
    to = std::string(text);
}

std::string Format(bool v) {
    return BoolText(v);
}
std::string Format(std::int16_t v) {
    return std::to_string(v);
}
std::string Format(std::int32_t v) {
    return std::to_string(v);
}
std::string Format(std::uint32_t v) {
    return std::to_string(v);
}
std::string Format(double v) {
    return FloatText(v);
}
std::string Format(const std::string& v) {
    return v;
}

template <typename T>
Field Simple(T ThemeClass::*member) {
    return {[member](ThemeClass& t, std::string_view text) { Assign(t.*member, text); },
            [member](const ThemeClass& t) { return Format(t.*member); }};
}

std::vector<std::string_view> SplitAtComma(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return parts;
}

Field BassAndTreble() {
    return {[](ThemeClass& t, std::string_view text) {
                const auto parts = SplitAtComma(text);
                Assign(t.CustomBass, parts[0]);
                if (parts.size() > 1) Assign(t.CustomTreble, parts[1]);
            },
            [](const ThemeClass& t) {
                return std::to_string(t.CustomBass) + "," + std::to_string(t.CustomTreble);
            }};
}

// A target outside the range a user can choose is brought inside it.
Field LoudnessTarget() {
    return {[](ThemeClass& t, std::string_view text) {
                double v = t.LoudnessTargetLufs;
                Assign(v, text);
                if (std::isfinite(v))
                    t.LoudnessTargetLufs = std::clamp(v, kLoudnessTargetMin, kLoudnessTargetMax);
            },
            [](const ThemeClass& t) { return Format(t.LoudnessTargetLufs); }};
}

Field OutlineColours() {
    return {[](ThemeClass& t, std::string_view text) {
                const auto parts = SplitAtComma(text);
                Colour* colours[] = {&t.LyricsOutlineColor1, &t.LyricsOutlineColor2,
                                     &t.LyricsOutlineColor3, &t.LyricsOutlineColor4};
                for (size_t i = 0; i < parts.size() && i < std::size(colours); ++i) {
                    Assign(*colours[i], parts[i]);
                }
            },
            [](const ThemeClass& t) {
                return std::to_string(t.LyricsOutlineColor1) + "," +
                       std::to_string(t.LyricsOutlineColor2) + "," +
                       std::to_string(t.LyricsOutlineColor3) + "," +
                       std::to_string(t.LyricsOutlineColor4);
            }};
}

using FieldMap = std::map<std::string_view, Field>;

const FieldMap& Fields() {
    using T = ThemeClass;
    static const FieldMap fields = {
        {"on top", Simple(&T::OnTop)},
        {"fit font to window", Simple(&T::LyricsFitFont)},
        {"karaoke font color", Simple(&T::LyricsColor)},
        {"karaoke highlight color", Simple(&T::LyricsHighlightColor)},
        {"karaoke outline color", OutlineColours()},
        {"karaoke background color", Simple(&T::LyricsBackColor)},
        {"karaoke outline width", Simple(&T::LyricsOutlineWidth)},
        {kBackgroundPicture, Simple(&T::LyricsPicPath)},
        {kLyricsFontName, Simple(&T::LyricsFont)},
        {"karaoke font size", Simple(&T::LyricsFontSize)},
        {"karaoke font bold", Simple(&T::LyricsFontBold)},
        {"karaoke font italic", Simple(&T::LyricsFontItalic)},
        {"karaoke font charset", Simple(&T::LyricsFontCharset)},
        {"karaoke display mode", Simple(&T::DisplayMode)},
        {"karaoke offset", Simple(&T::LyricsOffset)},
        {"music files path", Simple(&T::MusicPath)},
        {"karaoke alignment", Simple(&T::LyricsAlignment)},
        {"scroll title", Simple(&T::Scroll)},
        {"karaoke ball", Simple(&T::LyricsShowBall)},
        {"karaoke ball color", Simple(&T::LyricsBallColor)},
        {"image size", Simple(&T::ImageSize)},
        {"image size X", Simple(&T::ImageSizeX)},
        {"image size Y", Simple(&T::ImageSizeY)},
        {"image offset X", Simple(&T::ImageOffsetX)},
        {"image offset Y", Simple(&T::ImageOffsetY)},
        {"image alignment", Simple(&T::ImageAlign)},
        {"image border", Simple(&T::ImageBorder)},
        {"image effect", Simple(&T::ImageEffect)},
        {"effect detail", Simple(&T::EffectDetail)},
        {"effect speed", Simple(&T::EffectSpeed)},
        {"karaoke mode", Simple(&T::LyricsMode)},
        {"show lyrics title", Simple(&T::ShowLyricsTitle)},
        {"background picture layout", Simple(&T::LyricsPicLayout)},
        {kMonitor, Simple(&T::Monitor)},
        {"karaoke window", Simple(&T::KaraokeWindow)},
        {"voice volume", Simple(&T::VoiceVolume)},
        {"rec directory", Simple(&T::VoiceDirectory)},
        {"rec quality", Simple(&T::RecordQuality)},
        {"audio device", Simple(&T::AudioDevice)},
        {"rec mode", Simple(&T::RecordMode)},
        {"rec folder", Simple(&T::RecordFolder)},
        {"record device", Simple(&T::RecordDevice)},
        {"editor font", Simple(&T::EditorFont)},
        {"editor font italic", Simple(&T::EditorFontItalic)},
        {"editor font bold", Simple(&T::EditorFontBold)},
        {"editor font charset", Simple(&T::EditorFontCharset)},
        {"midi device", Simple(&T::MidiDevice)},
        {"synchronization", Simple(&T::RecordSynchro)},
        {"playlist font name", Simple(&T::PlaylistFontName)},
        {"playlist font size", Simple(&T::PlaylistFontSize)},
        {"playlist fore color", Simple(&T::PlaylistForeColor)},
        {"playlist sel color", Simple(&T::PlaylistSelColor)},
        {"playlist play color", Simple(&T::PlaylistPlayColor)},
        {"playlist border color", Simple(&T::PlaylistBorderColor)},
        {"dsp out",
         {[](T& t, std::string_view text) { t.SetDspOut(text); },
          [](const T& t) { return t.DspOut(); }}},
        {"dsp out window", Simple(&T::DSPOutWin)},
        {"mix window", Simple(&T::MixWindow)},
        {"mix effects", Simple(&T::MixEffects)},
        {"mix song", Simple(&T::MixSong)},
        {"mix vocal", Simple(&T::MixVocal)},
        {"custom mix", Simple(&T::CustomMix)},
        {kCustomMixer, Simple(&T::CustomMixer)},
        {kBassAndTreble, BassAndTreble()},
        {"auto play", Simple(&T::AutoPlay)},
        {"mixer device", Simple(&T::MixerDevice)},
        {"karaoke minimum font percent", Simple(&T::LyricsMinFontPercent)},
        {"karaoke smooth sweep", Simple(&T::LyricsSmoothSweep)},
        {"loudness normalise", Simple(&T::LoudnessNormalise)},
        {"loudness target", LoudnessTarget()},
        // Singing along.
        {"pitch lane", Simple(&T::PitchLane)},
        {"score difficulty", Simple(&T::ScoreDifficulty)},
        {"voice latency ms", Simple(&T::VoiceLatencyMs)},
    };
    return fields;
}

// Position of a level within its control's range, 0..100.
std::int32_t TonePosition(std::int32_t min, std::int32_t max, std::int32_t level) {
    if (max <= min) return kNeutralTone;
    const double position = (static_cast<double>(level) - min) * 100.0 / (max - min);
    return static_cast<std::int32_t>(std::clamp(std::trunc(position), 0.0, 100.0));
}

void ApplyMixerTone(ThemeClass& t, const ThemeEnvironment& env) {
    t.CustomBass = kNeutralTone;
    t.CustomTreble = kNeutralTone;
    if (!env.mixerTone) return;
    const auto tone = env.mixerTone();
    if (!tone || tone->bassMax < 1 || tone->trebleMax < 1) return;
    t.CustomBass = TonePosition(tone->bassMin, tone->bassMax, tone->bassLevel);
    t.CustomTreble = TonePosition(tone->trebleMin, tone->trebleMax, tone->trebleLevel);
}

void ApplyFontFallback(ThemeClass& t, const ThemeEnvironment& env) {
    if (!env.fontInstalled || env.fontInstalled(t.LyricsFont)) return;
    for (const auto fallback : kLyricsFontFallbacks) {
        if (env.fontInstalled(std::string(fallback))) {
            t.LyricsFont = std::string(fallback);
            return;
        }
    }
    if (!env.defaultFont.empty()) t.LyricsFont = env.defaultFont;
}

void ApplyPicture(ThemeClass& t, const ThemeEnvironment& env) {
    std::error_code ec;
    const bool isFile = !t.LyricsPicPath.empty() && t.LyricsPicPath != kDefaultPicture &&
                        t.LyricsPicPath != kEmptyPicture &&
                        std::filesystem::is_regular_file(t.LyricsPicPath, ec);
    if (isFile && (!env.pictureLoads || env.pictureLoads(t.LyricsPicPath))) {
        t.LyricsPicture = {StoredPicture::Kind::File, t.LyricsPicPath};
    } else if (t.LyricsPicPath == kEmptyPicture) {
        t.LyricsPicture = {StoredPicture::Kind::None, {}};
    } else {
        t.LyricsPicPath = std::string(kDefaultPicture);
        t.LyricsPicture = {StoredPicture::Kind::BuiltIn, {}};
    }
}

void ApplyMonitor(ThemeClass& t, const ThemeEnvironment& env) {
    const auto& screens = env.screenNames;
    if (screens.empty()) return;
    if (std::find(screens.begin(), screens.end(), t.Monitor) == screens.end()) {
        t.Monitor = screens.front();
    }
}

}  // namespace

std::int32_t VoiceEffectValue(VoiceEffectIndex effect, int amount) {
    switch (effect) {
        case VoiceEffectIndex::Reverb:
            return static_cast<std::int32_t>(std::nearbyint(20.0 - amount / 5.0));
        case VoiceEffectIndex::Echo:
            return amount / 2;
        case VoiceEffectIndex::Chorus:
            return amount;
        case VoiceEffectIndex::Flanger:
            return amount / 10;
    }
    return 0;
}

const std::vector<std::string_view>& ThemeLoadOrder() {
    static const std::vector<std::string_view> order = {"mix window",
                                                        "mix effects",
                                                        "mix song",
                                                        "mix vocal",
                                                        "mixer device",
                                                        kBassAndTreble,
                                                        "custom mix",
                                                        "auto play",
                                                        "karaoke window",
                                                        "playlist font name",
                                                        "playlist font size",
                                                        "playlist border color",
                                                        "playlist fore color",
                                                        "playlist play color",
                                                        "playlist sel color",
                                                        "dsp out window",
                                                        "karaoke offset",
                                                        "midi device",
                                                        "record device",
                                                        "rec folder",
                                                        "rec mode",
                                                        "audio device",
                                                        "voice volume",
                                                        "rec quality",
                                                        "rec directory",
                                                        "dsp out",
                                                        "show lyrics title",
                                                        "karaoke mode",
                                                        "karaoke ball color",
                                                        "karaoke alignment",
                                                        "music files path",
                                                        "karaoke display mode",
                                                        "karaoke font color",
                                                        "karaoke highlight color",
                                                        "karaoke outline color",
                                                        kLyricsFontName,
                                                        "karaoke font size",
                                                        "karaoke font bold",
                                                        "karaoke font italic",
                                                        "karaoke outline width",
                                                        "karaoke background color",
                                                        kBackgroundPicture,
                                                        "karaoke ball",
                                                        "background picture layout",
                                                        "image offset X",
                                                        "image offset Y",
                                                        "image size",
                                                        "image size X",
                                                        "image size Y",
                                                        "image alignment",
                                                        "image border",
                                                        "image effect",
                                                        "effect detail",
                                                        "effect speed",
                                                        "editor font",
                                                        "editor font italic",
                                                        "editor font bold",
                                                        kLanguage,
                                                        "editor font charset",
                                                        "karaoke font charset",
                                                        "synchronization",
                                                        "on top",
                                                        "fit font to window",
                                                        "scroll title",
                                                        kMonitor,
                                                        "karaoke minimum font percent",
                                                        "karaoke smooth sweep",
                                                        "loudness normalise",
                                                        "loudness target",
                                                        "pitch lane",
                                                        "score difficulty",
                                                        "voice latency ms"};
    return order;
}

const std::vector<std::string_view>& ThemeSaveOrder() {
    static const std::vector<std::string_view> order = {"on top",
                                                        "fit font to window",
                                                        "karaoke font color",
                                                        "karaoke highlight color",
                                                        "karaoke outline color",
                                                        "karaoke background color",
                                                        "karaoke outline width",
                                                        kBackgroundPicture,
                                                        kLyricsFontName,
                                                        "karaoke font size",
                                                        "karaoke font bold",
                                                        "karaoke font italic",
                                                        "karaoke font charset",
                                                        "karaoke display mode",
                                                        "karaoke offset",
                                                        "music files path",
                                                        "karaoke alignment",
                                                        "scroll title",
                                                        "karaoke ball",
                                                        "karaoke ball color",
                                                        "image size",
                                                        "image size X",
                                                        "image size Y",
                                                        "image offset X",
                                                        "image offset Y",
                                                        "image alignment",
                                                        "image border",
                                                        "image effect",
                                                        "effect detail",
                                                        "effect speed",
                                                        "karaoke mode",
                                                        "show lyrics title",
                                                        "background picture layout",
                                                        kMonitor,
                                                        "karaoke window",
                                                        "voice volume",
                                                        "rec directory",
                                                        "rec quality",
                                                        "audio device",
                                                        "rec mode",
                                                        "rec folder",
                                                        "record device",
                                                        "editor font",
                                                        "editor font italic",
                                                        "editor font bold",
                                                        "editor font charset",
                                                        "midi device",
                                                        "synchronization",
                                                        "playlist font name",
                                                        "playlist font size",
                                                        "playlist fore color",
                                                        "playlist sel color",
                                                        "playlist play color",
                                                        "playlist border color",
                                                        "dsp out",
                                                        "dsp out window",
                                                        "mix window",
                                                        "mix effects",
                                                        "mix song",
                                                        "mix vocal",
                                                        "custom mix",
                                                        kCustomMixer,
                                                        kBassAndTreble,
                                                        "auto play",
                                                        "mixer device",
                                                        "karaoke minimum font percent",
                                                        "karaoke smooth sweep",
                                                        "loudness normalise",
                                                        "loudness target",
                                                        "pitch lane",
                                                        "score difficulty",
                                                        "voice latency ms"};
    return order;
}

ThemeClass::ThemeClass() {
    for (int i = 0; i < kVoiceEffectCount; ++i) {
        VoiceEffects[i].Value =
            VoiceEffectValue(static_cast<VoiceEffectIndex>(i), VoiceEffects[i].Amount);
    }
}

ThemeClass ThemeClass::Load(const RegistryStore& store, const ThemeEnvironment& env) {
    ThemeClass t;
    t.MusicPath = env.musicFolder;
    t.VoiceDirectory = env.voiceFolder;
    const auto& fields = Fields();
    for (const auto name : ThemeLoadOrder()) {
        const std::string text = ReadRegistryText(store, kSettingsKey, name);
        if (name == kLanguage) {
            const std::int32_t charset = text == "pl" ? kPolishCharset : 0;
            t.EditorFontCharset = charset;
            t.LyricsFontCharset = charset;
            continue;
        }
        if (text.empty()) {
            if (name == kBassAndTreble) ApplyMixerTone(t, env);
        } else {
            fields.at(name).read(t, text);
        }
        if (name == kLyricsFontName) ApplyFontFallback(t, env);
        if (name == kBackgroundPicture) ApplyPicture(t, env);
        if (name == kMonitor) ApplyMonitor(t, env);
    }
    return t;
}

std::vector<std::pair<std::string, std::string>> ThemeClass::SavedValues() const {
    std::vector<std::pair<std::string, std::string>> values;
    const auto& fields = Fields();
    for (const auto name : ThemeSaveOrder()) {
        values.emplace_back(std::string(name), fields.at(name).write(*this));
    }
    return values;
}

void ThemeClass::Save(RegistryStore& store) const {
    for (const auto& [name, text] : SavedValues()) {
        WriteRegistryText(store, kSettingsKey, name, text);
    }
}

std::optional<std::string> ThemeClass::ValueText(std::string_view valueName) const {
    const auto& fields = Fields();
    const auto it = fields.find(valueName);
    if (it == fields.end()) return std::nullopt;
    return it->second.write(*this);
}

bool ThemeClass::SetValueText(std::string_view valueName, std::string_view text) {
    const auto& fields = Fields();
    const auto it = fields.find(valueName);
    if (it == fields.end()) return false;
    if (text.empty()) {
        it->second.read(*this, it->second.write(ThemeClass()));
    } else {
        it->second.read(*this, text);
    }
    return true;
}

std::string ThemeClass::DspOut() const {
    std::string text;
    for (const auto& effect : VoiceEffects) {
        if (!text.empty()) text += ',';
        text += BoolText(effect.On) + "," + std::to_string(effect.Amount);
    }
    return text;
}

void ThemeClass::SetDspOut(std::string_view text) {
    const auto parts = SplitAtComma(text);
    for (int i = 0; i < kVoiceEffectCount; ++i) {
        StoredVoiceEffect& effect = VoiceEffects[i];
        const size_t on = static_cast<size_t>(i) * 2;
        if (on < parts.size()) Assign(effect.On, parts[on]);
        if (on + 1 < parts.size()) {
            std::int16_t amount = effect.Amount;
            Assign(amount, parts[on + 1]);
            // The amount thumb cannot leave its track; neither may a stored amount.
            effect.Amount = std::clamp<std::int16_t>(amount, 0, kMaxEffectAmount);
        }
        effect.Value = VoiceEffectValue(static_cast<VoiceEffectIndex>(i), effect.Amount);
    }
}

}  // namespace cx
