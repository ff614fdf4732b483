// The end-of-song chart as painted, and what the lane says without notes.
#include <gtest/gtest.h>

#include "karaoke/ScoreChart.h"
#include "scoring/PitchLaneDesk.h"

namespace cx {
namespace {

struct ChartCase {
    const char* name;
    std::vector<LineScore> lines;
};

class ScoreCharts : public ::testing::TestWithParam<ChartCase> {};

// Every line's bar stands at its column's foot in its verdict's colour, as
// high as the line was sung right; above it the backdrop shows.
TEST_P(ScoreCharts, BarAndColourPerLine) {
    const auto& lines = GetParam().lines;
    const QSize size(400, 200);
    const QImage chart = PaintScoreChart({1234, lines, "Score: 1234"}, size);
    ASSERT_EQ(chart.size(), size);
    const QRgb backdrop = chart.pixel(2, 2);
    const double margin = size.height() * 0.06;
    const double step = (size.width() - 2 * margin) / lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int x = static_cast<int>(margin + (i + 0.5) * step);
        const int foot = static_cast<int>(size.height() - margin - 2);
        EXPECT_EQ(chart.pixel(x, foot), VerdictColour(lines[i].Rating)) << i;
        if (lines[i].Share < 0.5) {
            EXPECT_EQ(chart.pixel(x, foot - 60), backdrop) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Songs, ScoreCharts,
                         ::testing::Values(ChartCase{"OneLine", {{0, 1.0, 500, Verdict::Perfect}}},
                                           ChartCase{"Mixed",
                                                     {{0, 0.9, 400, Verdict::Great},
                                                      {1, 0.1, 10, Verdict::Awful},
                                                      {2, 0.45, 200, Verdict::NotBad},
                                                      {3, 0.0, 0, Verdict::Awful}}}),
                         [](const auto& info) { return std::string(info.param.name); });

// A song without notes says so on the lane, and has no score to show.
TEST(ScoreCharts, ASongWithoutNotesSaysSoAndLeavesNoScore) {
    PitchLaneDesk desk(true);
    desk.SetTranslator([](const std::string& key) { return "[" + key + "]"; });
    std::string error;
    if (!PitchTracker::AubioAvailable()) GTEST_SKIP() << "aubio is not installed";
    ASSERT_TRUE(desk.SetOn(true, error)) << error;
    desk.OpenSong("");
    const auto lane = desk.Tick(1.0);
    ASSERT_TRUE(lane.has_value());
    EXPECT_EQ(lane->TotalText, "[ScoreNoNotes]");
    EXPECT_FALSE(desk.FinishSong().has_value());
    EXPECT_FALSE(desk.LastScore().has_value());
    // A stored delay out of all reason is held to the range.
    desk.SetCalibration(1e6);
    EXPECT_EQ(desk.Delay().CalibrationSeconds, kMaxVoiceLatencyMs / 1000.0);
}

// The lane listens to the microphone the singer chose, not just the default.
TEST(ScoreCharts, TheLaneListensToTheChosenMicrophone) {
    if (!PitchTracker::AubioAvailable()) GTEST_SKIP() << "aubio is not installed";
    PitchLaneDesk desk(false);
    std::string error;
    EXPECT_FALSE(desk.SetOn(true, error, "no such microphone"));
    EXPECT_FALSE(desk.On());
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace cx
