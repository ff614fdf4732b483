// The editor's working lyrics (EditorPieces) and the media file they belong
// to, with every edit the window offers. When they are the current song's
// lyrics, each edit is copied into the player's model as it happens, so the
// karaoke window follows. Free of widgets: the window and cbx drive it alike.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/DisplayBlock.h"
#include "lyrics/LyricsModel.h"

namespace cx {

// The singer presses a little after hearing the syllable.
inline constexpr double kCaptureReactionSeconds = 0.25;

// What reached the player's lyrics, so the karaoke window can follow.
enum class LyricsEdit {
    Captured,  // one piece got its time at the playing position
    Retimed,   // times changed elsewhere in the song
    Reshaped,  // pieces were added, removed or replaced
};

// What the editor needs of the player. Every member may stay empty: then
// there is no song (cbx, tests of the rules alone).
struct PlayerLink {
    // The media file now open in the player; empty when none.
    std::function<std::string()> openMediaPath;
    // The position while a song plays (the MIDI player's time for MIDI
    // songs); nullopt when nothing plays.
    std::function<std::optional<double>()> playingPosition;
    // The current song's lyrics model.
    std::function<LyricsModel*()> lyrics;
    // Told after the model was changed; `piece` for Captured.
    std::function<void(LyricsEdit edit, int piece)> edited;
    // The karaoke font's measure for the widest line; empty: one unit a character.
    MeasureText measure;
};

// How a piece's time stands among the others. Written as they are, both
// kinds read back in another order than the list shows.
enum class PieceTiming {
    Timed,
    Untimed,     // still at 0
    OutOfOrder,  // earlier than a timed piece before it
};

struct CaptureOutcome {
    bool captured = false;
    int row = 0;          // the piece that got the time
    int selected = 0;     // the row selected afterwards
    double correct = 0;   // what the time spinner shows afterwards
    bool scroll = false;  // the list moves down one line
};

class EditorDocument {
public:
    explicit EditorDocument(PlayerLink link = {});

    // EditorPieces: placeholder at 0, pieces 1..Count().
    const PieceArray& Pieces() const { return m_pieces; }
    const LyricPiece& Piece(int row) const { return m_pieces.at(static_cast<std::size_t>(row)); }
    int Count() const { return static_cast<int>(m_pieces.size()) - 1; }
    bool HasPieces() const { return m_pieces.size() > 1; }
    bool ValidRow(int row) const { return row >= 1 && row <= Count(); }

    // The timing of pieces 1..Count() (index 0 unused, Timed), and the rows
    // that are not Timed.
    std::vector<PieceTiming> Timings() const;
    std::vector<int> DoubtfulRows() const;

    // EditorMediaFile: the media file these lyrics belong to.
    const std::string& MediaFile() const { return m_mediaFile; }
    void SetMediaFile(std::string path) { m_mediaFile = std::move(path); }
    // The editor's lyrics are the current song's: its media file is open.
    bool IsCurrentSong() const;
    std::string OpenSong() const;
    bool SongPlaying() const;

    // The window opens: the current song's lyrics; without a song the
    // pieces stay as they were (none the first time).
    void LoadFromPlayer();

    // Capture at the playing position into `selectedRow` (row 1 when 0).
    CaptureOutcome Capture(int selectedRow);
    // Capture at a given position (cbx: a tap file).
    CaptureOutcome CaptureAt(int selectedRow, double position);

    // Edits of one piece.
    bool SetTime(int row, double seconds);
    bool SetBreak(int row, bool on);
    bool SetText(int row, std::string_view text);
    // Adds `seconds` to every listed row (times stop at 0); the rows changed.
    int ApplyOffset(const std::vector<int>& rows, double seconds);

    // Rows.
    void InsertBefore(int row);  // an empty piece; at the end when row is not valid
    void Append();
    void RemoveRows(std::vector<int> rows);
    void InsertPieces(int row, const std::vector<LyricPiece>& pieces);  // paste
    void Clear();

    // Split to lyrics (appends) and merge to text.
    int Split(std::string_view text);
    std::string Merge() const;

    // New: everything goes, the current song's lyrics too.
    void New();
    // Pieces read from a file take the place of the old ones.
    void Replace(PieceArray pieces);
    // Update lyrics: the editor's lyrics become the current song's.
    bool UpdateLyrics();

    // The display block read with imported lyrics, written with them on save.
    const std::optional<DisplayBlock>& ImportedLook() const { return m_importedLook; }
    void SetImportedLook(std::optional<DisplayBlock> look) { m_importedLook = std::move(look); }
    // The [offset:] of an imported LRC file, kept when LRC is written again.
    int LrcOffsetMs() const { return m_lrcOffsetMs; }
    void SetLrcOffsetMs(int ms) { m_lrcOffsetMs = ms; }

private:
    void Mirror(LyricsEdit edit, int piece = 0);
    void MirrorPiece(int row);
    void Notify(LyricsEdit edit, int piece);

    PlayerLink m_link;
    PieceArray m_pieces = PieceArray(1);
    std::string m_mediaFile;
    std::optional<DisplayBlock> m_importedLook;
    int m_lrcOffsetMs = 0;
};

}  // namespace cx
