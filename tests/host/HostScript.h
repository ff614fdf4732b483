// A rotation driven by short words, so each case of the rotation table reads
// as the evening it stands for. Singers have three 200 s songs titled by
// their name ("A1", "A2", "A3").
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/HostSession.h"

namespace cx::test {

inline constexpr std::int64_t kScriptSongMs = 200000;

inline std::int64_t SingerId(const HostSession& s, const std::string& name) {
    for (const Singer& singer : s.Current().Singers())
        if (singer.name == name) return singer.id;
    return -1;
}

// Words: +A (sign up A), sing, skip, away A, back A, top A (move to the
// top), rm A, first A A2 (A's song A2 to the front), waits (append every
// singer's "A<position>:<wait seconds>"). Returns what happened, space-separated.
inline std::string RunScript(HostSession& s, const std::string& script) {
    std::istringstream words(script);
    std::string word, out;
    const auto say = [&out](const std::string& t) { out += (out.empty() ? "" : " ") + t; };
    while (words >> word) {
        std::string name;
        std::string reason;
        if (word[0] == '+') {
            std::int64_t id = 0;
            reason = s.AddSinger(word.substr(1), &id);
            for (int i = 1; reason.empty() && i <= 3; ++i)
                reason =
                    s.AddSong(id, {0, "/songs/" + word.substr(1) + std::to_string(i) + ".mp3",
                                   "Artist", word.substr(1) + std::to_string(i), kScriptSongMs});
        } else if (word == "sing" || word == "skip") {
            const Singer* next = s.Current().UpNext();
            if (!next) {
                say("nobody");
                continue;
            }
            QueueEntry sung;
            if (word == "sing") {
                reason = s.TakeTurn(next->id, &sung);
                say(sung.title);
            } else {
                say("-" + next->name);
                reason = s.Skip(next->id);
            }
        } else if (word == "waits") {
            const auto standings = s.Current().Standings(0);
            std::string w = "[";
            for (std::size_t i = 0; i < standings.size(); ++i) {
                w += (i ? " " : "") + s.Current().Singers()[i].name +
                     std::to_string(standings[i].position);
                if (standings[i].position) w += ":" + std::to_string(standings[i].waitMs / 1000);
            }
            say(w + "]");
        } else if (words >> name) {
            const std::int64_t id = SingerId(s, name);
            if (word == "away" || word == "back") reason = s.SetAway(id, word == "away");
            if (word == "top") reason = s.MoveSinger(id, 0);
            if (word == "rm") reason = s.RemoveSinger(id);
            if (word == "first" && words >> name) {
                for (const QueueEntry& e : s.Current().Find(id)->queue)
                    if (e.title == name) reason = s.MoveSong(id, e.id, 0);
            }
        }
        if (!reason.empty()) say("!" + reason);
    }
    return out;
}

}  // namespace cx::test
