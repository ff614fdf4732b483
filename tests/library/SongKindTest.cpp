// A song's kind in the library, as a scan with its folder listings sees it
// and as a single lookup does: the two must agree on every name's case.
#include <gtest/gtest.h>

#include <filesystem>

#include "library/SongFacts.h"
#include "lyrics/SiblingFile.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

TEST(SongKinds, AScanAndASingleLookupAgreeWhateverTheCase) {
    test::TempDir dir;
    for (const char* name :
         {"exact.mp3", "exact.cdg", "upper.mp3", "upper.CDG", "Stem.ogg", "stem.cdg", "plain.mp3",
          "folder.mp3", "lyrics.mp3", "lyrics.lrc", "tune.kar", "disc.zip", "alone.cdg"})
        test::WriteBytes(dir / name, "x");
    std::filesystem::create_directories(dir / "folder.cdg");  // not a file: no pair

    struct Case {
        const char* file;
        std::optional<LibrarySongKind> kind;
    } const cases[] = {
        {"exact.mp3", LibrarySongKind::Cdg},
        {"upper.mp3", LibrarySongKind::Cdg},
        {"Stem.ogg", LibrarySongKind::Cdg},
        {"plain.mp3", LibrarySongKind::Audio},
        {"folder.mp3", LibrarySongKind::Audio},
        {"lyrics.mp3", LibrarySongKind::Audio},
        {"tune.kar", LibrarySongKind::Midi},
        {"disc.zip", LibrarySongKind::Cdg},
        {"alone.cdg", std::nullopt},
        {"lyrics.lrc", std::nullopt},
    };
    SiblingFinder scan;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = (dir / c.file).string();
        EXPECT_EQ(LibraryKindOf(path), c.kind);
        EXPECT_EQ(LibraryKindOf(path, &scan), c.kind);
    }
    EXPECT_EQ(scan.Find(dir / "upper.mp3", "cdg"), dir / "upper.CDG");
    EXPECT_EQ(scan.Find(dir / "Stem.ogg", "cdg"), dir / "stem.cdg");
}

}  // namespace
}  // namespace cx
