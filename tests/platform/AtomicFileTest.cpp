#include "platform/AtomicFile.h"
#include "platform/PrivateTemp.h"

#include <sys/stat.h>

#include "support/TestSupport.h"

namespace cx {

TEST(AtomicFile, ReplacesContentAndKeepsPermissions) {
    test::TempDir dir;
    const auto file = dir / "song.lrs";
    test::WriteBytes(file, "old");
    ::chmod(file.c_str(), 0600);
    ASSERT_EQ(WriteFileAtomically(file, "new content"), "");
    EXPECT_EQ(test::ReadBytes(file), "new content");
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(AtomicFile, ReportsFailuresInsteadOfThrowing) {
    EXPECT_NE(WriteFileAtomically("/nonexistent-dir/x.lrs", "x"), "");
    auto r = ReadWholeFile("/nonexistent-dir/x.lrs");
    EXPECT_FALSE(r.bytes);
    EXPECT_NE(r.error, "");
    test::TempDir dir;
    test::WriteBytes(dir / "big", std::string(100, 'x'));
    EXPECT_FALSE(ReadWholeFile(dir / "big", 10).bytes);
}

TEST(PrivateTemp, IsPrivateAndRemovedAtEnd) {
    std::filesystem::path folder;
    {
        PrivateTemp temp;
        folder = temp.Folder();
        ASSERT_FALSE(folder.empty());
        struct stat st {};
        ::stat(folder.c_str(), &st);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        test::WriteBytes(temp.File("cbx.mid"), "x");
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace cx
