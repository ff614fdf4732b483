#include "playback/player/PlayerControl.h"

#include <algorithm>
#include <cmath>

#include "lyrics/TimeText.h"

namespace cx {

PlayerControl::PlayerControl(Transport& transport, FlatListModel& list, PlayerHost& host)
    : m_transport(transport), m_list(list), m_host(host) {}

std::string PlayerControl::RefusalKey(Command command) const {
    // A pause would leave a gap in the take that the song does not have.
    if (m_host.IsRecording() && (BlockedWhileRecording(command) || command == Command::Pause)) {
        return kRefusedWhileRecording;
    }
    if (command == Command::FileOpen && m_host.IsEditorOpen()) return kRefusedWhileEditing;
    if (command == Command::VocalCut && !m_transport.CanCutVocal()) return kRefusedWithoutStereo;
    return {};
}

bool PlayerControl::Execute(Command command) {
    if (!RefusalKey(command).empty()) return false;
    switch (command) {
        case Command::Previous:
            Previous();
            break;
        case Command::Next:
            Next();
            break;
        case Command::Play:
            Play();
            break;
        case Command::Pause:
            if (m_transport.IsOpen()) m_transport.Pause();
            m_host.SongChanged();
            break;
        case Command::Stop:
            Stop();
            break;
        case Command::ToggleTimeMode:
            m_timeMode = m_timeMode == TimeMode::Current ? TimeMode::Elapsed : TimeMode::Current;
            break;
        case Command::TimeElapsed:
            m_timeMode = TimeMode::Current;
            break;
        case Command::TimeRemaining:
            m_timeMode = TimeMode::Elapsed;
            break;
        case Command::Mute:
            m_muted = !m_muted;
            m_host.Run(command);
            break;
        default:
            m_host.Run(command);
            break;
    }
    return true;
}

bool PlayerControl::FireButton(int number) {
    const auto command = CommandForButton(number);
    return command && Execute(*command);
}

bool PlayerControl::HandleKey(int key, int modifiers) {
    if (key >= '0' && key <= '9' && (modifiers & (kModCtrl | kModAlt)) == 0) {
        TypeDigit(key - '0');
        return true;
    }
    const auto command = CommandForKey(key, modifiers);
    if (!command) return false;
    Execute(*command);
    return true;
}

void PlayerControl::TypeDigit(int digit) {
    if (digit < 0 || digit > 9) return;
    if (!m_numberRunning) {
        if (digit == 0) return;  // a song number never starts with 0
        m_typedNumber = std::string(1, static_cast<char>('0' + digit));
        m_typedNumberTicks = 0;
        m_numberRunning = true;
        return;
    }
    if (m_typedNumber.size() < kMaxTypedDigits) m_typedNumber += static_cast<char>('0' + digit);
}

void PlayerControl::NumberTick() {
    if (!m_numberRunning) return;
    if (++m_typedNumberTicks <= kTypedNumberTicks) return;
    m_numberRunning = false;
    const long n = std::stol(m_typedNumber);
    m_typedNumber.clear();
    if (n >= 1 && n <= m_list.ListCount()) ChangeSong(static_cast<int>(n - 1));
}

TickView PlayerControl::Tick() {
    TickView view;
    if (!m_transport.IsOpen()) return view;
    const double length = m_transport.Length();
    const double position = std::max(0.0, m_transport.Position());
    view.progress = length > 0 ? std::clamp(position / length, 0.0, 1.0) : 0.0;
    // Time still to go carries a minus sign, so it is never read as time gone.
    view.timeText = m_timeMode == TimeMode::Current
                        ? FormatMinSec(position)
                        : "-" + FormatMinSec(std::max(0.0, length - position));

    // An unknown length (0) must not end the song at once.
    const bool playing = m_transport.State() == PlayState::Playing;
    if (!playing || !(m_transport.AtEnd() || (length > 0 && position >= length))) return view;
    view.ended = true;
    if (m_host.TakeSongEnd()) return view;
    const bool onlyThisSong =
        m_list.ListCount() == 1 && m_list.ListPath(0) == m_transport.CurrentPath();
    if (!onlyThisSong && m_host.AutoPlay()) {
        Next();
    } else {
        Stop();
    }
    return view;
}

void PlayerControl::Next() {
    Step(+1);
}

void PlayerControl::Previous() {
    Step(-1);
}

void PlayerControl::Step(int direction) {
    if (m_host.IsEditorOpen()) m_transport.Stop();
    const int count = m_list.ListCount();
    if (count == 0) {
        m_transport.Close();
        m_host.SongChanged();
        return;
    }
    if (count == 1 && m_transport.IsOpen() && m_list.ListPath(0) == m_transport.CurrentPath()) {
        m_transport.Open(m_list.ListPath(0), true);  // the only song starts again
        m_host.SongChanged();
        return;
    }
    // The list's playing mark follows its entry through sorting, moving and
    // removing, so the step starts from where that entry stands now.
    const int candidate = m_list.NextCandidate(direction);
    m_transport.Close();
    // Entries that fail to open are skipped; each entry is tried at most once.
    for (int tries = 0; tries < count; ++tries) {
        const int i = ((candidate + direction * tries) % count + count) % count;
        m_list.SetCurrentPlaying(i);
        if (m_transport.Open(m_list.ListPath(i), true)) {
            m_host.SongChanged();
            return;
        }
    }
    m_transport.Close();
    m_host.SongChanged();
}

bool PlayerControl::ChangeSong(int index) {
    if (!m_list.Valid(index)) return false;
    m_list.SetCurrentPlaying(index);
    const std::string path = m_list.ListPath(index);
    const bool opened = m_transport.Open(path, true);
    if (!opened) m_host.OpenFailed(path);
    m_host.SongChanged();
    return opened;
}

void PlayerControl::Play() {
    if (m_transport.IsOpen()) {
        if (m_transport.State() != PlayState::Playing) m_transport.Play();
        m_host.SongChanged();
        return;
    }
    int index = m_list.FirstSelected();
    if (index < 0) index = m_list.ListIndex();
    if (index < 0) index = m_list.CurrentPlaying();
    if (index < 0 && m_list.ListCount() > 0) index = 0;
    if (index >= 0) ChangeSong(index);
}

void PlayerControl::Stop() {
    m_transport.Stop();
    m_host.SongChanged();
}

bool PlayerControl::AddAndPlay(const std::string& path, const std::string& text,
                               const std::string& time) {
    if (!m_transport.Open(path, false)) {
        m_host.OpenFailed(path);
        return false;
    }
    if (m_list.AddItem(text, time, path) != 0) m_list.SetCurrentPlaying(m_list.ListCount() - 1);
    m_transport.Play();
    m_host.SongChanged();
    return true;
}

}  // namespace cx
