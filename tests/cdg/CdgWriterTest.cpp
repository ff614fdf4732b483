// The CD+G writer and the demo song it makes, read back through the decoder.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "CdgWriter.h"
#include "DemoCdgSong.h"
#include "cdg/CdgScreen.h"
#include "cdg/CdgSong.h"

namespace cx {
namespace {

using namespace cx::cdgwrite;

CdgSong Load(const std::vector<std::uint8_t>& bytes) {
    CdgLoadResult r = LoadCdgSong(bytes);
    EXPECT_TRUE(r.ok) << r.error;
    return r.song;
}

// The screen after every packet due by `seconds`, played in order.
CdgScreen PlayTo(const CdgSong& song, double seconds) {
    CdgScreen screen;
    const auto last = static_cast<std::uint32_t>(std::floor(seconds * kCdgPacketsPerSecond));
    for (std::uint32_t n = 0; n <= last && n < song.PacketCount(); ++n)
        screen.Dispatch(song.packets[n]);
    return screen;
}

// Whether pixel (x, y) of the cell of `ch` drawn at `scale` is ink.
bool Ink(char ch, int scale, int x, int y) {
    const TileRows rows = GlyphTile(ch, scale, x / kCdgTileWidth, y / kCdgTileHeight);
    return (rows[y % kCdgTileHeight] >> (kCdgTileWidth - 1 - x % kCdgTileWidth)) & 1;
}

// Counts the pixels of `text` (cells from tile row/column at `scale`) that
// are ink and show `ink`, and the paper pixels that show `paper`; returns
// how many did not.
int Mismatches(const CdgScreen& s, int row, int column, const std::string& text, int scale,
               std::uint8_t ink, std::uint8_t paper) {
    int bad = 0;
    const int cell = kCdgTileWidth * scale;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int x0 = (column + static_cast<int>(i) * scale) * kCdgTileWidth;
        for (int y = 0; y < kCdgTileHeight * scale; ++y) {
            for (int x = 0; x < cell; ++x) {
                const std::uint8_t want = Ink(text[i], scale, x, y) ? ink : paper;
                if (s.Pixel(x0 + x, row * kCdgTileHeight + y) != want) ++bad;
            }
        }
    }
    return bad;
}

TEST(CdgWriter, PlacesPacketsAtTheirTimeAndQueuesThoseThatCollide) {
    CdgWriter w;
    EXPECT_TRUE(w.Place(1.0, BorderPresetPacket(3)));
    EXPECT_TRUE(w.Place(1.0, BorderPresetPacket(4)));
    EXPECT_TRUE(w.Place(0.5, BorderPresetPacket(5)));
    w.Extend(2.0);
    EXPECT_FALSE(w.Place(1e9, BorderPresetPacket(1)));

    const CdgSong song = Load(w.Bytes());
    ASSERT_EQ(song.PacketCount(), 600u);
    std::vector<std::uint32_t> scheduled;
    for (const auto& e : song.schedule) scheduled.push_back(e.packet);
    EXPECT_EQ(scheduled, (std::vector<std::uint32_t>{150, 300, 301}));
    EXPECT_EQ(song.packets[301].Data(0), 4);
    EXPECT_FALSE(song.packets[0].IsGraphics());
}

TEST(CdgWriter, PacketsDecodeAsWritten) {
    CdgWriter w;
    w.Colors(0, {0x000, 0xF80, 0x0CF, 0x123, 0, 0, 0, 0}, {0xFFF, 0, 0, 0, 0, 0, 0, 0x00F});
    w.MemoryPreset(0, 2, 3);
    w.BorderPreset(0, 1);
    TileRows rows{};
    rows[0] = 0b100001;
    w.Tile(0, 5, 7, 3, 9, rows, false, 13);
    const CdgSong song = Load(w.Bytes());
    const auto counts = CountInstructions(song);
    EXPECT_EQ(counts[1], 3u);  // the preset and two repeats
    EXPECT_EQ(counts[30], 1u);
    EXPECT_EQ(counts[31], 1u);
    EXPECT_EQ(song.packets.back().Channel(), 13);

    CdgScreen s;
    s.SetShowChannel(13, true);
    for (const auto& p : song.packets) s.Dispatch(p);
    const auto& c = s.Colors();
    EXPECT_EQ((std::vector<std::uint32_t>{c[1], c[2], c[3], c[8], c[15]}),
              (std::vector<std::uint32_t>{0xFF8800, 0x00CCFF, 0x112233, 0xFFFFFF, 0x0000FF}));
    EXPECT_EQ(s.BorderIndex(), 1);
    // The tile at row 5, column 7: first row 100001 (set bits colour 9, clear ones 3), the
    // other rows 3; the preset's colour 2 before it.
    const int x = 7 * 6, y = 5 * 12;
    EXPECT_EQ((std::vector<int>{s.Pixel(x, y), s.Pixel(x + 1, y), s.Pixel(x + 5, y),
                                s.Pixel(x, y + 1), s.Pixel(0, 0)}),
              (std::vector<int>{9, 3, 9, 3, 2}));
}

TEST(CdgWriter, TextDrawsTheFontAndRecolourTogglesOnlyItsInk) {
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        CdgWriter w;
        w.MemoryPreset(0, 0);
        const std::string text = "Hg, Wy!";
        w.Text(0, 2, 3, text, 1, 0, scale);
        CdgScreen s;
        for (const auto& p : Load(w.Bytes()).packets) s.Dispatch(p);
        EXPECT_EQ(Mismatches(s, 2, 3, text, scale, 1, 0), 0);

        // Ink 1 to 2 leaves the paper; the same call again restores the ink.
        CdgWriter x;
        x.Recolor(0, 2, 3, text, 1, 2, scale);
        const CdgSong recolor = Load(x.Bytes());
        for (const auto& p : recolor.packets) s.Dispatch(p);
        EXPECT_EQ(Mismatches(s, 2, 3, text, scale, 2, 0), 0);
        for (const auto& p : recolor.packets) s.Dispatch(p);
        EXPECT_EQ(Mismatches(s, 2, 3, text, scale, 1, 0), 0);
        // The space and the empty tiles around small glyphs are not sent.
        EXPECT_LT(recolor.schedule.size(), text.size() * scale * scale);
    }
}

TEST(CdgWriter, GlyphsSitCentredInTheirCells) {
    // 'g' at one tile a character: two rows above the cap height, the
    // descender in the row below the baseline, the right pixel column free.
    // clang-format off
    const char* art[kCdgTileHeight] = {
        "......", "......", "......", "......", ".####.", "#...#.",
        "#...#.", ".####.", "....#.", ".###..", "......", "......"};
    // clang-format on
    const TileRows g = GlyphTile('g', 1, 0, 0);
    for (int y = 0; y < kCdgTileHeight; ++y)
        for (int x = 0; x < kCdgTileWidth; ++x)
            EXPECT_EQ(((g[y] >> (5 - x)) & 1) != 0, art[y][x] == '#') << x << "," << y;

    // Twice the size: each font pixel a 2 x 2 square, one pixel in from the
    // left and four down from the top of the 12 x 24 cell.
    // The crossbar is font row 3 of 'H', the descender of 'y' font row 7.
    // clang-format off
    for (const auto& [ch, x, y, ink] : {std::tuple{'H', 1, 4, true}, {'H', 2, 5, true},
             {'H', 0, 4, false}, {'H', 1, 3, false}, {'H', 10, 17, true}, {'H', 11, 17, false},
             {'H', 10, 18, false}, {'H', 5, 10, true}, {'H', 5, 9, false}, {'y', 4, 19, true}})
        EXPECT_EQ(Ink(ch, 2, x, y), ink) << ch << " at " << x << "," << y;
    // clang-format on
}

TEST(CdgWriter, TextIsClippedAtTheScreenEdgeAndUnknownCharactersDrawAsQuestionMarks) {
    CdgWriter w;
    EXPECT_EQ(w.Text(0, 17, 48, "ABC", 1, 0, 2), 2);  // one cell column, one tile row left
    EXPECT_EQ(w.Text(0, -1, 0, "A", 1, 0, 2), 2);
    for (int y = 0; y < kCdgTileHeight; ++y)
        for (int x = 0; x < kCdgTileWidth; ++x) EXPECT_EQ(Ink('~', 1, x, y), Ink('?', 1, x, y));
}

// The demo song, made once for all its tests, and as the decoder reads it.
const demo::LambCdg& Made() {
    static const demo::LambCdg made = demo::MakeLambCdg();
    return made;
}
const CdgSong& Song() {
    static const CdgSong song = Load(Made().bytes);
    return song;
}

TEST(CdgDemoSong, LastsAsLongAsItsAudioAndUsesTheCoreInstructions) {
    EXPECT_NEAR(Song().DurationSeconds(), demo::LambSeconds(), 1.0 / kCdgPacketsPerSecond);
    EXPECT_GT(demo::LambSeconds(), 20.0);
    EXPECT_LT(demo::LambSeconds(), 30.0);
    const auto counts = CountInstructions(Song());
    for (int code : {1, 2, 6, 30, 31, 38}) EXPECT_GT(counts[code], 0u) << code;
}

TEST(CdgDemoSong, BuiltFileIsTheOneDescribedHere) {
    const auto path =
        std::filesystem::path(CX_BINARY_DIR) / "demo" / (std::string(demo::kLambBaseName) + ".cdg");
    std::ifstream in(path, std::ios::binary);
    if (!in) GTEST_SKIP() << "demo songs not built";
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(bytes == Made().bytes);
}

TEST(CdgDemoSong, TitleScreenAfterThePreset) {
    const CdgScreen s = PlayTo(Song(), 2.0);
    EXPECT_EQ(s.BorderIndex(), demo::kBorder);
    EXPECT_EQ(s.Colors()[demo::kPaper], 0x000044u);
    EXPECT_EQ(s.Colors()[demo::kTitleInk], 0x00CCFFu);
    const auto centred = [&s](int row, const std::string& text, int scale, std::uint8_t ink) {
        return Mismatches(s, row, CentredColumn(text.size(), scale), text, scale, ink,
                          demo::kPaper);
    };
    EXPECT_EQ(centred(demo::kTitleRows[0], "Mary Had a", 2, demo::kTitleInk), 0);
    EXPECT_EQ(centred(demo::kTitleRows[1], "Little Lamb", 2, demo::kTitleInk), 0);
    EXPECT_EQ(centred(11, "Traditional", 1, demo::kCreditInk), 0);
    // The rainbow runs left to right through the high half of the palette.
    const int y = demo::kStripeRow * kCdgTileHeight + 5;
    EXPECT_EQ(s.Pixel(kCdgTileWidth, y), demo::kStripe);
    EXPECT_EQ(s.Pixel(kCdgWidth - kCdgTileWidth - 1, y), demo::kStripe + 7);
    EXPECT_EQ(s.Pixel(kCdgTileWidth, demo::kStripeRow * kCdgTileHeight), demo::kPaper);
    // Rows between the lines of text are bare paper.
    for (int x = kCdgTileWidth; x < kCdgWidth - kCdgTileWidth; ++x)
        ASSERT_EQ(s.Pixel(x, 2 * kCdgTileHeight + 3), demo::kPaper) << x;
}

// Mismatches of a line of words drawn in `ink` in the two tile rows from
// `row`, counting as well anything but paper beside it.
int LineMismatches(const CdgScreen& s, int row, const std::string& text, std::uint8_t ink) {
    const int first = demo::LineColumn(text);
    int bad = Mismatches(s, row, first, text, demo::kLyricScale, ink, demo::kPaper);
    const int x0 = first * kCdgTileWidth;
    const int x1 = x0 + static_cast<int>(text.size()) * demo::kLyricScale * kCdgTileWidth;
    for (int y = row * kCdgTileHeight; y < (row + demo::kLyricScale) * kCdgTileHeight; ++y)
        for (int x = kCdgTileWidth; x < kCdgWidth - kCdgTileWidth; ++x)
            if ((x < x0 || x >= x1) && s.Pixel(x, y) != demo::kPaper) ++bad;
    return bad;
}

TEST(CdgDemoSong, WordsPageReplacesTheTitleBeforeTheFirstNote) {
    const CdgScreen s = PlayTo(Song(), demo::kLambLeadIn - 0.01);
    ASSERT_EQ(Made().lines.size(), 5u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(LineMismatches(s, demo::kLineRows[i], Made().lines[i], demo::kUnsung), 0) << i;
}

TEST(CdgDemoSong, SungLinesMakeWayForTheNextOnes) {
    // While the second line is sung, the fourth has replaced the first.
    const auto& lines = Made().lines;
    const CdgScreen s = PlayTo(Song(), Made().cues[8].seconds);
    EXPECT_EQ(Made().cues[8].line, 1);
    EXPECT_EQ(LineMismatches(s, demo::kLineRows[0], lines[3], demo::kUnsung), 0);
    EXPECT_EQ(LineMismatches(s, demo::kLineRows[2], lines[2], demo::kUnsung), 0);
    // During the last line only it is left.
    const CdgScreen end = PlayTo(Song(), Made().cues.back().seconds + 0.5);
    EXPECT_EQ(LineMismatches(end, demo::kLineRows[1], lines[4], demo::kSung), 0);
    EXPECT_EQ(LineMismatches(end, demo::kLineRows[0], "", demo::kSung), 0);
    EXPECT_EQ(LineMismatches(end, demo::kLineRows[2], "", demo::kSung), 0);
}

TEST(CdgDemoSong, EachSyllableTurnsColourWhenItIsSung) {
    ASSERT_EQ(Made().cues.size(), demo::LambNotes().size());
    for (const demo::LambCue& cue : Made().cues) {
        SCOPED_TRACE(cue.text + " at " + std::to_string(cue.seconds));
        for (const auto& [at, ink] :
             {std::pair{cue.seconds - 0.01, demo::kUnsung}, {cue.seconds + 0.1, demo::kSung}})
            EXPECT_EQ(Mismatches(PlayTo(Song(), at), cue.row, cue.column, cue.text,
                                 demo::kLyricScale, ink, demo::kPaper),
                      0)
                << at;
    }
    // The first syllable starts to change on the very packet it is due.
    const demo::LambCue& first = Made().cues.front();
    const auto due = static_cast<std::uint32_t>(std::lround(first.seconds * 300));
    EXPECT_TRUE(Song().packets[due].Is(CdgInstruction::TileBlockXor));
    EXPECT_FALSE(Song().packets[due - 1].Is(CdgInstruction::TileBlockXor));
}

}  // namespace
}  // namespace cx
