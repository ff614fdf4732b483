// cbx host: the host's rotation as stored, and the show's card as the
// karaoke window paints it.
#include <QPainter>
#include <iostream>
#include <sstream>

#include "cbx/CliArgs.h"
#include "cbx/Verbs.h"
#include "host/HostSession.h"
#include "karaoke/GuiContext.h"
#include "karaoke/ShowOverlay.h"

namespace cx::cli {
namespace {

constexpr const char* kHostHelp =
    "usage: cbx host list [--db FILE] [--json]\n"
    "       cbx host history [--db FILE] [--last N] [--json]\n"
    "       cbx host card --name NAME [--title TITLE] [--seconds N] [--ticker \"A,B\"]\n"
    "                     [--size WxH] -o OUT.png\n"
    "list: the singers in turn order with their place, estimated wait and songs.\n"
    "history: who sang what, when, at what key and tempo (and the score when the\n"
    "turn was sung along with the pitch lane), newest first.\n"
    "card: paints the \"Next: NAME\" card (and the ticker of the names given)\n"
    "as the karaoke window shows it between singers, over black.\n"
    "The database is the player's (<data dir>/Cantabilex/library.db) unless --db names one.\n";
constexpr int kMaxCardSide = 8192;
constexpr std::size_t kDefaultHistory = 20;

std::string MinSec(std::int64_t ms) {
    const std::int64_t s = std::max<std::int64_t>(0, ms) / 1000;
    std::ostringstream out;
    out << s / 60 << ":" << (s % 60 < 10 ? "0" : "") << s % 60;
    return out.str();
}

int List(HostSession& session, bool json) {
    const Rotation& r = session.Current();
    const auto standings = r.Standings(0);
    std::cout << (json ? "{\"singers\":[" : "");
    for (std::size_t i = 0; i < r.Singers().size(); ++i) {
        const Singer& s = r.Singers()[i];
        const Standing& st = standings[i];
        if (json) {
            std::cout << (i ? "," : "") << "{\"name\":" << JsonString(s.name)
                      << ",\"away\":" << (s.away ? "true" : "false") << ",\"place\":" << st.position
                      << ",\"waitMs\":" << st.waitMs << ",\"songs\":[";
        } else {
            std::cout << s.name << (s.away ? "  (away)" : "")
                      << (st.position
                              ? "  #" + std::to_string(st.position) + " in " + MinSec(st.waitMs)
                              : std::string())
                      << "\n";
        }
        for (std::size_t k = 0; k < s.queue.size(); ++k) {
            const QueueEntry& e = s.queue[k];
            if (json) {
                std::cout << (k ? "," : "") << "{\"path\":" << JsonString(e.path)
                          << ",\"artist\":" << JsonString(e.artist)
                          << ",\"title\":" << JsonString(e.title) << ",\"lengthMs\":" << e.lengthMs
                          << ",\"key\":" << e.keyShift << ",\"tempo\":" << e.tempoPercent << "}";
            } else {
                std::cout << "   " << (e.artist.empty() ? "" : e.artist + " - ") << e.title
                          << "  key " << e.keyShift << ", tempo " << e.tempoPercent << " %\n";
            }
        }
        std::cout << (json ? "]}" : "");
    }
    std::cout << (json ? "]}\n" : "");
    return kExitOk;
}

int History(HostSession& session, std::size_t last, bool json) {
    const auto rows = session.History(last);
    std::cout << (json ? "{\"history\":[" : "");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HistoryRow& h = rows[i];
        const std::string score = h.score ? std::to_string(*h.score) : std::string();
        if (json) {
            std::cout << (i ? "," : "") << "{\"singer\":" << JsonString(h.singer)
                      << ",\"path\":" << JsonString(h.path)
                      << ",\"artist\":" << JsonString(h.artist)
                      << ",\"title\":" << JsonString(h.title) << ",\"key\":" << h.keyShift
                      << ",\"tempo\":" << h.tempoPercent << ",\"sungAt\":" << h.sungAt
                      << ",\"score\":" << (h.score ? score : "null") << "}";
        } else {
            std::cout << h.sungAt << "  " << h.singer << "  "
                      << (h.artist.empty() ? "" : h.artist + " - ") << h.title << "  key "
                      << h.keyShift << ", tempo " << h.tempoPercent << " %"
                      << (h.score ? "  score " + score : "") << "\n";
        }
    }
    std::cout << (json ? "]}\n" : "");
    return kExitOk;
}

int Card(Args& args) {
    const auto name = args.Option("--name");
    const auto title = args.Option("--title");
    const auto seconds = args.Option("--seconds");
    const auto ticker = args.Option("--ticker");
    const auto size = args.Option("--size");
    auto out = args.Option("-o");
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (!name || !out) return Fail("usage: cbx host card --name NAME -o OUT.png", kExitUsage);
    int w = 800, h = 450, s = 30;
    char x = 0;
    if (size && (std::istringstream(*size) >> w >> x >> h).fail())
        return Fail("--size wants WIDTHxHEIGHT", kExitUsage);
    if (x != 0 && (x != 'x' || w < 16 || h < 16 || w > kMaxCardSide || h > kMaxCardSide))
        return Fail("--size wants WIDTHxHEIGHT, each 16 to 8192", kExitUsage);
    if (seconds && ((std::istringstream(*seconds) >> s).fail() || s < 0))
        return Fail("--seconds wants a whole number from 0", kExitUsage);
    ShowCard card;
    card.card = true;
    card.heading = "Next: " + *name;
    card.title = title.value_or("");
    card.countdown = MinSec(s * std::int64_t(1000));
    if (ticker) {
        std::string names = *ticker;
        for (std::size_t p; (p = names.find(',')) != std::string::npos;)
            names.replace(p, 1, "  *  ");
        card.ticker = "Coming up: " + names;
        card.tickerOffset = w / 2.0;
    }
    EnsureGuiContext();
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter(&picture).drawImage(0, 0, PaintShowOverlay(card, picture.size()));
    if (!picture.save(QString::fromStdString(*out), "PNG")) return Fail("cannot write " + *out);
    return kExitOk;
}

int RunHost(const VerbArgs& words) {
    Args args(words);
    const auto what = args.Positionals();
    if (args.WantsHelp() || what.empty()) {
        std::cout << kHostHelp;
        return what.empty() && !args.WantsHelp() ? kExitUsage : kExitOk;
    }
    if (what[0] == "card") return Card(args);
    const bool json = args.Flag("--json");
    const auto db = args.Option("--db");
    const auto last = args.Option("--last");
    if (!args.Error().empty()) return Fail(args.Error(), kExitUsage);
    if (!args.Unknown().empty()) return Fail("unknown option " + args.Unknown()[0], kExitUsage);
    if (what[0] != "list" && what[0] != "history")
        return Fail("unknown: host " + what[0], kExitUsage);
    HostSession session(db.value_or(DefaultHostDatabase()));
    if (const std::string reason = session.Open(); !reason.empty()) return Fail(reason);
    if (what[0] == "list") return List(session, json);
    std::size_t n = kDefaultHistory;
    if (last && (std::istringstream(*last) >> n).fail())
        return Fail("--last wants a number", kExitUsage);
    return History(session, n, json);
}

}  // namespace

std::vector<Verb> HostVerbs() {
    return {{"host", "the singers' rotation, history and the show's card", RunHost}};
}

}  // namespace cx::cli
