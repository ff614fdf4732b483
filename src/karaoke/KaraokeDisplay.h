// The karaoke display: follows the playback position piece by piece and keeps
// the lyric area's image up to date. It has no timers: the owner calls
// IsPlaying on every playback tick with the position and a millisecond clock,
// which also drives the end-of-lyrics timer and transition frames.
#pragma once

#include <QFont>
#include <QImage>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "karaoke/KaraokeSettings.h"
#include "karaoke/LyricLayout.h"
#include "karaoke/LyricPainter.h"
#include "karaoke/LyricWrap.h"
#include "karaoke/Transitions.h"
#include "lyrics/LyricsModel.h"
#include "scoring/LaneState.h"
#include "scoring/SingAlong.h"

namespace cx {

// The lyrics stay this long after the last piece began.
inline constexpr std::int64_t kLastTimerMs = 6000;
// A repaint this long after the last piece shows the background only.
inline constexpr double kRepaintEndSeconds = 8.0;
// KOK lyrics are shown this much early.
inline constexpr double kKokLeadSeconds = 0.15;
// The smooth sweep crosses a piece in its time up to the next piece, but in
// no more than this: a line's last piece before a long rest still fills.
inline constexpr double kMaxSweepSeconds = 4.0;
// Lines of untimed words the title page shows at most.
inline constexpr std::size_t kMaxTitlePageLines = 40;

// The title page's heading, "artist|title" or one of them alone: the song's
// own artist and title, each falling back to the tag's, and the media file's
// base name when both are empty.
std::string TitlePageHeader(const SongLook& song);

class KaraokeDisplay {
public:
    enum class Page { Background, Title, Lines };

    KaraokeDisplay();

    // --- inputs -------------------------------------------------------------
    // Takes new settings; call Repaint (or SetBackground) to show their effect.
    void SetSettings(const KaraokeSettings& settings);
    const KaraokeSettings& Settings() const { return m_settings; }
    // The window's inner size and mode (ResizeMe): refits, lays out, repaints.
    void SetWindow(int innerWidth, int innerHeight, bool fullscreen);
    // Whether an audio stream or MIDI song is open.
    void SetMediaOpen(bool open) { m_mediaOpen = open; }
    // False until the window is ready; while false ticks do nothing.
    void SetLyricsShown(bool shown) { m_lyricsShown = shown; }

    // --- operations ---------------------------------------------------------
    // New lyrics and look for a song. The model must outlive the display or the
    // next ChangeLyrics; its CurrentPiece is kept here.
    void ChangeLyrics(LyricsModel* model, const SongLook& look);
    // The song's look changed (the details dialog): colours, picture and
    // timeline follow at once; the lyrics keep their place.
    void ChangeLook(const SongLook& look);
    const SongLook& Look() const { return m_song; }
    void ClearLyrics();     // media closed or stopped
    void ClearNewLyrics();  // forget what was shown, keep the pictures
    // One playback tick at `position` seconds, `nowMs` on a steady clock.
    void IsPlaying(double position, std::int64_t nowMs);
    // Resynchronise after a jump to `position`.
    void GetLastPos(double position, std::int64_t nowMs);
    void Repaint();
    void SetBackground();
    void SetPicture();
    void FitLyrics();

    // Keys. They change the settings; the owner stores them.
    bool IncreaseFont();  // numeric +
    bool DecreaseFont();  // numeric -, only from 12 points up
    void ToggleFitFont();
    void AddOffset(double seconds);
    // The pitch lane over the picture; none hides it.
    void SetPitchLane(std::optional<LaneState> lane);
    // The score of the song just sung, shown with the title page and the
    // background until the next song's words begin; none hides it.
    void ShowScore(std::optional<SongScore> score);

    // --- outputs ------------------------------------------------------------
    // The lyric area as it now stands.
    const QImage& Frame() const { return m_overlaid.isNull() ? m_frame : m_overlaid; }
    bool PitchLaneShown() const { return m_lane.has_value(); }
    bool ScoreShown() const { return m_score.has_value(); }
    QSize AreaSize() const;
    Page ShownPage() const { return m_page; }
    int PaintCount() const { return m_paintCount; }
    int CurrentPiece() const { return m_model ? m_model->CurrentPiece : 0; }
    const std::string& ShownLine() const { return m_shownLine; }
    const std::string& OtherLine() const { return m_otherLine; }
    const std::string& SungText() const { return m_sungText; }
    // Slot of the current line in the band (0 upper); -1 when none.
    int CurrentSlot() const;
    // The texts of the three-line display's slots.
    const std::array<std::string, 3>& ThreeLines() const { return m_threeLines; }
    int FontSize() const { return m_fontSize; }
    const QFont& Font() const { return m_font; }
    const std::string& ShownPicturePath() const { return m_shownPicturePath; }
    bool TimelinePictureShown() const { return !m_nextPicture.isNull(); }
    bool TransitionRunning() const { return m_transition.has_value(); }
    bool LastTimerOn() const { return m_lastTimerOn; }
    const StampCache& Stamps() const { return m_stamps; }

private:
    struct SlotText {
        std::string Text;
        int Slot = 0;  // -1: the middle of the band (single line)
        bool Current = false;
    };
    struct RunningTransition {
        QImage From;
        QImage To;
        TransitionSpec Desc;
        int Frame = 0;
        int Steps = 1;
    };

    double Corrected(double position) const;
    double Start(int k) const;
    int LastPiece() const;
    void UpdateLook();
    void PaintPiece(int k, bool redraw);
    void PaintTitle();
    bool ShowsPageWithoutLyrics() const;
    void Restore();
    void PaintStoredLines();
    std::vector<BandLine> WrappedLines();
    double SweepFraction(int k, double position) const;
    int SweepStep(double position) const;
    void AdvanceSweep(double position);
    void Present();
    void AdvanceTimeline(double position);
    void AdvanceTransition();
    void FinishTransition();
    void ClearTexts();
    std::string ResolvedPicturePath() const;
    int BandHeight() const;
    int SlotTop(int slot) const;

    KaraokeSettings m_settings;
    std::optional<LaneState> m_lane;
    std::optional<SongScore> m_score;
    QImage m_scoreChart;  // m_score painted, at the frame's chart size
    QImage m_overlaid;    // the frame with the lane or the score drawn over it
    SongLook m_song;
    LyricLook m_look;
    LyricsModel* m_model = nullptr;
    bool m_mediaOpen = false;
    bool m_lyricsShown = true;

    int m_innerWidth = 640;
    int m_innerHeight = 480;
    bool m_fullscreen = false;
    int m_fontSize = 0;
    QFont m_font;
    int m_lineHeight = 0;

    // What the band shows.
    Page m_page = Page::Background;
    std::string m_shownLine, m_otherLine, m_sungText, m_pieceText;
    std::array<std::string, 3> m_threeLines;
    int m_threeSlot = 0;
    bool m_slotToggle = false;
    int m_lineStart = 0;  // first piece of the line last painted; 0 none
    int m_lastLine = 0;
    bool m_titleShown = false;
    bool m_painting = false;
    bool m_bandExists = false;
    std::vector<SlotText> m_slots;
    // The smooth sweep: the piece last painted and how far it is coloured,
    // in whole pixels of the piece's width.
    int m_sweepPiece = 0;
    int m_sweepStep = 0;
    WrapCache m_wraps;
    QImage m_band;
    int m_bandTop = 0;

    bool m_lastTimerOn = false;
    bool m_lyricsGone = false;  // the last timer fired: only the background shows
    std::int64_t m_lastTimerStart = 0;
    std::int64_t m_nowMs = 0;
    double m_playbackPosition = 0;

    // Pictures.
    QImage m_picture;
    std::string m_shownPicturePath;
    QImage m_nextPicture;
    std::string m_pendingPicturePath;
    int m_scheduleIndex = 0;  // entries of the schedule already shown
    QImage m_background;
    std::optional<RunningTransition> m_transition;

    QImage m_frame;
    ComposedFrame m_composed;
    StampCache m_stamps;
    int m_paintCount = 0;
};

// The widest line of the model in the lyrics font: the first of equal widths.
std::string WidestLineOf(const LyricsModel& model, const KaraokeSettings& settings);

}  // namespace cx
