#include "playlist/FolderScan.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    test::WriteBytes(p, "x");
}

TEST(FolderScan, FindsEachSongOnceAcrossSubfoldersAndSkipsTheRest) {
    test::TempDir dir;
    for (const char* f : {"a.mp3", "a.cdg", "orphan.lrc", "notes.txt", "sub/c.OGG", "sub/c.lrs",
                          "sub/deep/d.kar", "pack.ZIP", "junk.zip"})
        Touch(dir / f);
    // A link back up must not trap the scan.
    fs::create_directory_symlink(dir.Path(), dir / "sub" / "loop");
    std::atomic<bool> cancel{false};
    FolderScanHooks hooks;
    hooks.zipHoldsSong = [](const std::string& p) { return p.ends_with("pack.ZIP"); };
    const FolderScanResult r = ScanSongFolder(dir.Path().string(), cancel, hooks);
    EXPECT_TRUE(r.Error.empty());
    EXPECT_FALSE(r.Cancelled);
    EXPECT_EQ(r.Songs, (std::vector<std::string>{
                           (dir / "a.mp3").string(), (dir / "pack.ZIP").string(),
                           (dir / "sub/c.OGG").string(), (dir / "sub/deep/d.kar").string()}));
    EXPECT_EQ(r.FilesSeen, 9u);
}

TEST(FolderScan, ReportsProgressStopsWhenCancelledAndNamesAMissingFolder) {
    test::TempDir dir;
    for (int i = 0; i < 200; ++i) Touch(dir / ("s" + std::to_string(i) + ".mp3"));
    std::atomic<bool> cancel{false};
    std::vector<std::size_t> seen;
    FolderScanHooks hooks;
    hooks.progress = [&](std::size_t files, std::size_t) {
        seen.push_back(files);
        if (files >= 2 * kFolderProgressEvery) cancel = true;
    };
    const FolderScanResult r = ScanSongFolder(dir.Path().string(), cancel, hooks);
    EXPECT_TRUE(r.Cancelled);
    EXPECT_LT(r.Songs.size(), 200u);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], kFolderProgressEvery);

    cancel = false;
    const FolderScanResult missing = ScanSongFolder((dir / "nope").string(), cancel);
    EXPECT_FALSE(missing.Error.empty());
    EXPECT_TRUE(missing.Songs.empty());
}

}  // namespace
}  // namespace cx
