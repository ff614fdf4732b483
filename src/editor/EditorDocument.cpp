#include "editor/EditorDocument.h"

#include <algorithm>
#include <cmath>

#include "editor/EditorText.h"

namespace cx {
namespace {

double Millis(double seconds) {
    return std::round(seconds * 1000.0) / 1000.0;
}

}  // namespace

EditorDocument::EditorDocument(PlayerLink link) : m_link(std::move(link)) {}

std::string EditorDocument::OpenSong() const {
    return m_link.openMediaPath ? m_link.openMediaPath() : std::string();
}

bool EditorDocument::SongPlaying() const {
    return m_link.playingPosition && m_link.playingPosition().has_value();
}

bool EditorDocument::IsCurrentSong() const {
    if (m_mediaFile.empty()) return false;
    return OpenSong() == m_mediaFile && m_link.lyrics && m_link.lyrics();
}

void EditorDocument::LoadFromPlayer() {
    const std::string song = OpenSong();
    LyricsModel* model = m_link.lyrics ? m_link.lyrics() : nullptr;
    // Without a song the window keeps what it held while hidden: nothing
    // else would bring unsaved timing back.
    if (song.empty() || !model) return;
    m_importedLook.reset();
    m_lrcOffsetMs = 0;
    m_mediaFile = song;
    m_pieces = model->Lyrics.empty() ? PieceArray(1) : model->Lyrics;
}

CaptureOutcome EditorDocument::Capture(int selectedRow) {
    if (!m_link.playingPosition) return {};
    const std::optional<double> position = m_link.playingPosition();
    if (!position) return {};
    return CaptureAt(selectedRow, *position);
}

CaptureOutcome EditorDocument::CaptureAt(int selectedRow, double position) {
    CaptureOutcome out;
    if (!HasPieces() || !std::isfinite(position)) return out;
    const int i = ValidRow(selectedRow) ? selectedRow : 1;
    const double t = std::max(0.0, Millis(position - kCaptureReactionSeconds));
    m_pieces[static_cast<std::size_t>(i)].StartTime = t;
    MirrorPiece(i);
    out.captured = true;
    out.row = i;
    if (i == Count()) {
        out.selected = i;
        out.correct = t;
        return out;
    }
    out.selected = i + 1;
    out.correct = m_pieces[static_cast<std::size_t>(i + 1)].StartTime;
    out.scroll = i + 1 < Count();
    return out;
}

std::vector<PieceTiming> EditorDocument::Timings() const {
    std::vector<PieceTiming> out(m_pieces.size(), PieceTiming::Timed);
    double latest = 0;
    for (std::size_t i = 1; i < m_pieces.size(); ++i) {
        const double t = m_pieces[i].StartTime;
        if (t <= 0) {
            out[i] = PieceTiming::Untimed;
        } else if (t < latest) {
            out[i] = PieceTiming::OutOfOrder;
        } else {
            latest = t;
        }
    }
    return out;
}

std::vector<int> EditorDocument::DoubtfulRows() const {
    const std::vector<PieceTiming> timings = Timings();
    std::vector<int> rows;
    for (std::size_t i = 1; i < timings.size(); ++i)
        if (timings[i] != PieceTiming::Timed) rows.push_back(static_cast<int>(i));
    return rows;
}

bool EditorDocument::SetTime(int row, double seconds) {
    if (!ValidRow(row) || !std::isfinite(seconds)) return false;
    m_pieces[static_cast<std::size_t>(row)].StartTime = std::max(0.0, Millis(seconds));
    Mirror(LyricsEdit::Retimed);
    return true;
}

bool EditorDocument::SetBreak(int row, bool on) {
    if (!ValidRow(row)) return false;
    m_pieces[static_cast<std::size_t>(row)].LineBreak = on;
    RebuildLineTexts(m_pieces);
    Mirror(LyricsEdit::Reshaped);
    return true;
}

bool EditorDocument::SetText(int row, std::string_view text) {
    if (!ValidRow(row)) return false;
    m_pieces[static_cast<std::size_t>(row)].PieceText = WithoutBrackets(text);
    RebuildLineTexts(m_pieces);
    Mirror(LyricsEdit::Reshaped);
    return true;
}

int EditorDocument::ApplyOffset(const std::vector<int>& rows, double seconds) {
    if (!std::isfinite(seconds)) return 0;
    int changed = 0;
    for (int row : rows) {
        if (!ValidRow(row)) continue;
        double& t = m_pieces[static_cast<std::size_t>(row)].StartTime;
        t = std::max(0.0, Millis(t + seconds));
        ++changed;
    }
    if (changed) Mirror(LyricsEdit::Retimed);
    return changed;
}

void EditorDocument::InsertBefore(int row) {
    if (!ValidRow(row)) return Append();
    m_pieces.insert(m_pieces.begin() + row, LyricPiece{});
    Mirror(LyricsEdit::Reshaped);
}

void EditorDocument::Append() {
    if (m_pieces.size() > kMaxPieces) return;
    m_pieces.emplace_back();
    Mirror(LyricsEdit::Reshaped);
}

void EditorDocument::RemoveRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    bool any = false;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (!ValidRow(*it)) continue;
        m_pieces.erase(m_pieces.begin() + *it);
        any = true;
    }
    if (!any) return;
    RebuildLineTexts(m_pieces);
    Mirror(LyricsEdit::Reshaped);
}

void EditorDocument::InsertPieces(int row, const std::vector<LyricPiece>& pieces) {
    if (pieces.empty() || m_pieces.size() + pieces.size() > kMaxPieces) return;
    const int at = ValidRow(row) ? row : Count() + 1;
    m_pieces.insert(m_pieces.begin() + at, pieces.begin(), pieces.end());
    RebuildLineTexts(m_pieces);
    Mirror(LyricsEdit::Reshaped);
}

void EditorDocument::Clear() {
    m_pieces = PieceArray(1);
    Mirror(LyricsEdit::Reshaped);
}

int EditorDocument::Split(std::string_view text) {
    const int added = SplitToLyrics(text, m_pieces);
    if (added) Mirror(LyricsEdit::Reshaped);
    return added;
}

std::string EditorDocument::Merge() const {
    return MergeToText(m_pieces);
}

void EditorDocument::New() {
    const bool current = IsCurrentSong();
    m_pieces = PieceArray(1);
    m_importedLook.reset();
    m_lrcOffsetMs = 0;
    if (!current) return;
    LyricsModel* model = m_link.lyrics();
    ResetLyricsModel(*model);
    Notify(LyricsEdit::Reshaped, 0);
}

void EditorDocument::Replace(PieceArray pieces) {
    if (pieces.empty()) pieces.resize(1);
    m_pieces = std::move(pieces);
    Mirror(LyricsEdit::Reshaped);
}

bool EditorDocument::UpdateLyrics() {
    const std::string song = OpenSong();
    if (song.empty() || !m_link.lyrics || !m_link.lyrics()) return false;
    m_mediaFile = song;
    Mirror(LyricsEdit::Reshaped);
    return true;
}

void EditorDocument::MirrorPiece(int row) {
    if (!IsCurrentSong()) return;
    LyricsModel* model = m_link.lyrics();
    if (model->Lyrics.size() != m_pieces.size()) return Mirror(LyricsEdit::Captured, row);
    model->Lyrics[static_cast<std::size_t>(row)] = m_pieces[static_cast<std::size_t>(row)];
    Notify(LyricsEdit::Captured, row);
}

void EditorDocument::Mirror(LyricsEdit edit, int piece) {
    if (!IsCurrentSong()) return;
    LyricsModel* model = m_link.lyrics();
    model->Lyrics = m_pieces;
    model->WidestLine =
        FindWidestLine(m_pieces, m_link.measure ? m_link.measure : MeasureText(FixedWidthMeasure));
    model->CurrentPiece = std::clamp(model->CurrentPiece, 0, model->UpperBound());
    Notify(edit, piece);
}

void EditorDocument::Notify(LyricsEdit edit, int piece) {
    if (m_link.edited) m_link.edited(edit, piece);
}

}  // namespace cx
