// The join code, the page's texts in three languages and the QR picture.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <set>

#include "requests/GuestLimits.h"
#include "requests/GuestPage.h"
#include "requests/GuestTexts.h"
#include "requests/JoinCode.h"
#include "requests/QrCode.h"

namespace cx {
namespace {

TEST(JoinCodeTest, CodesAreRandomUnambiguousAndComparedWhole) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string code = MakeJoinCode();
        ASSERT_EQ(code.size(), kJoinCodeLength);
        EXPECT_EQ(code.find_first_not_of(kJoinCodeAlphabet), std::string::npos) << code;
        seen.insert(code);
    }
    EXPECT_GT(seen.size(), 195u);
    EXPECT_EQ(kJoinCodeAlphabet.find_first_of("IL0O1"), std::string_view::npos);
    struct Case {
        std::string_view a, b;
        bool same;
    };
    const Case cases[] = {{"ABC234", "ABC234", true},
                          {"ABC234", "ABC235", false},
                          {"ABC234", "ABC23", false},
                          {"ABC234", "ABC2345", false},
                          {"", "", false}};
    for (const Case& c : cases)
        EXPECT_EQ(SameCodeConstantTime(c.a, c.b), c.same) << c.a << "|" << c.b;
    EXPECT_EQ(NormalizeJoinCode(" ab-c d9 "), "ABCD9");
}

TEST(GuestTextsTest, EveryLanguageHasEveryPageTextAndTheirOwnWords) {
    const auto languages = BuiltInGuestTexts();
    ASSERT_EQ(languages.size(), 3u);
    const auto& english = languages[0].texts;
    for (const GuestTexts& texts : languages) {
        SCOPED_TRACE(texts.language);
        for (const std::string_view key : GuestTextKeys()) {
            const auto found = texts.texts.find(std::string(key));
            ASSERT_NE(found, texts.texts.end()) << key;
            EXPECT_FALSE(found->second.empty()) << key;
            // Language keys are never shown: each one has a line in the file.
            EXPECT_NE(found->second, key);
        }
        if (texts.language != "en") {
            EXPECT_NE(texts.texts.at("RequestsSend"), english.at("RequestsSend"));
        }
    }
    EXPECT_EQ(languages[1].language, "pl");
    EXPECT_EQ(languages[1].texts.at("RequestsJoin"), "Do\xc5\x82\xc4\x85\x63z");
    EXPECT_EQ(languages[2].texts.at("RequestsAccepted"), "Accept\xc3\xa9\x65");
}

TEST(QrCodeTest, PaintsASquareSymbolWithItsQuietZone) {
    int argc = 0;
    QGuiApplication app(argc, nullptr);
    const QImage image = PaintQrCode("http://192.168.1.20:8080/?code=ABC234", 300);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), image.height());
    EXPECT_LE(image.width(), 300);
    // White to the finder pattern's corner: four modules of quiet zone.
    int quiet = 0;
    while (quiet < image.width() && image.pixel(quiet, quiet) == qRgb(255, 255, 255)) ++quiet;
    ASSERT_EQ(quiet % 4, 0);
    const int scale = quiet / 4;
    ASSERT_GT(scale, 0);
    EXPECT_EQ(image.width() % scale, 0);
    EXPECT_EQ((image.width() / scale - 8 - 21) % 4, 0);  // 21 + 4 (version - 1) modules
    EXPECT_TRUE(PaintQrCode("", 300).isNull());
    EXPECT_TRUE(PaintQrCode("http://192.168.1.20:8080/", 10).isNull());
}

}  // namespace
}  // namespace cx
