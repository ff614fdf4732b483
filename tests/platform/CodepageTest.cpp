#include "platform/Codepage.h"

#include <gtest/gtest.h>

namespace cx {

TEST(Codepage, PolishLettersRoundTripThrough1250) {
    const std::string polish = "Zażółć gęślą jaźń ŁŚŹŻ";
    const std::string bytes = EncodeCodepage(polish, Codepage::Cp1250);
    EXPECT_EQ(bytes.size(), 22u);                           // one byte per character
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 0xBF);  // ż
    EXPECT_EQ(DecodeCodepage(bytes, Codepage::Cp1250), polish);
}

TEST(Codepage, WesternTextAndUnmappableCharacters) {
    EXPECT_EQ(DecodeCodepage("caf\xE9 \x80", Codepage::Cp1252), "café €");
    EXPECT_EQ(EncodeCodepage("ł", Codepage::Cp1252), "?");
    EXPECT_EQ(CodepageForLanguage("pl"), Codepage::Cp1250);
    EXPECT_EQ(CodepageForLanguage("PL"), Codepage::Cp1252);
}

TEST(Codepage, FileTextPrefersUtf8OnlyWhenItIsUtf8) {
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"
                             "abc",
                             Codepage::Cp1252),
              "abc");
    EXPECT_EQ(DecodeTextFile("g\xC4\x99\xC5\x9B", Codepage::Cp1250), "gęś");
    // Valid 1250 bytes that are not UTF-8 decode through the code page.
    EXPECT_EQ(DecodeTextFile("g\xEA\x9C", Codepage::Cp1250), "gęś");
    // Overlong, a surrogate, truncated.
    for (const char* bytes : {"\xC0\x80", "\xED\xA0\x80", "\xE2\x82"})
        EXPECT_FALSE(IsValidUtf8(bytes)) << ::testing::PrintToString(bytes);
}

}  // namespace cx
