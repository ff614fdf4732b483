#include "platform/QSettingsStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <QCoreApplication>
#include <QSettings>

#include "app/ThemeClass.h"
#include "platform/QtThemeEnvironment.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

TEST(QSettingsStore, ValuesSurviveANewInstance) {
    test::TempDir dir;
    const std::string ini = (dir / "settings.ini").string();
    {
        QSettingsStore store(ini);
        WriteRegistryText(store, kSettingsKey, "karaoke font name", "Zażółć");
        WriteRegistryText(store, kSettingsKey, "dsp out", "1,20,0,50,0,50,0,50");
        WriteRegistryText(store, "software\\Sonoferia\\Cantabilex\\ActiveWindow", "Handle", "42");
        WriteRegistryText(store, "ActiveWindow", "Handle", "7");
        EXPECT_EQ(store.Sync(), "");
    }
    QSettingsStore store(ini);
    EXPECT_EQ(ReadRegistryText(store, kSettingsKey, "karaoke font name"), "Zażółć");
    EXPECT_EQ(ReadRegistryText(store, "SOFTWARE\\sonoferia\\cantabilex", "dsp out"),
              "1,20,0,50,0,50,0,50");
    EXPECT_EQ(ReadRegistryText(store, "ActiveWindow", "Handle"), "7");
    EXPECT_EQ(ReadRegistryText(store, "software\\Sonoferia\\Cantabilex\\ActiveWindow", "Handle"),
              "42");
    EXPECT_EQ(ReadRegistryText(store, kSettingsKey, "missing"), "");
    EXPECT_EQ(ReadRegistryText(store, "Other", "dsp out"), "");
}

// A save killed between Qt's link and rename leaves "<file>.XXXXXX"; the next
// save clears it and nothing else of the folder.
TEST(QSettingsStore, ASaveClearsWhatAKilledSaveLeftAndKeepsOtherFiles) {
    test::TempDir dir;
    const std::string ini = (dir / "settings.ini").string();
    for (const char* name : {"settings.ini.aB3xYz", "settings.ini.backup1", "settings.ini.bak",
                             "settings.ini.a-b_cd", "other.ini.aB3xYz"})
        test::WriteBytes(dir / name, "[General]\n");
    QSettingsStore store(ini);
    WriteRegistryText(store, kSettingsKey, "language", "fr");
    ASSERT_EQ(store.Sync(), "");
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"other.ini.aB3xYz", "settings.ini", "settings.ini.a-b_cd",
                                        "settings.ini.backup1", "settings.ini.bak"}));
}

TEST(QSettingsStore, DefaultStoreUsesTheOrganisationAndApplication) {
    test::TempDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir.Path().string()));
    {
        QSettingsStore store;
        WriteRegistryText(store, kSettingsKey, "on top", "1");
        EXPECT_EQ(store.FilePath(), (dir / "Sonoferia/Cantabilex.conf").string());
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "Sonoferia/Cantabilex.conf"));
    QSettingsStore again;
    EXPECT_EQ(ReadRegistryText(again, kSettingsKey, "on top"), "1");
}

TEST(QSettingsStore, HandEditedAndDamagedFilesStillLoad) {
    test::TempDir dir;
    const std::string ini = (dir / "settings.ini").string();
    // An unquoted list, a number, a zero inside a value, then a cut-off line.
    test::WriteBytes(ini,
                     "[General]\n"
                     "dsp%20out=1,100,0,50,1,10,0,50\n"
                     "karaoke%20font%20size=abc\n"
                     "karaoke%20offset=0,5\n"
                     "image%20border=Frame\\0junk\n"
                     "mix%20song=\"12");
    QSettingsStore store(ini);
    const ThemeClass theme = ThemeClass::Load(store, ThemeEnvironment());
    EXPECT_EQ(theme.DspOut(), "1,100,0,50,1,10,0,50");
    EXPECT_EQ(theme.LyricsFontSize, 0);
    EXPECT_DOUBLE_EQ(theme.LyricsOffset, 0.5);
    EXPECT_EQ(theme.ImageBorder, "Frame");
    EXPECT_EQ(theme.AutoPlay, true);

    test::WriteBytes(ini, std::string("\x00\xff[[[=\n\x01=\x02", 11));
    QSettingsStore garbage(ini);
    const ThemeClass defaults = ThemeClass::Load(garbage, ThemeEnvironment());
    EXPECT_EQ(defaults.SavedValues(),
              ThemeClass::Load(MemoryRegistryStore(), ThemeEnvironment()).SavedValues());
}

TEST(QSettingsStore, SettingsRoundTripThroughTheFile) {
    test::TempDir dir;
    const std::string ini = (dir / "settings.ini").string();
    ThemeClass theme;
    theme.LyricsOffset = -0.3;
    theme.LyricsFont = "Font, with comma";
    theme.DSPOutWin = "@Invalid()";
    theme.MixWindow = "10,20";
    theme.VoiceEffects[2].On = true;
    {
        QSettingsStore store(ini);
        theme.Save(store);
    }
    QSettingsStore store(ini);
    const ThemeClass back = ThemeClass::Load(store, ThemeEnvironment());
    EXPECT_EQ(back.SavedValues(), theme.SavedValues());
}

TEST(QtThemeEnvironment, FoldersFollowXdg) {
    EXPECT_TRUE(VoiceFolder().ends_with("Sonoferia/Cantabilex/Voice"));
    EXPECT_FALSE(MusicFolder().empty());
    // Without a GUI application the display checks are skipped.
    const ThemeEnvironment env = QtThemeEnvironment();
    EXPECT_FALSE(env.fontInstalled);
    EXPECT_TRUE(env.screenNames.empty());
    EXPECT_EQ(env.musicFolder, MusicFolder());
}

}  // namespace
}  // namespace cx
