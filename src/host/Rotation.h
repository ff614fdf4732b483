// The singers' rotation at a show: singers in sign-up order, each with a
// queue of songs, and the place where the next turn is looked for. Pure
// values: the session stores it after every operation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cx {

// Counts are capped so a damaged database or a runaway drop cannot grow
// the rotation without bound.
inline constexpr std::size_t kMaxSingers = 500;
inline constexpr std::size_t kMaxEntriesPerSinger = 100;
inline constexpr std::size_t kMaxSingerNameBytes = 200;
// Time between one singer's song and the next one's start, for the waits.
inline constexpr std::int64_t kChangeoverMs = 60000;
// Key and tempo an entry may ask for (the player's controls reach no further).
inline constexpr int kMaxKeyShift = 12;
inline constexpr int kMaxTempoPercent = 50;

// Where a new singer joins: at the bottom of the list, or fair: right after
// the singers who already sang this round, so nobody's turn is delayed.
enum class Placement { End, Fair };

struct QueueEntry {
    std::int64_t id = 0;
    std::string path;
    std::string artist;
    std::string title;
    std::int64_t lengthMs = 0;
    std::int64_t libraryId = 0;  // 0: not from the song library
    int keyShift = 0;            // semitones
    int tempoPercent = 0;
};

struct Singer {
    std::int64_t id = 0;
    std::string name;
    bool away = false;  // kept in place, skipped until back
    std::vector<QueueEntry> queue;
};

// A singer's turn as seen from now.
struct Standing {
    std::int64_t singerId = 0;
    int position = 0;          // 1 = up next; 0 = not coming up (away or nothing queued)
    std::int64_t waitMs = -1;  // -1 when not coming up
};

class Rotation {
public:
    const std::vector<Singer>& Singers() const { return m_singers; }
    const Singer* Find(std::int64_t singerId) const;
    // The singer from whom the next turn is looked for; 0 from the top.
    std::int64_t Cursor() const { return m_cursor; }

    // Each operation gives why it could not be done, empty when done.
    std::string AddSinger(const std::string& name, Placement placement, std::int64_t* id = nullptr);
    std::string RemoveSinger(std::int64_t singerId);
    std::string MoveSinger(std::int64_t singerId, std::size_t to);
    std::string SetAway(std::int64_t singerId, bool away);
    std::string AddEntry(std::int64_t singerId, QueueEntry entry, std::int64_t* id = nullptr);
    std::string RemoveEntry(std::int64_t singerId, std::int64_t entryId);
    std::string MoveEntry(std::int64_t singerId, std::int64_t entryId, std::size_t to);
    std::string SetEntryKey(std::int64_t singerId, std::int64_t entryId, int keyShift,
                            int tempoPercent);

    // The singer whose turn is next: from the cursor, the first who is here
    // and has a song queued. Null when nobody is.
    const Singer* UpNext() const;
    // The singers coming up in turn order (for the ticker), at most `count`.
    std::vector<const Singer*> ComingUp(std::size_t count) const;
    // The singer takes a turn: their first song leaves the queue and the
    // cursor passes them.
    std::optional<QueueEntry> TakeTurn(std::int64_t singerId);
    // The singer did not come up: the turn passes, the songs stay.
    std::string Skip(std::int64_t singerId);

    // Every singer's place and wait, in list order; `remainingMs` is what is
    // left of the song now playing (0 when none).
    std::vector<Standing> Standings(std::int64_t remainingMs) const;

    // Rebuilds a stored rotation; ids continue after the highest one.
    static Rotation From(std::vector<Singer> singers, std::int64_t cursor);

private:
    Singer* Mutable(std::int64_t singerId);
    std::size_t CursorIndex() const;
    // Singer indices from the cursor round the circle.
    std::vector<std::size_t> TurnOrder() const;
    void PassTurn(std::size_t index);

    std::vector<Singer> m_singers;
    std::int64_t m_cursor = 0;
    std::int64_t m_nextId = 1;
};

// Clamps key and tempo to what the player can do.
void ClampKeyAndTempo(QueueEntry& entry);

}  // namespace cx
