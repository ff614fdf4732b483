// The rotation through the session and its database: who comes up when, the
// waits, the key a returning singer gets, and what survives a reopen.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "HostScript.h"
#include "host/ShowRunner.h"
#include "karaoke/ShowOverlay.h"
#include "support/CbxRunner.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::RunScript;

TEST(Rotation, SingersComeUpInTurn) {
    struct Case {
        const char* name;
        Placement placement;
        const char *script, *expected;
    };
    const Case cases[] = {
        {"in sign-up order, round after round", Placement::End, "+A +B sing sing sing", "A1 B1 A2"},
        {"at the end: a late singer sings this round", Placement::End,
         "+A +B +C sing +D sing sing sing sing", "A1 B1 C1 D1 A2"},
        {"fair: a late singer delays nobody", Placement::Fair,
         "+A +B +C sing +D sing sing sing sing", "A1 B1 C1 A2 D1"},
        {"fair before anyone sang is the end", Placement::Fair, "+A +B +C sing sing sing",
         "A1 B1 C1"},
        {"away is skipped and comes back in place", Placement::End,
         "+A +B +C sing away B sing back B sing sing", "A1 C1 A2 B1"},
        {"away alone means nobody", Placement::End, "+A away A sing", "nobody"},
        {"skipped keeps the songs", Placement::End, "+A +B skip sing sing", "-A B1 A1"},
        {"dragged into the next place", Placement::End, "+A +B +C top C sing sing sing",
         "C1 A1 B1"},
        {"dragged above the next singer mid-round", Placement::End,
         "+A +B +C +D sing sing top D sing sing sing", "A1 B1 C1 D1 A2"},
        {"the removed next singer passes the turn on", Placement::End, "+A +B +C sing rm B sing",
         "A1 C1"},
        {"a reordered queue", Placement::End, "+A first A A3 sing sing", "A3 A1"},
        {"waits count songs and changeovers", Placement::End, "+A +B +C waits",
         "[A1:0 B2:260 C3:520]"},
        {"away and sung-out singers do not wait", Placement::End,
         "+A +B +C sing sing sing sing away B waits", "A1 B1 C1 A2 [A2:260 B0 C1:0]"},
        {"an empty name is refused", Placement::End, "+ sing", "!HostNameEmpty nobody"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        HostSession session((dir / "library.db").string());
        HostSettings settings;
        settings.placement = c.placement;
        ASSERT_EQ(session.ChangeSettings(settings), "");
        EXPECT_EQ(RunScript(session, c.script), c.expected);
        // What the database holds is what the session shows.
        HostSession reopened((dir / "library.db").string());
        ASSERT_EQ(reopened.Open(), "");
        EXPECT_EQ(RunScript(reopened, "waits"), RunScript(session, "waits"));
    }
}

TEST(Rotation, ASongSungBeforeComesWithItsLastKeyAndTempo) {
    struct Case {
        const char *name, *singer;
        QueueEntry song;
        bool offered;
    };
    const Case cases[] = {
        {"the same file", "Ann", {0, "/s/one.mp3", "", "", 1000}, true},
        {"the same singer in other letters", "ANN", {0, "/s/one.mp3", "", "", 1000}, true},
        {"the same artist and title elsewhere", "Ann", {0, "/t/x.kar", "ABBA", "waterloo"}, true},
        {"the same library song", "Ann", {0, "/u/y.mp3", "", "", 0, 42}, true},
        {"another singer", "Bob", {0, "/s/one.mp3", "", "", 1000}, false},
        {"a song never sung", "Ann", {0, "/s/two.mp3", "ABBA", "SOS"}, false},
    };
    test::TempDir dir;
    HostSession session((dir / "library.db").string());
    std::int64_t ann = 0;
    ASSERT_EQ(session.AddSinger("Ann", &ann), "");
    ASSERT_EQ(session.AddSong(ann, {0, "/s/one.mp3", "ABBA", "Waterloo", 1000, 42, 3, -10}), "");
    ASSERT_EQ(session.TakeTurn(ann), "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::int64_t id = test::SingerId(session, c.singer);
        ASSERT_TRUE(id >= 0 || session.AddSinger(c.singer, &id).empty());
        AddedSong added;
        ASSERT_EQ(session.AddSong(id, c.song, &added), "");
        EXPECT_EQ(added.offered, c.offered);
        EXPECT_EQ(added.keyShift, c.offered ? 3 : 0);
        EXPECT_EQ(added.tempoPercent, c.offered ? -10 : 0);
    }
    const auto history = session.History(10);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].singer, "Ann");
    EXPECT_EQ(history[0].keyShift, 3);
}

// A damaged database is named and left alone; bad stored settings fall back.
TEST(Rotation, BadStoresAreReportedAndKept) {
    test::TempDir dir;
    const auto junk = dir / "junk.db";
    const std::string bytes(4096, 'x');
    test::WriteBytes(junk, bytes);
    HostSession damaged(junk.string());
    EXPECT_NE(damaged.Open(), "");
    EXPECT_NE(damaged.AddSinger("Ann"), "");
    EXPECT_EQ(test::ReadBytes(junk), bytes);

    HostSession session((dir / "library.db").string());
    HostSettings settings;
    settings.countdownSeconds = 45;
    ASSERT_EQ(session.ChangeSettings(settings), "");
    settings.countdownSeconds = 100000;  // as a damaged or hand-edited file might hold
    settings.requestsPort = 70000;
    settings.requestsAddress = "127.0.0.1";
    ASSERT_EQ(session.ChangeSettings(settings), "");
    HostSession reopened((dir / "library.db").string());
    ASSERT_EQ(reopened.Open(), "");
    EXPECT_EQ(reopened.Settings().countdownSeconds, HostSettings().countdownSeconds);
    EXPECT_EQ(reopened.Settings().requestsPort, kDefaultRequestsPort);
    EXPECT_EQ(reopened.Settings().requestsAddress, "127.0.0.1");
    EXPECT_EQ(reopened.LoadNotes(),
              (std::vector<std::string>{"countdown = \"100000\"", "requests port = \"70000\""}));
}

// Records what the show asked of the player.
class FakeStage final : public ShowStage {
public:
    std::string Load(const QueueEntry& e) override {
        log += "load " + e.title + ";";
        return e.path.find("missing") != std::string::npos ? "no such file" : "";
    }
    void Start() override { log += "start;"; }
    void BreakMusic(bool on) override { log += on ? "break;" : "song;"; }
    std::optional<int> TurnScore() override { return score; }
    std::string log;
    std::optional<int> score;
};

// Singers A and B, each with a song titled A1 or B1; `missing` names one whose file is gone.
void AddSingersAAndB(HostSession& session, const std::string& missing = "") {
    for (const char* name : {"A", "B"}) {
        std::int64_t id = 0;
        ASSERT_EQ(session.AddSinger(name, &id), "");
        const std::string title = std::string(name) + "1";
        const std::string path = title == missing ? "/missing.mp3" : "/ok.mp3";
        ASSERT_EQ(session.AddSong(id, {0, path, "", title, 1000}), "");
    }
}

TEST(Rotation, TheShowAnnouncesStartsAndPassesUnplayableSongs) {
    struct Case {
        const char* name;
        bool autoStart;
        const char* missingTitle;  // this song's file cannot be opened
        std::int64_t tickAtMs;
        const char* expected;
    };
    const Case cases[] = {
        {"the host's key starts", false, "", 60000, "break;load A1;|Next A|A1"},
        {"the countdown starts", true, "", 30000, "break;load A1;song;start;||A1"},
        {"not before the countdown ends", true, "", 29000, "break;load A1;|Next A|A1"},
        {"an unplayable song passes its turn", false, "A1", 0, "break;load A1;load B1;|Next B|B1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        HostSession session((dir / "library.db").string());
        HostSettings settings;
        settings.autoStart = c.autoStart;
        ASSERT_EQ(session.ChangeSettings(settings), "");
        ASSERT_NO_FATAL_FAILURE(AddSingersAAndB(session, c.missingTitle));
        FakeStage stage;
        ShowRunner show(session, stage);
        const std::string reason = show.SongEnded(0);
        EXPECT_EQ(reason.empty(), *c.missingTitle == 0) << reason;
        show.Tick(c.tickAtMs);
        const ShowView view = show.View(c.tickAtMs);
        std::string got = stage.log + "|" + (view.card ? "Next " + view.singer : "") + "|";
        EXPECT_TRUE(show.Phase() != ShowPhase::Announcing || show.StartNow().empty());
        if (!session.History(1).empty()) got += session.History(1)[0].title;
        EXPECT_EQ(got, c.expected);
        // The unplayable song is still queued.
        EXPECT_TRUE(!*c.missingTitle || session.Current().Singers()[0].queue.size() == 1u);
    }
}

// A database from before scores were kept opens with its history whole;
// from then on each turn sung along keeps its score, shown by cbx.
TEST(Rotation, AnOldDatabaseKeepsItsHistoryAndGainsTheTurnsScores) {
    test::TempDir dir;
    const auto db = dir / "library.db";
    sqlite3* old = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &old), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(old,
                           "CREATE TABLE host_history(id INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "singer TEXT NOT NULL, path TEXT, artist TEXT, title TEXT, "
                           "library_id INTEGER, key_shift INTEGER, tempo_percent INTEGER, "
                           "sung_at INTEGER);"
                           "INSERT INTO host_history(singer, path, title, key_shift, sung_at) "
                           "VALUES('Zoe', '/z.kar', 'Old', 2, 100);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(old);
    {
        HostSession session(db.string());
        ASSERT_EQ(session.Open(), "");
        ASSERT_NO_FATAL_FAILURE(AddSingersAAndB(session));
        FakeStage stage;
        stage.score = 8765;
        ShowRunner show(session, stage);
        EXPECT_EQ(show.SongEnded(0), "");  // no turn yet: nothing scored
        ASSERT_EQ(show.StartNow(), "");
        EXPECT_EQ(show.SongEnded(1000), "");
        stage.score.reset();  // B is not heard
        ASSERT_EQ(show.StartNow(), "");
        show.SongEnded(2000);
        const auto history = session.History(10);
        ASSERT_EQ(history.size(), 3u);
        EXPECT_EQ((std::vector{history[0].title, history[1].title, history[2].title}),
                  (std::vector<std::string>{"B1", "A1", "Old"}));
        EXPECT_EQ((std::vector{history[0].score, history[1].score, history[2].score}),
                  (std::vector<std::optional<int>>{std::nullopt, 8765, std::nullopt}));
        EXPECT_EQ(history[2].keyShift, 2);
    }
    const test::CbxRun run = test::Cbx("host history --json --db " + test::Quote(db), true);
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_NE(run.out.find(R"("title":"A1","key":0,"tempo":0,"sungAt":)"), std::string::npos);
    EXPECT_NE(run.out.find(R"("score":8765})"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(R"("title":"Old","key":2,"tempo":0,"sungAt":100,"score":null})"),
              std::string::npos)
        << run.out;
}

// cbx reads the rotation the player wrote and paints the show's card.
TEST(Rotation, CbxShowsTheRotationAndTheCard) {
    test::TempDir dir;
    const auto db = dir / "library.db";
    {
        HostSession session(db.string());
        ASSERT_EQ(test::RunScript(session, "+Ann +Bob sing away Bob"), "Ann1");
    }
    test::WriteBytes(dir / "junk.db", std::string(4096, 'x'));
    struct Case {
        std::string args;
        int code;
        std::string output;  // a part of what cbx prints
    };
    const Case cases[] = {
        {"host list --json --db " + test::Quote(db), 0,
         R"({"name":"Ann","away":false,"place":1,"waitMs":0,"songs":[{"path")"},
        {"host list --db " + test::Quote(db), 0, "Bob  (away)\n   Artist - Bob1  key 0, tempo 0 %"},
        {"host history --db " + test::Quote(db), 0, "Ann  Artist - Ann1  key 0, tempo 0 %"},
        {"host list --db " + test::Quote(dir / "junk.db"), 1, "junk.db: file is not a database"},
        {"host card --name Ann --seconds 25 -o " + test::Quote(dir / "card.png"), 0, ""},
        {"host card --name Ann --size 5x5 -o x.png", 2, "16 to 8192"},
        {"host dance", 2, "unknown: host dance"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const test::CbxRun run = test::Cbx(c.args, true);
        EXPECT_EQ(run.code, c.code) << run.out;
        EXPECT_NE(run.out.find(c.output), std::string::npos) << run.out;
    }
    EXPECT_TRUE(QImage(QString::fromStdString((dir / "card.png").string())).pixel(400, 200) ==
                kShowCardColour);
}

}  // namespace
}  // namespace cx
