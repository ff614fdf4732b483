#include "karaoke/KaraokeSong.h"

#include <QFontMetrics>
#include <QString>
#include <filesystem>
#include <fstream>

#include "karaoke/LyricLayout.h"
#include "lyrics/LrsFormat.h"
#include "platform/Codepage.h"

namespace cx {

namespace {

namespace fs = std::filesystem;

bool ReadBytes(const fs::path& path, std::string& bytes, std::string& error) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec) {
        error = "cannot read " + path.string() + ": " + ec.message();
        return false;
    }
    if (size > kMaxSongFileBytes) {
        error = path.string() + " is too large";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (!in.good() && !in.eof()) {
        error = "cannot read " + path.string();
        return false;
    }
    return true;
}

bool HasExtension(const fs::path& p, const char* ext) {
    std::string e = p.extension().string();
    for (auto& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e == ext;
}

// A file beside `media` with the same stem and the given extension, any case.
std::optional<fs::path> Sibling(const fs::path& media, const char* ext) {
    std::error_code ec;
    const fs::path dir = media.has_parent_path() ? media.parent_path() : fs::path(".");
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const fs::path& p = entry.path();
        if (p.stem() == media.stem() && HasExtension(p, ext) && p != media &&
            entry.is_regular_file(ec))
            return p;
    }
    return std::nullopt;
}

// The LRS block in a file's text, parsed into the model.
bool ParseLrsIn(const std::string& bytes, LyricsModel& model, const AfterLoadContext& context) {
    const std::string text = DecodeTextFile(bytes, Codepage::Cp1252);
    const LrsBlockSearch found = FindLrsBlock(text);
    if (!found.span) return false;
    const auto& span = *found.span;
    const std::string_view block(text.data() + span.begin, span.end + kLrsEnd.size() - span.begin);
    return static_cast<bool>(ParseLrsText(block, model, context)) && model.HasLyrics();
}

}  // namespace

bool LoadKaraokeSong(const std::string& pathText, const KaraokeSettings& settings,
                     const SongLyricsLoader& other, KaraokeSong& song, std::string& error) {
    fs::path path(pathText);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = "no such file: " + pathText;
        return false;
    }
    song = KaraokeSong{};
    song.Look.MediaPath = pathText;

    AfterLoadContext context;
    context.Header.MediaPath = pathText;
    const QFont font = MakeLyricsFont(settings, settings.LyricsFontSize);
    context.Measure = [font](const std::string& text) {
        return QFontMetrics(font).horizontalAdvance(QString::fromStdString(text));
    };

    if (other) {
        if (auto done = other(pathText, song.Model, error)) {
            if (!*done) return false;
            song.Source = "midi";
            RunAfterLoad(song.Model, context);
            return true;
        }
    }

    std::string bytes;
    if (!ReadBytes(path, bytes, error)) return false;
    if (ParseLrsIn(bytes, song.Model, context)) {
        song.Source = HasExtension(path, ".lrs") ? "lrs-file" : "lrs-block";
        return true;
    }
    if (auto lrs = Sibling(path, ".lrs")) {
        std::string lrsBytes;
        if (ReadBytes(*lrs, lrsBytes, error) && ParseLrsIn(lrsBytes, song.Model, context)) {
            song.Source = "lrs-file";
            return true;
        }
    }
    error = "no lyrics found for " + pathText;
    return false;
}

}  // namespace cx
