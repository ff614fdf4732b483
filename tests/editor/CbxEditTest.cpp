// cbx edit: plain words and a tap file in, timed lyrics out, as a user with
// any tapping tool would run it.
#include <gtest/gtest.h>

#include "lyrics/KokFormat.h"
#include "lyrics/LrsFormat.h"
#include "support/CbxRunner.h"
#include "support/Pieces.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::Cbx;
using test::CbxIn;
using test::CbxRun;
using test::Quote;

TEST(CbxEdit, TapsTimeTheWordsAndTheRestAreListedUntimed) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    test::WriteBytes(dir / "words.txt", "Hello big world\nGood bye\n");
    // Taps as the capture key reads them; a comment and a blank line are skipped.
    test::WriteBytes(dir / "taps.txt", "# my taps\n10.25\n\n11\n11.5\n14.25\n");

    auto edit = [&](const char* out, const std::string& more = "") {
        return Cbx("edit " + Quote(dir / "words.txt") + " --taps " + Quote(dir / "taps.txt") +
                   " -o " + Quote(dir / out) + more);
    };
    const CbxRun lrs = edit("out.lrs");
    ASSERT_EQ(lrs.code, 0);
    EXPECT_NE(lrs.out.find("5 pieces, 4 timed"), std::string::npos) << lrs.out;
    EXPECT_NE(lrs.out.find("untimed 5: bye"), std::string::npos) << lrs.out;
    PieceArray pieces;
    ASSERT_TRUE(ParseLrsTextForEditor(test::ReadBytes(dir / "out.lrs"), pieces).ok);
    // 0.25 s of reaction taken off each tap.
    EXPECT_EQ(test::StartTimes(pieces), (std::vector<double>{10.0, 10.75, 11.25, 14.0, 0}));
    EXPECT_EQ(pieces[4].PieceText, "Good ");

    const CbxRun kok = edit("out.kok", " --json");
    ASSERT_EQ(kok.code, 0);
    EXPECT_NE(kok.out.find("\"untimed\":[{\"piece\":5,\"text\":\"bye\"}]"), std::string::npos)
        << kok.out;
    PieceArray fromKok;
    ASSERT_TRUE(ParseKokText(test::ReadBytes(dir / "out.kok"), fromKok).ok);
    EXPECT_DOUBLE_EQ(fromKok[3].StartTime, 11.25);

    ASSERT_EQ(edit("out.lrc").code, 0);
    EXPECT_EQ(test::ReadBytes(dir / "out.lrc").substr(0, 38),
              "[00:10.00]Hello <00:10.75>big <00:11.2");
}

TEST(CbxEdit, WrongUsageAndBadTapsAreRefused) {
    CX_REQUIRE_CBX();
    test::TempDir dir;
    test::WriteBytes(dir / "words.txt", "La la\n");
    test::WriteBytes(dir / "bad.txt", "1.0\nsoon\n");
    EXPECT_EQ(Cbx("edit " + Quote(dir / "words.txt")).code, 2);
    auto edit = [&](const char* out) {
        return Cbx("edit " + Quote(dir / "words.txt") + " --taps " + Quote(dir / "bad.txt") +
                   " -o " + Quote(dir / out))
            .code;
    };
    EXPECT_EQ(edit("x.txt"), 2);
    EXPECT_EQ(edit("x.lrs"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.lrs"));
    EXPECT_EQ(Cbx("edit --help").code, 0);
}

}  // namespace
}  // namespace cx
