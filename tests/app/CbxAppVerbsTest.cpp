// cbx settings and cbx translate, run as real processes against a private
// settings folder.
#include <gtest/gtest.h>

#include "app/Registry.h"
#include "app/ThemeClass.h"
#include "support/CbxRunner.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::CbxRun;

class CbxAppVerbs : public ::testing::Test {
protected:
    CbxRun Cbx(const std::string& args) {
        const std::string home = m_home.Path().string();
        return test::RunShell("XDG_CONFIG_HOME='" + home + "/config' XDG_DATA_HOME='" + home +
                              "/data' HOME='" + home + "' " + test::CbxPath() + " " + args +
                              " 2>/dev/null");
    }
    std::filesystem::path ConfigFile() const {
        return m_home.Path() / "config/Sonoferia/Cantabilex.conf";
    }

    test::TempDir m_home;
};

TEST_F(CbxAppVerbs, EmptyStorePrintsTheDefaultsInSaveOrder) {
    const CbxRun run = Cbx("settings");
    ASSERT_EQ(run.code, 0);
    ThemeEnvironment env;
    env.musicFolder = (m_home.Path() / "Music").string();
    env.voiceFolder = (m_home.Path() / "data/Sonoferia/Cantabilex/Voice").string();
    std::string expected;
    for (const auto& [name, text] : ThemeClass::Load(MemoryRegistryStore(), env).SavedValues())
        expected += name + "=" + text + "\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_FALSE(std::filesystem::exists(ConfigFile()));  // printing writes nothing
}

TEST_F(CbxAppVerbs, SetThenGetThroughTheStore) {
    EXPECT_EQ(Cbx("settings set 'karaoke offset' 0,25").code, 0);
    EXPECT_TRUE(std::filesystem::exists(ConfigFile()));
    EXPECT_EQ(Cbx("settings get 'karaoke offset'").out, "0.25\n");
    EXPECT_EQ(Cbx("settings set 'custom mixer' 9").code, 0);
    EXPECT_EQ(Cbx("settings get 'custom mixer'").out, "0\n");
    EXPECT_EQ(Cbx("settings set language pl").code, 0);
    EXPECT_EQ(Cbx("settings get language").out, "pl\n");
    EXPECT_EQ(Cbx("settings get 'karaoke font charset'").out, "238\n");
    const CbxRun all = Cbx("settings");
    EXPECT_NE(all.out.find("\nkaraoke offset=0.25\n"), std::string::npos);

    const std::string ini = (m_home.Path() / "other.ini").string();
    EXPECT_EQ(Cbx("settings set 'on top' 1 --file '" + ini + "'").code, 0);
    EXPECT_EQ(Cbx("settings get 'on top' --file '" + ini + "'").out, "1\n");
    EXPECT_EQ(Cbx("settings get 'on top'").out, "0\n");
}

TEST_F(CbxAppVerbs, WrongUseAndUnknownNames) {
    const std::pair<const char*, int> runs[] = {{"settings get 'no such value'", 1},
                                                {"settings set 'no such value' 1", 1},
                                                {"settings get", 2},
                                                {"settings frobnicate", 2},
                                                {"settings --bogus", 2},
                                                {"settings --help", 0},
                                                {"translate", 2},
                                                {"translate Play --lang de", 2},
                                                {"translate NoSuchKey", 1},
                                                {"translate --help", 0}};
    for (const auto& [args, code] : runs) EXPECT_EQ(Cbx(args).code, code) << args;
}

TEST_F(CbxAppVerbs, TranslateFollowsTheLanguageSetting) {
    EXPECT_EQ(Cbx("translate DetailsNoMedia").out,
              "First you must open media file\nto set or change graphics settings.\n");
    EXPECT_EQ(Cbx("translate MenuNew --lang fr").out, "&Nouveau\n");
    EXPECT_EQ(Cbx("translate Next --lang pl").out, "Następny\n");
    ASSERT_EQ(Cbx("settings set language PL").code, 0);
    EXPECT_EQ(Cbx("translate Next").out, "Next\n");
    ASSERT_EQ(Cbx("settings set language pl").code, 0);
    EXPECT_EQ(Cbx("translate Next").out, "Następny\n");
    const CbxRun list = Cbx("translate --list --lang en");
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.out.substr(0, 14), "Previous\nPlay\n");
}

TEST_F(CbxAppVerbs, JsonListsEverySetting) {
    const CbxRun run = Cbx("settings --json");
    ASSERT_EQ(run.code, 0);
    EXPECT_EQ(run.out.front(), '{');
    EXPECT_NE(run.out.find("\"dsp out\": \"0,50,0,50,0,50,0,50\""), std::string::npos);
}

}  // namespace
}  // namespace cx
