// A media control that plays nothing: songs open when their path is known,
// and the test sets the position by hand.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "playback/player/PlayerControl.h"
#include "playback/player/Transport.h"
#include "playlist/FlatListModel.h"

namespace cx::test {

class FakeTransport : public Transport {
public:
    std::set<std::string> openable;
    std::vector<std::string> opened;  // every successful Open, in order
    double position = 0;
    double length = 180;
    bool atEnd = false;
    double volume = -1;
    double seekedTo = -1;

    bool Open(const std::string& path, bool play) override {
        Close();
        if (!openable.count(path)) return false;
        m_path = path;
        opened.push_back(path);
        position = 0;
        if (play) m_state = PlayState::Playing;
        return true;
    }
    void Play() override {
        if (!m_path.empty()) m_state = PlayState::Playing;
    }
    void Pause() override {
        if (!m_path.empty()) m_state = PlayState::Paused;
    }
    void Stop() override { Close(); }
    void Close() override {
        m_path.clear();
        m_state = PlayState::Stopped;
    }
    void Seek(double fraction) override { seekedTo = fraction; }
    double Position() const override { return position; }
    double Length() const override { return length; }
    bool AtEnd() const override { return atEnd; }
    PlayState State() const override { return m_state; }
    bool IsOpen() const override { return !m_path.empty(); }
    std::string CurrentPath() const override { return m_path; }
    SongLabels Labels() const override { return {m_path, "Artist", 128, 44100}; }
    void SetVolume(double v) override { volume = v; }

private:
    std::string m_path;
    PlayState m_state = PlayState::Stopped;
};

class FakeHost : public PlayerHost {
public:
    bool recording = false;
    bool editorOpen = false;
    bool autoPlay = true;
    std::vector<Command> ran;
    std::vector<std::string> failed;

    bool IsRecording() const override { return recording; }
    bool IsEditorOpen() const override { return editorOpen; }
    bool AutoPlay() const override { return autoPlay; }
    void Run(Command c) override { ran.push_back(c); }
    void OpenFailed(const std::string& path) override { failed.push_back(path); }
};

// Songs "/songs/1.mp3" ... numbered from 1, listed and openable.
inline void FillSongs(FlatListModel& list, FakeTransport& transport, int count,
                      const std::string& length = "") {
    for (int i = 1; i <= count; ++i) {
        const std::string path = "/songs/" + std::to_string(i) + ".mp3";
        list.AddItem("Song " + std::to_string(i), length, path);
        transport.openable.insert(path);
    }
}

}  // namespace cx::test
