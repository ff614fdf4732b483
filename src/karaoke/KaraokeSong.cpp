#include "karaoke/KaraokeSong.h"

#include <QFontMetrics>
#include <QString>
#include <filesystem>

#include "karaoke/LyricLayout.h"
#include "lyrics/Id3v2Lyrics.h"
#include "lyrics/LyricsLoader.h"
#include "lyrics/Mp3Class.h"
#include "lyrics/SongCodepage.h"
#include "lyrics/SongTail.h"
#include "platform/Codepage.h"

namespace cx {

namespace {

namespace fs = std::filesystem;

// The end of the song, where its display block is.
bool ReadTail(const fs::path& path, std::string& bytes, std::string& error) {
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
    ReadResult tail = ReadSongTail(path);
    if (!tail.bytes) {
        error = tail.error;
        return false;
    }
    bytes = std::move(*tail.bytes);
    return true;
}

}  // namespace

SongLook SongLookFrom(const DisplayBlock& b) {
    SongLook look;
    look.Artist = b.Artist;
    look.Title = b.Title;
    look.Picture = b.Picture;
    look.ForeColor = b.ForeColor;
    look.HighlightColor = b.HighlightColor;
    look.OutlineColor1 = b.OutlineColor1;
    look.OutlineColor2 = b.OutlineColor2;
    look.OutlineColor3 = b.OutlineColor3;
    look.OutlineColor4 = b.OutlineColor4;
    look.BackColor = b.BackColor;
    look.Alignment = b.Alignment;
    look.Layout = b.Layout;
    look.Codepage = b.Codepage;
    for (std::size_t i = 1; i < b.Schedule.size(); ++i) {
        const auto index = static_cast<std::size_t>(b.Schedule[i].Index);
        if (index < 1 || index >= b.Images.size()) continue;
        const PictureEntry& e = b.Images[index];
        look.Schedule.push_back({e.Path, b.Schedule[i].Time, e.Effect, e.EffectDetail, e.Speed});
    }
    return look;
}

bool LoadKaraokeSong(const std::string& pathText, const KaraokeSettings& settings,
                     CodepageChoice cp, const SongLyricsLoader& other, KaraokeSong& song,
                     std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(pathText, ec)) {
        error = "no such file: " + pathText;
        return false;
    }
    song = KaraokeSong{};
    const fs::path media = VerifyFile(pathText);
    song.MediaPath = media.string();

    std::string bytes;
    if (!ReadTail(media, bytes, error)) return false;
    DisplayBlock block;
    // Relative picture paths belong to the song's folder, wherever we run.
    std::error_code absEc;
    ReadDisplayBlock(bytes, fs::absolute(media, absEc).parent_path().string(), cp, block);
    song.Look = SongLookFrom(block);
    song.Look.MediaPath = song.MediaPath;
    // Kept beside a song that could not be written: newer than its block.
    if (const int beside = ReadCodepageFile(media)) song.Look.Codepage = beside;
    if (!cp.fixed) cp = SongCodepageChoice(song.Look.Codepage, cp.codepage);
    MP3Class tags(cp);
    tags.SetFilename(song.MediaPath);
    if (tags.ReadFile()) tags.ReadTag();
    song.Look.TagArtist = tags.Info().Artist;
    song.Look.TagTitle = tags.Info().Title;

    AfterLoadContext context;
    context.Header = {
        block.Artist, block.Title, song.Look.TagArtist, song.Look.TagTitle, song.MediaPath, {}, {}};
    const QFont font = MakeLyricsFont(settings, settings.LyricsFontSize);
    context.Measure = [font](const std::string& text) {
        return QFontMetrics(font).horizontalAdvance(QString::fromStdString(text));
    };

    if (other) {
        if (auto done = other(song.MediaPath, song.Model, error)) {
            if (!*done) return false;
            song.Source = "midi";
            RunAfterLoad(song.Model, context);
            return true;
        }
    }
    LoadLyricsResult loaded = LoadLyrics(media, song.Model, context, cp);
    song.Problems = std::move(loaded.problems);
    song.Untimed = std::move(loaded.untimed);
    song.Notes = std::move(loaded.notes);
    // The LRC file's artist and title name a song whose tags do not.
    if (song.Look.TagArtist.empty() && song.Look.TagTitle.empty()) {
        song.Look.TagArtist = loaded.lrc.Artist;
        song.Look.TagTitle = loaded.lrc.Title;
    }
    if (!loaded.ok) {
        error = loaded.reason.empty() ? "no lyrics found for " + song.MediaPath : loaded.reason;
        return false;
    }
    if (!song.Model.HasLyrics()) {
        error = "the lyrics block of " + song.MediaPath + " holds no lyric lines";
        return false;
    }
    song.Source = LyricsSourceName(loaded.source);
    return true;
}

void SetTitlePageText(KaraokeSong& song, const std::string& noLyricsText) {
    if (song.Model.HasLyrics())
        song.Look.PageText.clear();
    else
        song.Look.PageText = song.Untimed.empty() ? noLyricsText : song.Untimed;
}

std::string LyricsProblemLine(const KaraokeSong& song) {
    std::string line;
    for (const std::string& p : song.Problems) {
        if (!line.empty()) line += "; ";
        line += p;
    }
    // One line: a reason never carries a line end into the status.
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    return line;
}

bool TakeUntimedWords(KaraokeSong& song) {
    if (song.Model.HasLyrics() || song.Untimed.empty()) return false;
    song.Model.Lyrics = SplitUntimedText(song.Untimed);
    song.Model.CurrentPiece = 0;
    song.Untimed.clear();
    song.Look.PageText.clear();
    return song.Model.HasLyrics();
}

}  // namespace cx
