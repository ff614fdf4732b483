#include "app/ErrorReport.h"
#include "app/FontChoice.h"
#include "app/LyricsFileType.h"
#include "app/SingleInstance.h"

#include "support/TestSupport.h"

namespace cx {

TEST(StartupPieces, PlaceholderCommandLineCountsAsNoFile) {
    EXPECT_FALSE(SingleInstance::NamesFile(""));
    EXPECT_FALSE(SingleInstance::NamesFile("%1"));
    EXPECT_TRUE(SingleInstance::NamesFile("/songs/a.mp3"));
}

TEST(StartupPieces, LyricsTypeIsRegisteredOnceAndAChangedOneIsKept) {
    test::TempDir dir;
    EXPECT_EQ(RegisterLyricsFileType(dir.Path(), ".lrs", "Cantabilex file", "/usr/bin/cantabilex",
                                     {}),
              FileTypeRegistration::Registered);
    const auto mime = dir / "mime/packages/cantabilex-lrs.xml";
    const std::string xml = test::ReadBytes(mime);
    EXPECT_NE(xml.find("<glob pattern=\"*.lrs\"/>"), std::string::npos);
    EXPECT_NE(xml.find("Cantabilex file"), std::string::npos);
    EXPECT_NE(test::ReadBytes(dir / "applications/cantabilex.desktop").find("%f"),
              std::string::npos);

    test::WriteBytes(mime, "changed by the user");
    EXPECT_EQ(RegisterLyricsFileType(dir.Path(), ".lrs", "Cantabilex file", "/x", {}),
              FileTypeRegistration::AlreadyRegistered);
    EXPECT_EQ(test::ReadBytes(mime), "changed by the user");
}

TEST(StartupPieces, AnInstalledPackageMakesTheUserRegistrationNeedless) {
    test::TempDir home;
    test::TempDir system;
    std::filesystem::create_directories(system / "applications");
    test::WriteBytes(system / "applications" / kInstalledDesktopEntry, "[Desktop Entry]\n");
    EXPECT_EQ(RegisterLyricsFileType(home.Path(), ".lrs", "Cantabilex file", "/usr/bin/cantabilex",
                                     {"/nonexistent", system.Path()}),
              FileTypeRegistration::AlreadyRegistered);
    EXPECT_FALSE(std::filesystem::exists(home / "applications/cantabilex.desktop"));
    EXPECT_FALSE(std::filesystem::exists(home / "mime/packages/cantabilex-lrs.xml"));
}

TEST(StartupPieces, DialogFontFollowsTheChainThenTheSystemFont) {
    auto only = [](std::string name) { return [name](const std::string& n) { return n == name; }; };
    EXPECT_EQ(ChooseFont(kDialogFontChain, only("Arial"), "DejaVu Sans"), "Arial");
    EXPECT_EQ(ChooseFont(kDialogFontChain, only("Tahoma"), "DejaVu Sans"), "Tahoma");
    EXPECT_EQ(ChooseFont(kDialogFontChain, only("Nothing"), "DejaVu Sans"), "DejaVu Sans");
}

TEST(StartupPieces, ErrorReportAsksForTheDescription) {
    const std::string text = ErrorReportText("MediaMod->OpenName at Line 12");
    EXPECT_EQ(text.rfind(
                  "MediaMod->OpenName at Line 12\nIf you want to learn more about this error\n", 0),
              0u);
    EXPECT_NE(text.find(kSupportMail), std::string::npos);
}

}  // namespace cx
