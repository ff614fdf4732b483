// The guest calls against a made-up library: codes, limits, hostile text and
// paths, language choice and the guest's view of the host's rotation; the
// join code, the page's texts and the QR picture.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <set>

#include "FakeGuestCatalog.h"
#include "platform/Codepage.h"
#include "requests/GuestApi.h"
#include "requests/GuestLanguage.h"
#include "requests/GuestLimits.h"
#include "requests/GuestPage.h"
#include "requests/GuestText.h"
#include "requests/GuestTexts.h"
#include "requests/JoinCode.h"
#include "requests/QrCode.h"

namespace cx {
namespace {

constexpr const char* kGuest = "guest-token-0123456789";

class GuestApiTest : public ::testing::Test {
protected:
    GuestApiTest()
        : m_api(m_desk, m_catalog,
                {{"en", {{"RequestsPageTitle", "Song requests"}}},
                 {"pl", {{"RequestsPageTitle", "Zamówienia"}}},
                 {"fr", {{"RequestsPageTitle", "Demandes"}}}},
                "pl") {}

    GuestReply Call(std::string method, std::string path,
                    std::multimap<std::string, std::string> query = {}, std::string body = {},
                    std::multimap<std::string, std::string> headers = {},
                    std::string peer = "10.0.0.2") {
        if (!headers.count("x-guest")) headers.emplace("x-guest", kGuest);
        if (!headers.count("x-join-code")) headers.emplace("x-join-code", m_desk.JoinCode());
        return m_api.Handle({std::move(method), std::move(path), std::move(query),
                             std::move(headers), std::move(body), std::move(peer), m_nowMs});
    }
    // A call with exactly the headers given.
    GuestReply Send(const std::string& method, const std::string& path,
                    const std::multimap<std::string, std::string>& headers,
                    const std::string& body = {}, const std::string& peer = "p",
                    std::int64_t nowMs = 0) {
        return m_api.Handle({method, path, {}, headers, body, peer, nowMs});
    }
    GuestReply Ask(const std::string& name, const std::string& song = "7",
                   const std::string& key = "0", const std::string& peer = "10.0.0.2",
                   std::string guest = kGuest) {
        return Call("POST", "/api/request", {},
                    "{\"name\":" + JsonString(name) + ",\"song\":" + song + ",\"key\":" + key + "}",
                    {{"content-type", "application/json"}, {"x-guest", guest}}, peer);
    }

    RequestDesk m_desk;
    FakeGuestCatalog m_catalog{300};
    GuestApi m_api;
    std::int64_t m_nowMs = 1'000'000;
};

TEST_F(GuestApiTest, RoutesCodesAndPathsAnswerWithTheRightStatusAndNoFileContent) {
    struct Case {
        std::string method, path, code;
        int status;
    };
    const std::string right = m_desk.JoinCode();
    std::string lower = right;
    for (char& c : lower) c = static_cast<char>(std::tolower(c));
    const Case cases[] = {
        {"GET", "/", "", 200},
        {"GET", "/app.js", "", 200},
        {"GET", "/app.css", "", 200},
        {"GET", "/favicon.ico", "", 204},
        {"GET", "/api/check", right, 200},
        {"GET", "/api/check", lower, 200},
        {"GET", "/api/check", "", 403},
        {"GET", "/api/check", "AAAAAA", 403},
        {"GET", "/api/check", right + "X", 403},
        {"GET", "/api/mine", "WRONG", 403},
        {"GET", "/api/search", "", 403},
        {"POST", "/api/request", "", 403},
        {"POST", "/", "", 405},
        {"GET", "/api/request", right, 405},
        {"DELETE", "/api/mine", right, 405},
        {"GET", "/nothing", right, 404},
        {"GET", "/../../etc/passwd", right, 404},
        {"GET", "/%2e%2e/%2e%2e/etc/passwd", right, 404},
        {"GET", "/etc/passwd", right, 404},
        {"GET", "/api/../app.js", right, 404},
        {"GET", "//app.js", right, 404},
        {"GET", "/app.js/", right, 404},
        {"GET", "/index.html", right, 404},
        {"GET", "", right, 404},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method + " " + c.path + " code=" + c.code);
        const GuestReply reply =
            Send(c.method, c.path, {{"x-join-code", c.code}, {"x-guest", kGuest}}, "", "10.0.0.2",
                 m_nowMs);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(reply.body.find("root:"), std::string::npos);
        if (c.status != 200) {
            EXPECT_EQ(reply.body.find('/'), std::string::npos) << reply.body;
        }
    }
}

TEST_F(GuestApiTest, TheOldCodeStopsWorkingAtOnceAndTheCodeAlsoComesAsAParameter) {
    const std::string old = m_desk.JoinCode();
    EXPECT_EQ(m_api.Handle({"GET", "/api/check", {{"code", old}}, {}, "", "p", 0}).status, 200);
    m_desk.NewJoinCode();
    EXPECT_NE(m_desk.JoinCode(), old);
    EXPECT_EQ(m_api.Handle({"GET", "/api/check", {{"code", old}}, {}, "", "p", 0}).status, 403);
    EXPECT_EQ(Call("GET", "/api/check", {}, {}, {{"x-join-code", old}}).status, 403);
    EXPECT_EQ(Call("GET", "/api/check").status, 200);
}

TEST_F(GuestApiTest, SearchesAreCappedAndCheckedAndNameNoPath) {
    struct Case {
        std::string q;
        int status;
        std::size_t songs;
    };
    const Case cases[] = {
        {"Title 1", 200, kMaxGuestResults},  // 1, 10..19, 100..199: more than the cap
        {"Title 42", 200, 1},
        {"   ", 200, 0},
        {"", 200, 0},
        {"nothing like it", 200, 0},
        {std::string(kMaxGuestSearchBytes + 1, 'a'), 400, 0},
        {"\xff\xfeTitle", 400, 0},
        {"Title\xc0\xaf", 400, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.q);
        const GuestReply reply = Call("GET", "/api/search", {{"q", c.q}});
        EXPECT_EQ(reply.status, c.status);
        std::size_t songs = 0;
        for (std::size_t at = reply.body.find("\"id\":"); at != std::string::npos;
             at = reply.body.find("\"id\":", at + 1))
            ++songs;
        EXPECT_EQ(songs, c.songs);
    }
    EXPECT_NE(Call("GET", "/api/search", {{"q", "Title 42"}}).body.find("\"kind\":\"audio\""),
              std::string::npos);
}

TEST_F(GuestApiTest, RequestsCheckEveryFieldAndKeepHostileNamesAsText) {
    struct Case {
        std::string name, song, key;
        int status;
        std::string stored;
    };
    const std::string longName(40, 'x');
    std::string polish;
    for (int i = 0; i < 40; ++i) polish += "\xc4\x85";  // ą, two bytes each
    const Case cases[] = {
        {"<script>alert(1)</script>", "7", "0", 200, "<script>alert(1)</script>"},
        {"  Ann \t\n  Lee  ", "8", "-6", 200, "Ann Lee"},
        {"A\x01\x7f\xc2\x9b"
         "B\xe2\x80\xae",
         "9", "6", 200, "AB"},
        {polish, "10", "0", 409, ""},  // the guest's fourth pending request
        {"\xff\xfe", "7", "0", 400, ""},
        {"\xed\xa0\x80", "7", "0", 400, ""},  // a UTF-16 surrogate
        {" \t ", "7", "0", 400, ""},
        {"Bo", "0", "0", 400, ""},
        {"Bo", "7", "7", 400, ""},
        {"Bo", "7", "-7", 400, ""},
        {"Bo", "7", "1.5", 400, ""},
        {"Bo", "99999", "0", 404, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GuestReply reply = Ask(c.name, c.song, c.key);
        EXPECT_EQ(reply.status, c.status) << reply.body;
    }
    const auto pending = m_desk.Pending();
    ASSERT_EQ(pending.size(), 3u);
    EXPECT_EQ(pending[0].name, "<script>alert(1)</script>");
    EXPECT_EQ(pending[1].name, "Ann Lee");
    EXPECT_EQ(pending[1].keyShift, -6);
    EXPECT_EQ(pending[2].name, "AB");
    const std::string mine = Call("GET", "/api/mine").body;
    EXPECT_EQ(mine.find('<'), std::string::npos);
    EXPECT_NE(mine.find("\\u003cscript\\u003e"), std::string::npos);

    // Names are cut at the byte cap on a character boundary.
    EXPECT_EQ(Ask(polish, "11", "0", "10.0.0.3", "another-guest-0123456789").status, 200);
    const std::string cut = m_desk.Pending().back().name;
    EXPECT_EQ(cut.size(), kMaxGuestNameBytes);
    EXPECT_TRUE(IsValidUtf8(cut));
    EXPECT_EQ(Ask(longName + longName, "12", "0", "10.0.0.3", "another-guest-0123456789").status,
              200);
    EXPECT_EQ(m_desk.Pending().back().name, std::string(kMaxGuestNameBytes, 'x'));
}

TEST_F(GuestApiTest, BodiesFormsAndTokensAreChecked) {
    struct Case {
        std::string contentType, body;
        int status;
    };
    const std::string code = m_desk.JoinCode();
    const Case cases[] = {
        {"application/x-www-form-urlencoded", "name=Eve+Ng&song=3&key=%2D2", 200},
        {"application/json", "{\"name\":\"Eve\",\"song\":4,\"key\":1,\"nested\":{}}", 400},
        {"application/json", "{\"name\":\"Eve\",\"song\":4", 400},
        {"application/json", "{\"name\":\"\\ud800\",\"song\":4}", 400},
        {"application/json", std::string(kMaxGuestBodyBytes + 1, ' '), 413},
        {"application/x-www-form-urlencoded", "name=%zz&song=3", 400},
        {"application/json", "[1,2,3]", 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 60));
        EXPECT_EQ(
            Call("POST", "/api/request", {}, c.body, {{"content-type", c.contentType}}).status,
            c.status);
    }
    // The join code and the guest's token may travel in the body alone.
    const GuestReply inBody =
        Send("POST", "/api/request", {},
             "code=" + code + "&guest=form-guest-0123456789&name=Al&song=5", "10.0.0.9", m_nowMs);
    EXPECT_EQ(inBody.status, 200) << inBody.body;
    for (const std::string& guest :
         std::vector<std::string>{"short", "has space in it 0123456789", std::string(65, 'g')}) {
        EXPECT_EQ(Send("GET", "/api/mine", {{"x-join-code", code}, {"x-guest", guest}}).status,
                  400);
    }
}

TEST_F(GuestApiTest, OverTheRateLimitAGuestWaitsAndOthersDoNot) {
    for (int i = 0; i < kMaxGuestCallsPerMinute; ++i)
        ASSERT_EQ(Call("GET", "/api/check").status, 200) << i;
    m_nowMs += 20'000;
    const GuestReply over = Call("GET", "/api/search", {{"q", "Title"}});
    EXPECT_EQ(over.status, 429);
    EXPECT_EQ(over.retryAfterSeconds, 40);
    EXPECT_NE(over.body.find("\"retryAfterSeconds\":40"), std::string::npos);
    EXPECT_EQ(Call("GET", "/api/check", {}, {}, {}, "10.0.0.3").status, 200);
    EXPECT_EQ(Call("GET", "/").status, 200);  // the page itself is never limited
    m_nowMs += 40'000;
    EXPECT_EQ(Call("GET", "/api/check").status, 200);
}

TEST_F(GuestApiTest, PendingRequestsAreCappedPerGuestPerAddressAndInAll) {
    for (int i = 0; i < static_cast<int>(kMaxPendingPerGuest); ++i)
        EXPECT_EQ(Ask("Al").status, 200);
    EXPECT_EQ(Ask("Al").status, 409);
    // Made-up tokens from one address do not get round the cap.
    for (std::size_t i = kMaxPendingPerGuest; i < kMaxPendingPerAddress; ++i)
        EXPECT_EQ(Ask("Al", "7", "0", "10.0.0.2", "made-up-token-00000" + std::to_string(i)).status,
                  200);
    EXPECT_EQ(Ask("Al", "7", "0", "10.0.0.2", "made-up-token-99999").status, 409);
    std::size_t added = kMaxPendingPerAddress;
    for (int peer = 0; added < kMaxPendingRequests; ++peer) {
        for (std::size_t i = 0; i < kMaxPendingPerGuest && added < kMaxPendingRequests;
             ++i, ++added) {
            SongRequest request;
            request.guest = "g" + std::to_string(peer);
            request.peer = "p" + std::to_string(peer);
            ASSERT_EQ(m_desk.AddRequest(request, nullptr), GuestRefusal::None);
        }
    }
    EXPECT_EQ(Ask("Zoe", "7", "0", "10.9.9.9", "fresh-guest-0123456789").status, 503);
    m_desk.MarkRejected(m_desk.Pending().front().id);
    EXPECT_EQ(Ask("Zoe", "7", "0", "10.9.9.9", "fresh-guest-0123456789").status, 200);
}

TEST_F(GuestApiTest, TheGuestSeesTheStandingsTheHostPublishes) {
    ASSERT_EQ(Ask("Al", "7", "2").status, 200);
    ASSERT_EQ(Ask("Al", "8").status, 200);
    const auto pending = m_desk.Pending();
    EXPECT_NE(Call("GET", "/api/mine").body.find("\"state\":\"pending\""), std::string::npos);
    m_desk.MarkAccepted(pending[0].id);
    m_desk.MarkRejected(pending[1].id);
    m_desk.PublishStandings({{pending[0].id, 2, 185'000, false}});
    const std::string mine = Call("GET", "/api/mine").body;
    // Newest first.
    EXPECT_LT(mine.find("\"state\":\"rejected\""), mine.find("\"state\":\"accepted\"")) << mine;
    EXPECT_NE(mine.find("\"place\":2,\"waitSeconds\":185"), std::string::npos) << mine;
    EXPECT_NE(mine.find("\"keyShift\":2"), std::string::npos);
    m_desk.PublishStandings({{pending[0].id, 0, -1, true}});
    EXPECT_NE(Call("GET", "/api/mine").body.find("\"state\":\"sung\""), std::string::npos);
    // Another guest sees none of them.
    EXPECT_EQ(Send("GET", "/api/mine",
                   {{"x-join-code", m_desk.JoinCode()}, {"x-guest", "other-guest-0123456789"}})
                  .body,
              "{\"requests\":[]}");
}

TEST(GuestLanguageTest, TheQueryThenTheBrowserThenThePlayerChoose) {
    struct Case {
        std::string query, accept, player, chosen;
    };
    const Case cases[] = {
        {"", "fr-CH, fr;q=0.9, en;q=0.8", "en", "fr"},
        {"", "de-DE,en;q=0.5,pl;q=0.7", "fr", "pl"},
        {"", "PL", "en", "pl"},
        {"", "pl;q=0, fr;q=0.1", "en", "fr"},
        {"", "de, it", "pl", "pl"},
        {"", "en;q=bad, fr;q=2", "pl", "pl"},
        {"", "", "fr", "fr"},
        {"", "*", "xx", "en"},
        {"pl", "fr", "en", "pl"},
        {"de", "fr", "en", "fr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query + "|" + c.accept);
        EXPECT_EQ(ChooseGuestLanguage(c.query, c.accept, {"en", "pl", "fr"}, c.player), c.chosen);
    }
}

TEST_F(GuestApiTest, ThePageIsSmallNeedsNoInlineScriptAndCarriesItsTexts) {
    const GuestReply page = Call("GET", "/", {{"lang", "fr"}});
    EXPECT_NE(page.body.find("<html lang=\"fr\">"), std::string::npos);
    EXPECT_NE(page.body.find("\"Demandes\""), std::string::npos);
    EXPECT_NE(Call("GET", "/", {}, {}, {{"accept-language", "en-GB,en"}}).body.find("lang=\"en\""),
              std::string::npos);
    EXPECT_NE(Call("GET", "/").body.find("lang=\"pl\""), std::string::npos);
    EXPECT_LT(page.body.size() + GuestPageScript().size() + GuestPageStyle().size(), 100u * 1024);
    // Only the JSON data block; no handler attributes, nothing from elsewhere.
    EXPECT_EQ(page.body.find("<script>"), std::string::npos);
    for (const char* banned : {" on", "http:", "https:", "innerHTML"}) {
        EXPECT_EQ(page.body.find(banned), std::string::npos) << banned;
        if (std::string_view(banned) != " on") {
            EXPECT_EQ(GuestPageScript().find(banned), std::string::npos) << banned;
        }
    }
}

TEST(GuestTextTest, JsonNeverEndsAScriptAndReadsOnlyFlatObjects) {
    EXPECT_EQ(JsonString("</script><!--&'\"\\\n"),
              "\"\\u003c\\u002fscript\\u003e\\u003c!--\\u0026\\u0027\\\"\\\\\\u000a\"");
    struct Case {
        std::string json;
        bool read;
    };
    const Case cases[] = {
        {"{}", true},
        {" { \"a\" : \"\\u00e9\\ud83c\\udfb5\" , \"b\":-1.5e3 } ", true},
        {"{\"a\":1}x", false},
        {"{\"a\":[1]}", false},
        {"{\"a\":\"\\x\"}", false},
        {"{\"a\":\"\x01\"}", false},
        {"{\"a\":\"\\ud83c\"}", false},
        {"{\"a\"}", false},
        {"{,}", false},
        {"", false},
        {"{\"a\":tru}", false},
        {"{\"a\":\"\\u12\"}", false},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadFlatJsonObject(c.json).has_value(), c.read) << c.json;
    EXPECT_EQ(ReadFlatJsonObject("{\"a\":\"\\u00e9\\ud83c\\udfb5\"}")->at("a"),
              "\xc3\xa9\xf0\x9f\x8e\xb5");
}

// The join code, the page's texts in three languages and the QR picture.
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
