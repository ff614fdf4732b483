// The player's behaviour without widgets: commands, song-number entry, the
// 500 ms watch of the playing song, and moving through the playlist.
// The window owns the timers and calls in; tests drive it directly.
#pragma once

#include <string>

#include "playback/player/PlayerCommands.h"
#include "playback/player/Transport.h"
#include "playlist/FlatListModel.h"

namespace cx {

// Translation keys of the reasons a command is refused.
inline constexpr const char* kRefusedWhileRecording = "StopRcording";
inline constexpr const char* kRefusedWhileEditing = "CloseEditorFirst";
inline constexpr const char* kRefusedWithoutStereo = "VocalCutNeedsStereo";

// The rest of the program as the player sees it.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    virtual bool IsRecording() const { return false; }
    virtual bool IsEditorOpen() const { return false; }
    virtual bool AutoPlay() const { return true; }
    // Commands that belong to other windows (playlist, MIDI window, editor,
    // recording, options...).
    virtual void Run(Command /*command*/) {}
    // The user picked an entry that cannot be opened.
    virtual void OpenFailed(const std::string& /*path*/) {}
    // A song was opened, closed or changed state: labels and lamps need a look.
    virtual void SongChanged() {}
    // The song played to its end: true when another part of the program
    // (the host's show) takes over what comes next.
    virtual bool TakeSongEnd() { return false; }
};

enum class TimeMode { Current, Elapsed };  // elapsed position, or time remaining (shown "-m:ss")

// What the 500 ms tick gives the window to show.
struct TickView {
    double progress = 0.0;  // position slider, 0..1
    std::string timeText = "00:00";
    bool ended = false;  // the song reached its end in this tick
};

// Digits typed for a song number are taken after this many 100 ms ticks.
inline constexpr int kTypedNumberTicks = 10;
// Longer numbers cannot name an entry; more digits are ignored.
inline constexpr std::size_t kMaxTypedDigits = 7;

class PlayerControl {
public:
    PlayerControl(Transport& transport, FlatListModel& list, PlayerHost& host);

    // Runs a command; false when it is refused (recording, editor open).
    bool Execute(Command command);
    // Why a command is refused now, as a translation key; empty when it may run.
    std::string RefusalKey(Command command) const;
    // The transport button with this number (1..15).
    bool FireButton(int number);
    // A key with modifier bits (kModCtrl...); true when it meant something.
    bool HandleKey(int key, int modifiers);

    // Song-number entry: a digit, and the 100 ms timer while one is pending.
    void TypeDigit(int digit);
    bool NumberTimerRunning() const { return m_numberRunning; }
    void NumberTick();
    const std::string& TypedNumber() const { return m_typedNumber; }

    // The 500 ms watch: progress, time text, and the end-of-song decision.
    TickView Tick();

    void Next();      // next entry, wrapping to the first
    void Previous();  // previous entry, wrapping to the last
    // Opens and plays entry `index`; false when it cannot be opened.
    bool ChangeSong(int index);
    // Play: resumes the open song, or starts the chosen entry when none is open.
    void Play();
    void Stop();

    // Adds a song given on the command line or by a second start, marks it and plays it.
    bool AddAndPlay(const std::string& path, const std::string& text, const std::string& time);

    // The playing entry, wherever it now stands; -1 when no song is open.
    int CurrentListIndex() const { return m_transport.IsOpen() ? m_list.CurrentPlaying() : -1; }
    TimeMode Mode() const { return m_timeMode; }
    void SetMode(TimeMode mode) { m_timeMode = mode; }
    bool Muted() const { return m_muted; }

private:
    void Step(int direction);

    Transport& m_transport;
    FlatListModel& m_list;
    PlayerHost& m_host;
    std::string m_typedNumber;
    int m_typedNumberTicks = 0;
    bool m_numberRunning = false;
    TimeMode m_timeMode = TimeMode::Current;
    bool m_muted = false;
};

}  // namespace cx
