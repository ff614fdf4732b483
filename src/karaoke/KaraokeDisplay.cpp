#include "karaoke/KaraokeDisplay.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <filesystem>

#include "karaoke/GuiContext.h"
#include "karaoke/Pictures.h"
#include "karaoke/PitchLane.h"
#include "karaoke/ScoreChart.h"
#include "lyrics/LyricsText.h"

namespace cx {

namespace {

std::string BaseName(const std::string& path) {
    if (path.empty()) return {};
    // Songs named in the Windows way keep their backslashes.
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return std::filesystem::path(p).stem().string();
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

}  // namespace

std::string WidestLineOf(const LyricsModel& model, const KaraokeSettings& settings) {
    if (!model.HasLyrics()) return {};
    const QFontMetrics fm(MakeLyricsFont(settings, settings.LyricsFontSize));
    std::string widest;
    int best = -1;
    for (int k = 1; k <= model.UpperBound(); ++k) {
        const auto& text = model.Lyrics[static_cast<std::size_t>(k)].LineText;
        // The pieces of a line share its text: measure it once.
        if (k > 1 && text == model.Lyrics[static_cast<std::size_t>(k - 1)].LineText) continue;
        const int w = fm.horizontalAdvance(QString::fromStdString(std::string(CutLineText(text))));
        if (w > best) {
            best = w;
            widest = text;
        }
    }
    return widest;
}

KaraokeDisplay::KaraokeDisplay() {
    EnsureGuiContext();
    m_fontSize = m_settings.LyricsFontSize;
    UpdateLook();
    SetBackground();
}

void KaraokeDisplay::SetSettings(const KaraokeSettings& settings) {
    const bool fontChanged = settings.LyricsFont != m_settings.LyricsFont ||
                             settings.LyricsFontSize != m_settings.LyricsFontSize ||
                             settings.LyricsFontBold != m_settings.LyricsFontBold ||
                             settings.LyricsFontItalic != m_settings.LyricsFontItalic ||
                             settings.LyricsFitFont != m_settings.LyricsFitFont ||
                             settings.LyricsMinFontPercent != m_settings.LyricsMinFontPercent;
    const bool pictureChanged = settings.LyricsPicPath != m_settings.LyricsPicPath;
    m_settings = settings;
    if (fontChanged) {
        m_fontSize = m_settings.LyricsFontSize;
        if (m_settings.LyricsFitFont) FitLyrics();
    }
    UpdateLook();
    if (pictureChanged) SetPicture();
}

QSize KaraokeDisplay::AreaSize() const {
    return {std::max(1, m_innerWidth), std::max(1, AreaHeightFor(m_innerHeight, m_fullscreen))};
}

void KaraokeDisplay::SetWindow(int innerWidth, int innerHeight, bool fullscreen) {
    m_innerWidth = std::max(1, innerWidth);
    m_innerHeight = std::max(1, innerHeight);
    m_fullscreen = fullscreen;
    m_transition.reset();
    if (m_settings.LyricsFitFont && m_mediaOpen) FitLyrics();
    SetBackground();
}

double KaraokeDisplay::Corrected(double position) const {
    double pos = position - m_settings.LyricsOffset;
    if (m_model && m_model->KokTiming) pos += kKokLeadSeconds;
    return pos < 0 ? 0 : pos;
}

double KaraokeDisplay::Start(int k) const {
    return m_model->Lyrics[static_cast<std::size_t>(k)].StartTime;
}

int KaraokeDisplay::LastPiece() const {
    return m_model ? m_model->UpperBound() : 0;
}

void KaraokeDisplay::UpdateLook() {
    m_look = UpdateColors(m_settings, m_song);
    if (m_fontSize <= 0) m_fontSize = m_settings.LyricsFontSize;
    m_font = MakeLyricsFont(m_settings, m_fontSize);
    m_lineHeight = QFontMetrics(m_font).height() + 9;
}

int KaraokeDisplay::BandHeight() const {
    return (m_settings.DisplayMode == 3 ? 3 : 2) * m_lineHeight;
}

int KaraokeDisplay::SlotTop(int slot) const {
    return slot < 0 ? m_lineHeight / 2 : slot * m_lineHeight;
}

int KaraokeDisplay::CurrentSlot() const {
    if (m_page != Page::Lines) return -1;
    for (const auto& s : m_slots)
        if (s.Current) return s.Slot;
    return -1;
}

// --- the tick ---------------------------------------------------------------

void KaraokeDisplay::IsPlaying(double position, std::int64_t nowMs) {
    m_nowMs = nowMs;
    m_playbackPosition = position;
    if (m_lastTimerOn && nowMs - m_lastTimerStart >= kLastTimerMs) {
        m_lastTimerOn = false;
        m_lyricsGone = true;
        Restore();
    }
    const double pos = Corrected(position);
    if (!m_bandExists && m_settings.LyricsFitFont) {
        FitLyrics();
        m_bandExists = true;  // once: fitting measures the font many times
    }
    if (!m_lyricsShown || m_painting) return;
    if (m_transition) AdvanceTransition();
    AdvanceTimeline(pos);
    if (ShowsPageWithoutLyrics()) PaintTitle();
    if (!m_model || !m_model->HasLyrics()) return;

    const int c = m_model->CurrentPiece;
    const int last = LastPiece();
    if (c >= last || Start(c + 1) > pos) AdvanceSweep(pos);  // no new piece on this tick
    if (c >= last) return;                                   // the end belongs to the last timer
    if (Start(c + 1) <= pos) {
        if (!m_mediaOpen) return;
        if (c == 0) {
            // One paint per tick: the first piece now, the rest on later ticks.
            m_lastTimerOn = false;
            m_model->CurrentPiece = 1;
            PaintPiece(1, false);
            return;
        }
        const double from = Start(c);
        int k = c + 1;
        while (k <= last && !(Start(k) >= from && Start(k) <= pos)) ++k;
        if (k > last) return;
        m_lastTimerOn = false;
        if (Start(k) != 0) PaintPiece(k, false);
        m_model->CurrentPiece = k;
    } else if (pos < Start(1)) {
        PaintTitle();
    }
}

void KaraokeDisplay::AdvanceTimeline(double position) {
    if (m_transition) return;
    const auto& schedule = m_song.Schedule;
    if (m_scheduleIndex >= static_cast<int>(schedule.size())) return;
    const auto& entry = schedule[static_cast<std::size_t>(m_scheduleIndex)];
    if (!(std::max(0, entry.Time) < position)) return;
    ++m_scheduleIndex;
    QImage next = DecodePicture(entry.Path);  // ChangePic
    if (next.isNull()) return;                // nothing to bring in: the picture stays
    m_nextPicture = next;
    RunningTransition t;
    t.From = m_background;
    t.To = LayoutBackground(AreaSize(), m_look.Colors.Back, m_picture, m_look.PictureLayout,
                            m_nextPicture);
    t.Desc = {entry.Effect, entry.EffectDetail, entry.Speed};
    t.Steps = TransitionSteps(t.Desc, AreaSize(), false);
    m_transition = std::move(t);
    AdvanceTransition();
}

void KaraokeDisplay::AdvanceTransition() {
    if (!m_transition) return;
    if (++m_transition->Frame >= m_transition->Steps) {
        FinishTransition();
        return;
    }
    Present();
}

void KaraokeDisplay::FinishTransition() {
    m_background = std::move(m_transition->To);
    m_transition.reset();
    Present();
}

// --- painting ---------------------------------------------------------------

void KaraokeDisplay::PaintPiece(int k, bool redraw) {
    if (k == 0) {
        PaintTitle();
        return;
    }
    UpdateLook();
    m_bandExists = true;
    m_lyricsGone = false;
    m_painting = true;
    const auto& lyrics = m_model->Lyrics;
    const int last = LastPiece();
    const std::string line(CutLineText(lyrics[static_cast<std::size_t>(k)].LineText));

    int j = k;
    while (j < last && !lyrics[static_cast<std::size_t>(j)].LineBreak) ++j;
    std::string next;
    if (j >= last) {
        m_lastLine = 1;
        m_lastTimerOn = true;
        m_lastTimerStart = m_nowMs;
    } else {
        m_lastLine = 0;
        next = CutLineText(lyrics[static_cast<std::size_t>(j + 1)].LineText);
    }

    int start = k;
    while (start > 1 && !lyrics[static_cast<std::size_t>(start - 1)].LineBreak) --start;
    // Only as much of the line as is laid out: a paint costs no more than
    // kMaxLineTextBytes however many pieces or bytes the line has.
    m_sungText.clear();
    for (int i = start; i <= k && m_sungText.size() <= kMaxLineTextBytes; ++i)
        m_sungText += CutLineText(lyrics[static_cast<std::size_t>(i)].PieceText);
    m_sungText.resize(CutLineText(m_sungText).size());
    m_pieceText = CutLineText(lyrics[static_cast<std::size_t>(k)].PieceText);
    const bool newLine = start != m_lineStart;

    m_slots.clear();
    switch (m_settings.DisplayMode) {
        case 0:
            m_slots.push_back({line, -1, true});
            break;
        case 2: {
            if (newLine) m_slotToggle = !m_slotToggle;
            const int slot = m_slotToggle ? 0 : 1;
            m_slots.push_back({line, slot, true});
            m_slots.push_back({next, 1 - slot, false});
            break;
        }
        case 3: {
            if (newLine && m_lineStart != 0 && !redraw) m_threeSlot = (m_threeSlot + 1) % 3;
            m_threeLines[static_cast<std::size_t>(m_threeSlot)] = line;
            // The last line has nothing coming; an older line there would look like one.
            m_threeLines[static_cast<std::size_t>((m_threeSlot + 1) % 3)] =
                m_lastLine == 1 ? std::string() : next;
            for (int s = 0; s < 3; ++s)
                m_slots.push_back({m_threeLines[static_cast<std::size_t>(s)], s, s == m_threeSlot});
            break;
        }
        default:
            m_slots.push_back({line, 0, true});
            m_slots.push_back({next, 1, false});
            break;
    }
    m_lineStart = start;
    m_shownLine = line;
    m_otherLine = next;
    m_painting = false;
    m_sweepPiece = k;
    m_sweepStep = m_settings.LyricsSmoothSweep ? SweepStep(Corrected(m_playbackPosition)) : 0;
    PaintStoredLines();
}

double KaraokeDisplay::SweepFraction(int k, double position) const {
    const double start = Start(k);
    double end = start + kMaxSweepSeconds;
    if (k < LastPiece() && Start(k + 1) > start) end = std::min(end, Start(k + 1));
    return std::clamp((position - start) / (end - start), 0.0, 1.0);
}

// The sweep in whole pixels of the current piece, so that a tick repaints
// only when the coloured edge moves.
int KaraokeDisplay::SweepStep(double position) const {
    const int width =
        std::max(1, QFontMetrics(m_font).horizontalAdvance(QString::fromStdString(m_pieceText)));
    const double f = SweepFraction(m_sweepPiece, position);
    return f >= 1 ? width : static_cast<int>(f * width);
}

void KaraokeDisplay::AdvanceSweep(double position) {
    if (!m_settings.LyricsSmoothSweep || m_settings.LyricsMode || m_page != Page::Lines ||
        m_sweepPiece < 1 || m_sweepPiece > LastPiece())
        return;
    const int step = SweepStep(position);
    if (step == m_sweepStep) return;
    m_sweepStep = step;
    PaintStoredLines();
}

void KaraokeDisplay::PaintStoredLines() {
    BandSpec desc;
    desc.Width = AreaSize().width();
    desc.Height = BandHeight();
    desc.Font = m_font;
    desc.Colors = m_look.Colors;
    desc.OutlineWidth = m_settings.LyricsOutlineWidth;
    desc.LineMode = m_settings.LyricsMode;
    desc.SungText = m_sungText;
    desc.PieceText = m_pieceText;
    desc.Lines = WrappedLines();
    if (m_settings.LyricsSmoothSweep) {
        const int width = std::max(
            1, QFontMetrics(m_font).horizontalAdvance(QString::fromStdString(m_pieceText)));
        desc.Sweep = std::min(1.0, static_cast<double>(m_sweepStep) / width);
    }
    desc.BallColor = m_settings.LyricsBallColor;
    if (m_settings.LyricsShowBall) {
        switch (m_settings.DisplayMode) {
            case 0:
                desc.Ball = BallKind::OverPieceRimmed;
                break;
            case 1:
                desc.Ball = BallKind::OverPiece;
                break;
            default:
                desc.Ball = BallKind::Marker;
                break;
        }
    }
    PaintBandInto(m_band, desc, m_stamps);
    m_bandTop = BandTopInArea(m_look.LyricAlignment, m_innerHeight, m_fullscreen, desc.Height);
    m_page = Page::Lines;
    ++m_paintCount;
    Present();
}

// The stored lines as rows of the band, wrapped where they are wider than
// the window (the font never shrinks below the readable minimum to fit them).
std::vector<BandLine> KaraokeDisplay::WrappedLines() {
    std::vector<SlotLine> lines;
    for (const auto& s : m_slots) lines.push_back({s.Text, s.Slot, s.Current});
    const QFontMetrics fm(m_font);
    SlotGeometry g;
    g.Slots = m_settings.DisplayMode == 3 ? 3 : 2;
    g.Top = [this](int slot) { return SlotTop(slot); };
    // A row fits when it and its outline stay inside the area (LineLeft's 9
    // pixels), with the room for the ball that fitting keeps.
    const int maxWidth =
        AreaSize().width() - 9 -
        (m_settings.LyricsShowBall ? fm.horizontalAdvance(QStringLiteral("oo")) : 0);
    g.Anchor = std::max(0, static_cast<int>(QString::fromStdString(m_sungText).length() -
                                            QString::fromStdString(m_pieceText).length()));
    return LayOutSlots(lines, g, [this, maxWidth](const QString& text) {
        return m_wraps.Rows(m_font, maxWidth, text);
    });
}

std::string TitlePageHeader(const SongLook& song) {
    // Each field falls back on its own: a block that names only the title
    // still shows the tag's artist.
    std::string artist = !song.Artist.empty() ? song.Artist : song.TagArtist;
    const std::string title = !song.Title.empty() ? song.Title : song.TagTitle;
    if (artist.empty() && title.empty()) artist = BaseName(song.MediaPath);
    const std::string header = artist.empty()  ? title
                               : title.empty() ? artist
                                               : artist + "|" + title;
    return std::string(CutLineText(header));
}

void KaraokeDisplay::PaintTitle() {
    UpdateLook();
    const std::string header = TitlePageHeader(m_song);
    if ((header.empty() && m_song.PageText.empty()) || m_titleShown) return;

    std::string first = header, second;
    if (const auto bar = header.find('|'); bar != std::string::npos) {
        first = header.substr(0, bar);
        second = header.substr(bar + 1);
    }
    if (!m_settings.ShowLyricsTitle) first.clear(), second.clear();
    std::vector<std::string> lines;
    for (const std::string* l : {&first, &second})
        if (!l->empty()) lines.push_back(*l);
    // A song without timed lyrics says so, or shows its untimed words, below.
    for (std::string_view l : SplitLines(m_song.PageText)) {
        if (lines.size() >= kMaxTitlePageLines) break;
        lines.emplace_back(CutLineText(l));
    }
    if (lines.empty()) return;

    // The title shrinks on its own copy of the font; the lyrics keep theirs.
    const int areaWidth = AreaSize().width();
    const int areaHeight = AreaSize().height();
    int size = m_fontSize;
    QFont font = MakeLyricsFont(m_settings, size);
    auto tooLarge = [&] {
        const QFontMetrics fm(font);
        int widest = 0;
        for (const auto& l : lines)
            widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(l)));
        const int height = static_cast<int>(lines.size()) * (fm.height() + 9);
        return widest > areaWidth * 3 / 4 || (lines.size() > 2 && height > areaHeight);
    };
    while (tooLarge() && size > kMinFontSize) font = MakeLyricsFont(m_settings, --size);

    const int lineHeight = QFontMetrics(font).height() + 9;
    BandSpec desc;
    desc.Width = areaWidth;
    desc.Height = std::max<int>(2, static_cast<int>(lines.size())) * lineHeight;
    desc.Font = font;
    desc.Colors = m_look.Colors;
    desc.OutlineWidth = m_settings.LyricsOutlineWidth;
    if (lines.size() == 1) {
        desc.Lines.push_back({lines.front(), lineHeight / 2, false});
    } else {
        for (std::size_t i = 0; i < lines.size(); ++i)
            desc.Lines.push_back({lines[i], static_cast<int>(i) * lineHeight, false});
    }
    m_band = PaintBand(desc, m_stamps);
    m_bandTop = BandTopInArea(m_look.LyricAlignment, m_innerHeight, m_fullscreen, desc.Height);
    m_page = Page::Title;
    m_titleShown = true;
    ++m_paintCount;
    Present();
}

bool KaraokeDisplay::ShowsPageWithoutLyrics() const {
    return m_mediaOpen && (!m_model || !m_model->HasLyrics()) && !m_song.PageText.empty();
}

void KaraokeDisplay::Restore() {
    m_page = Page::Background;
    Present();
}

void KaraokeDisplay::Present() {
    const QImage* band = m_page == Page::Background ? nullptr : &m_band;
    if (m_transition) {
        const auto& t = *m_transition;
        m_frame =
            ComposeFrame(TransitionFrame(t.From, t.To, t.Desc, t.Frame, t.Steps), band, m_bandTop);
    } else {
        ComposeFrameInto(m_frame, m_background, band, m_bandTop, m_composed);
    }
    // The score gives way to the next song's words.
    if (m_page == Page::Lines) m_score.reset();
    if (!m_score) m_scoreChart = QImage();
    if (!m_lane && !m_score) {
        m_overlaid = QImage();
        return;
    }
    m_overlaid = m_frame.copy();
    if (m_score) {
        // Painted once per score and size: the lane's ticks present 100 times a second.
        const QSize chartSize = ScoreChartSize(m_overlaid.size());
        if (m_scoreChart.size() != chartSize) m_scoreChart = PaintScoreChart(*m_score, chartSize);
        OverlayScoreChart(m_overlaid, m_scoreChart);
    }
    if (m_lane) OverlayPitchLane(m_overlaid, *m_lane);
}

void KaraokeDisplay::SetPitchLane(std::optional<LaneState> lane) {
    const bool shown = m_lane.has_value();
    m_lane = std::move(lane);
    if (m_lane || shown) Present();
}

void KaraokeDisplay::ShowScore(std::optional<SongScore> score) {
    m_score = std::move(score);
    m_scoreChart = QImage();
    Present();
}

void KaraokeDisplay::Repaint() {
    UpdateLook();
    if (ShowsPageWithoutLyrics()) {
        m_titleShown = false;
        PaintTitle();
        return;
    }
    if (m_mediaOpen && m_model && m_model->HasLyrics()) {
        const double pos = Corrected(m_playbackPosition);
        if (pos < Start(1)) {
            m_titleShown = false;
            PaintTitle();
            if (!m_titleShown) Restore();
            return;
        }
        // Once the last timer took the lyrics away they stay away.
        if (m_lyricsGone || pos > Start(LastPiece()) + kRepaintEndSeconds) {
            Restore();
            return;
        }
        if (!m_slots.empty()) {
            PaintStoredLines();
            return;
        }
    }
    Restore();
}

// --- jumps and resets -------------------------------------------------------

void KaraokeDisplay::GetLastPos(double position, std::int64_t nowMs) {
    if (!m_lyricsShown || !m_mediaOpen) return;
    m_nowMs = nowMs;
    m_playbackPosition = position;
    const double pos = Corrected(position);
    m_transition.reset();
    m_lastTimerOn = false;
    m_lyricsGone = false;

    // The picture that belongs to the new position, at once and without a transition.
    m_scheduleIndex = 0;
    m_nextPicture = QImage();
    const auto& schedule = m_song.Schedule;
    for (int i = static_cast<int>(schedule.size()) - 1; i >= 0; --i) {
        if (std::max(0, schedule[static_cast<std::size_t>(i)].Time) < pos) {
            m_nextPicture = DecodePicture(schedule[static_cast<std::size_t>(i)].Path);
            m_scheduleIndex = i + 1;
            break;
        }
    }
    m_background = LayoutBackground(AreaSize(), m_look.Colors.Back, m_picture, m_look.PictureLayout,
                                    m_nextPicture);

    if (!m_model || !m_model->HasLyrics()) {
        m_titleShown = false;
        if (ShowsPageWithoutLyrics()) PaintTitle();
        if (!m_titleShown) Restore();
        return;
    }
    m_titleShown = false;
    const int last = LastPiece();
    // Lines shown before the jump do not belong to the new place.
    ClearTexts();
    if (pos >= Start(last)) {
        m_model->CurrentPiece = last - 1;  // the next tick paints the last piece
        Present();
        return;
    }
    int k = 1;
    while (k <= last && !(Start(k) > pos)) ++k;
    // Always redraw: the texts were just cleared, so even a jump within the
    // current piece must paint it again.
    m_model->CurrentPiece = k - 1;
    PaintPiece(k - 1, true);
}

void KaraokeDisplay::ClearTexts() {
    m_shownLine.clear();
    m_otherLine.clear();
    m_sungText.clear();
    m_pieceText.clear();
    for (auto& l : m_threeLines) l.clear();
    m_slots.clear();
    m_threeSlot = 0;
    m_lineStart = 0;
    m_slotToggle = false;
}

void KaraokeDisplay::ClearNewLyrics() {
    ClearTexts();
    if (m_model) m_model->CurrentPiece = 0;
    m_lastLine = 0;
    m_titleShown = false;
    m_lastTimerOn = false;
    m_lyricsGone = false;
    m_page = Page::Background;
}

void KaraokeDisplay::ClearLyrics() {
    ClearNewLyrics();
    m_song.PageText.clear();  // it belonged to the song that went
    m_transition.reset();
    m_bandExists = false;
    m_band = QImage();
    // Back to the song's start: the timeline begins again.
    m_scheduleIndex = m_pendingPicturePath.empty() ? 0 : 1;
    m_nextPicture = m_pendingPicturePath.empty() ? QImage() : DecodePicture(m_pendingPicturePath);
    SetPicture();
    SetBackground();
}

void KaraokeDisplay::ChangeLyrics(LyricsModel* model, const SongLook& look) {
    m_model = model;
    m_song = look;
    UpdateLook();
    if (ResolvedPicturePath() != m_shownPicturePath) SetPicture();
    m_transition.reset();
    m_pendingPicturePath.clear();
    m_nextPicture = QImage();
    m_scheduleIndex = 0;
    if (!m_song.Schedule.empty() && m_song.Schedule.front().Time < 1) {
        // On show from the start, without a transition.
        m_nextPicture = DecodePicture(m_song.Schedule.front().Path);
        m_pendingPicturePath = m_song.Schedule.front().Path;
        m_scheduleIndex = 1;
    }
    ClearNewLyrics();
    m_bandExists = false;
    if (m_settings.LyricsFitFont) FitLyrics();
    SetBackground();
}

void KaraokeDisplay::ChangeLook(const SongLook& look) {
    m_song = look;
    UpdateLook();
    if (ResolvedPicturePath() != m_shownPicturePath) SetPicture();
    // The timeline picture that belongs where the song stands now.
    m_transition.reset();
    m_nextPicture = QImage();
    m_pendingPicturePath.clear();
    m_scheduleIndex = 0;
    const auto& schedule = m_song.Schedule;
    if (!schedule.empty() && schedule.front().Time < 1)
        m_pendingPicturePath = schedule.front().Path;
    const double pos = Corrected(m_playbackPosition);
    for (int i = static_cast<int>(schedule.size()) - 1; i >= 0; --i) {
        const TimelinePicture& entry = schedule[static_cast<std::size_t>(i)];
        if (entry.Time < 1 || entry.Time < pos) {
            m_nextPicture = DecodePicture(entry.Path);
            m_scheduleIndex = i + 1;
            break;
        }
    }
    SetBackground();
}

// --- pictures ---------------------------------------------------------------

std::string KaraokeDisplay::ResolvedPicturePath() const {
    if (FileExists(m_song.Picture)) return m_song.Picture;
    return m_settings.LyricsPicPath;
}

void KaraokeDisplay::SetPicture() {
    m_shownPicturePath = ResolvedPicturePath();
    m_picture = DecodePicture(m_shownPicturePath);
}

void KaraokeDisplay::SetBackground() {
    UpdateLook();
    m_background = LayoutBackground(AreaSize(), m_look.Colors.Back, m_picture, m_look.PictureLayout,
                                    m_nextPicture);
    Repaint();
}

// --- font -------------------------------------------------------------------

void KaraokeDisplay::FitLyrics() {
    if (!m_settings.LyricsFitFont) return;
    FitInput in;
    if (m_model) {
        in.WidestLine =
            m_model->WidestLine.empty() ? WidestLineOf(*m_model, m_settings) : m_model->WidestLine;
    }
    in.ShowBall = m_settings.LyricsShowBall;
    in.DisplayMode = m_settings.DisplayMode;
    in.InnerWidth = m_innerWidth;
    in.InnerHeight = m_innerHeight;
    in.CurrentSize = m_fontSize;
    in.SettingsSize = m_settings.LyricsFontSize;
    in.MinSize = MinReadableFontSize(m_settings);
    m_fontSize = cx::FitLyrics(in, QtFontMeasure(m_settings));
    UpdateLook();
}

bool KaraokeDisplay::IncreaseFont() {
    m_settings.LyricsFontSize += 2;
    if (!m_settings.LyricsFitFont) m_fontSize = m_settings.LyricsFontSize;
    Repaint();
    return true;
}

bool KaraokeDisplay::DecreaseFont() {
    if (m_settings.LyricsFontSize < 12) return false;
    m_settings.LyricsFontSize -= 2;
    if (!m_settings.LyricsFitFont) m_fontSize = m_settings.LyricsFontSize;
    Repaint();
    return true;
}

void KaraokeDisplay::ToggleFitFont() {
    m_settings.LyricsFitFont = !m_settings.LyricsFitFont;
    if (m_settings.LyricsFitFont) {
        FitLyrics();
    } else {
        m_fontSize = m_settings.LyricsFontSize;
    }
    Repaint();
}

void KaraokeDisplay::AddOffset(double seconds) {
    m_settings.LyricsOffset += seconds;
}

}  // namespace cx
