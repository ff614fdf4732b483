#include "scoring/Scorer.h"

#include <algorithm>
#include <cmath>

namespace cx {
namespace {

// Singers slide into a note: its first moment is not asked for.
constexpr double kAttackGraceSeconds = 0.05;
// A line sung right for this share of its length earns its whole bonus.
constexpr double kFullLineShare = 0.9;

double Required(const SungNote& n) {
    return std::max(kPitchHopSeconds, n.Length - kAttackGraceSeconds);
}

}  // namespace

int ToleranceSemitones(Difficulty d) {
    switch (d) {
        case Difficulty::Easy:
            return 2;
        case Difficulty::Hard:
            return 0;
        case Difficulty::Medium:
            break;
    }
    return 1;
}

Difficulty DifficultyFromName(const std::string& name) {
    if (name == "easy") return Difficulty::Easy;
    if (name == "hard") return Difficulty::Hard;
    return Difficulty::Medium;
}

Difficulty DifficultyFromSetting(int value) {
    return static_cast<Difficulty>(std::clamp(value, 0, 2));
}

const char* DifficultyName(Difficulty d) {
    switch (d) {
        case Difficulty::Easy:
            return "easy";
        case Difficulty::Hard:
            return "hard";
        case Difficulty::Medium:
            break;
    }
    return "medium";
}

double FoldedDistance(double sung, int note) {
    const double d = sung - note;
    return d - 12.0 * std::round(d / 12.0);
}

double FoldIntoOctave(double sung, int note) {
    return note + FoldedDistance(sung, note);
}

double LowestPitchToHear(const SungNotes& notes) {
    int lowest = 127;
    for (const SungNote& n : notes.Notes)
        if (n.Kind != NoteKind::Freestyle) lowest = std::min(lowest, n.Pitch);
    return std::max(kDefaultLowestPitch, lowest - 12.0);
}

const char* VerdictKey(Verdict v) {
    static const char* const kKeys[] = {"ScoreVerdictPerfect", "ScoreVerdictGreat",
                                        "ScoreVerdictGood",    "ScoreVerdictNotBad",
                                        "ScoreVerdictBad",     "ScoreVerdictAwful"};
    return kKeys[static_cast<int>(v)];
}

Verdict VerdictFor(double share) {
    if (share >= 0.9) return Verdict::Perfect;
    if (share >= 0.75) return Verdict::Great;
    if (share >= 0.55) return Verdict::Good;
    if (share >= 0.35) return Verdict::NotBad;
    if (share >= 0.15) return Verdict::Bad;
    return Verdict::Awful;
}

Scorer::Scorer(SungNotes notes, Difficulty difficulty)
    : m_notes(std::move(notes)), m_difficulty(difficulty), m_right(m_notes.Notes.size(), 0.0) {
    std::stable_sort(
        m_notes.Notes.begin(), m_notes.Notes.end(),
        [](const SungNote& a, const SungNote& b) { return a.StartTime < b.StartTime; });
    int lines = m_notes.LineCount;
    for (const SungNote& n : m_notes.Notes) lines = std::max(lines, n.Line + 1);
    m_lineWeight.assign(static_cast<std::size_t>(std::max(0, lines)), 0.0);
    m_lineEnd.assign(m_lineWeight.size(), 0.0);
    m_lineClosed.assign(m_lineWeight.size(), false);
    for (const SungNote& n : m_notes.Notes) {
        if (!Scored(n) || n.Line < 0 || n.Length <= 0) continue;
        const auto l = static_cast<std::size_t>(n.Line);
        m_lineWeight[l] += Weight(n);
        m_lineEnd[l] = std::max(m_lineEnd[l], n.StartTime + n.Length);
        m_totalWeight += Weight(n);
    }
    m_scoredLines = static_cast<int>(
        std::count_if(m_lineWeight.begin(), m_lineWeight.end(), [](double w) { return w > 0; }));
}

double Scorer::Weight(const SungNote& n) const {
    const bool golden = n.Kind == NoteKind::Golden || n.Kind == NoteKind::RapGolden;
    return (golden ? 2.0 : 1.0) * n.Length;
}

bool Scorer::Hit(const SungNote& n, const PitchFrame& f) const {
    if (!f.Voiced()) return false;
    if (n.Kind == NoteKind::Rap || n.Kind == NoteKind::RapGolden) return true;
    // Within the tolerance once the sung pitch is rounded to a semitone.
    return std::abs(FoldedDistance(f.Pitch, n.Pitch)) <= ToleranceSemitones(m_difficulty) + 0.5;
}

double Scorer::NoteShare(std::size_t i) const {
    const SungNote& n = m_notes.Notes[i];
    return n.Length > 0 ? std::min(1.0, m_right[i] / Required(n)) : 0.0;
}

int Scorer::NoteAt(double t) const {
    const auto& v = m_notes.Notes;
    auto it = std::upper_bound(v.begin(), v.end(), t,
                               [](double x, const SungNote& n) { return x < n.StartTime; });
    // Notes may overlap (duets): look back over those that started lately.
    for (int back = 0; back < 4 && it != v.begin(); ++back) {
        --it;
        if (t < it->StartTime + it->Length) return static_cast<int>(it - v.begin());
    }
    return -1;
}

void Scorer::Add(double songTime, const PitchFrame& frame) {
    if (songTime < m_lastTime) return;
    m_lastTime = songTime;
    const int i = NoteAt(songTime);
    if (i < 0) return;
    const SungNote& n = m_notes.Notes[static_cast<std::size_t>(i)];
    if (!Scored(n) || !Hit(n, frame)) return;
    double& right = m_right[static_cast<std::size_t>(i)];
    right = std::min(Required(n), right + kPitchHopSeconds);
}

LineScore Scorer::RateLine(int line) const {
    LineScore s;
    s.Line = line;
    const double weight = m_lineWeight[static_cast<std::size_t>(line)];
    if (weight <= 0 || m_totalWeight <= 0) return s;
    double earned = 0;
    for (std::size_t i = 0; i < m_notes.Notes.size(); ++i) {
        const SungNote& n = m_notes.Notes[i];
        if (n.Line == line && Scored(n) && n.Length > 0)
            earned += Weight(n) * m_right[i] / Required(n);
    }
    s.Share = std::clamp(earned / weight, 0.0, 1.0);
    const double notes = kNotesScore * earned / m_totalWeight;
    const double bonus =
        kLinesScore / static_cast<double>(m_scoredLines) * std::min(1.0, s.Share / kFullLineShare);
    s.Points = static_cast<int>(std::lround(notes + bonus));
    s.Rating = VerdictFor(s.Share);
    return s;
}

void Scorer::CloseLinesBefore(double songTime) {
    for (std::size_t l = 0; l < m_lineEnd.size(); ++l) {
        if (m_lineClosed[l] || m_lineWeight[l] <= 0 || m_lineEnd[l] > songTime) continue;
        m_lineClosed[l] = true;
        m_closed.push_back(RateLine(static_cast<int>(l)));
    }
}

std::vector<LineScore> Scorer::TakeClosedLines() {
    std::vector<LineScore> out;
    out.swap(m_closed);
    return out;
}

int Scorer::Total(bool allLines) const {
    if (m_totalWeight <= 0) return 0;
    double notes = 0;
    for (std::size_t i = 0; i < m_notes.Notes.size(); ++i) {
        const SungNote& n = m_notes.Notes[i];
        if (Scored(n) && n.Length > 0) notes += Weight(n) * m_right[i] / Required(n);
    }
    double total = kNotesScore * notes / m_totalWeight;
    for (std::size_t l = 0; l < m_lineClosed.size(); ++l) {
        if (!m_lineClosed[l] && !(allLines && m_lineWeight[l] > 0)) continue;
        const LineScore s = RateLine(static_cast<int>(l));
        total += kLinesScore / static_cast<double>(m_scoredLines) *
                 std::min(1.0, s.Share / kFullLineShare);
    }
    return std::clamp(static_cast<int>(std::lround(total)), 0, kMaxScore);
}

std::vector<LineScore> Scorer::Lines() const {
    std::vector<LineScore> out;
    for (std::size_t l = 0; l < m_lineWeight.size(); ++l)
        if (m_lineWeight[l] > 0) out.push_back(RateLine(static_cast<int>(l)));
    return out;
}

TakeScore ScoreTake(const SungNotes& notes, const std::vector<PitchFrame>& frames,
                    double latencySeconds, Difficulty difficulty) {
    Scorer scorer(notes, difficulty);
    TakeScore out;
    for (const PitchFrame& f : frames) {
        scorer.Add(f.Time - latencySeconds, f);
        out.VoicedFrames += f.Voiced() ? 1 : 0;
    }
    scorer.CloseLinesBefore(1e300);
    out.Total = scorer.Total();
    out.Lines = scorer.Lines();
    return out;
}

}  // namespace cx
