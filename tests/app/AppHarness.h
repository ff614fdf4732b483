// The real player assembled offscreen, with an output the test pulls by hand:
// the clock moves only when the test renders, so every story is exact.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QUrl>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/Application.h"
#include "playback/AudioOutput.h"
#include "playback/player/gui/Player.h"
#include "requests/RequestServer.h"
#include "support/TestSupport.h"

namespace cx::test {

inline std::filesystem::path DemoDir() {
    return std::filesystem::path(CX_BINARY_DIR) / "demo";
}

inline QString QPath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// A key press sent straight to `w`, `times` over.
inline void SendKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                    const QString& text = {}, int times = 1) {
    for (int i = 0; i < times; ++i) {
        QKeyEvent e(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(w, &e);
    }
}

// Pulled by the test; what was rendered counts as heard.
class ManualOutput final : public AudioOutput {
public:
    explicit ManualOutput(AudioEngine& engine) : m_engine(engine) {}
    bool Start(std::string&) override {
        m_engine.SetOutputLatency(0, false);
        m_running = true;
        return true;
    }
    void Stop() override { m_running = false; }
    bool Running() const override { return m_running; }

private:
    AudioEngine& m_engine;
    bool m_running = false;
};

// Records URLs the program asks the desktop to open, instead of opening them.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.push_back(url); }
};

// The folder that stands for the user's home while the tests run.
inline std::filesystem::path& PlayerHome() {
    static std::filesystem::path home;
    return home;
}

// main() of a test program over the player: settings and data go to a
// scratch folder (Qt reads the locations once per process), then the tests run.
inline int RunWithPlayerHome(int argc, char** argv) {
    TempDir home;
    PlayerHome() = home.Path();
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Sonoferia");
    QApplication::setApplicationName("Cantabilex");
    return RUN_ALL_TESTS();
}

// The shown top-level window of type W, or null.
template <class W>
W* ShownWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = dynamic_cast<W*>(w); found && found->isVisible()) return found;
    return nullptr;
}

// The texts of the message boxes on show.
inline QStringList ShownMessages() {
    QStringList texts;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            texts << box->text();
    return texts;
}

// A picture of `w` for a person to look at, when CX_SHOT_DIR names a folder.
inline void SaveShot(QWidget& w, const QString& name) {
    const char* dir = std::getenv("CX_SHOT_DIR");
    if (dir && *dir) w.grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
}

// The real player, starting from no settings and no last playlist.
class AppHarness {
public:
    AppHarness() {
        std::error_code ec;
        std::filesystem::remove_all(PlayerHome() / "config", ec);
        std::filesystem::remove_all(PlayerHome() / "data", ec);
        QDesktopServices::setUrlHandler("file", &m_urls, "Open");
    }
    ~AppHarness() {
        app.reset();
        QDesktopServices::unsetUrlHandler("file");
    }

    bool Start(const QString& commandLine = QString(),
               std::function<QStringList(const QString&)> chooseFiles = {}) {
        ApplicationOptions options;
        options.makeOutput = makeOutput;
        options.offlineStreams = true;
        options.publishMpris = false;
        options.chooseFiles =
            chooseFiles ? chooseFiles : [](const QString&) { return QStringList(); };
        options.mixerBackend = mixer;
        options.manualPitchCapture = true;  // the voice is pushed by the test
        options.makeRequestServer = [](std::string* why) {
            return MakeRequestServerFrom(CX_BINARY_DIR "/cantabilex-requests.so", why);
        };
        app = std::make_unique<Application>(nullptr, options);
        return app->Start(commandLine);
    }

    // Runs the command that opens the window W (modeless) and finds it.
    template <class W>
    W* Open(Command command) {
        EXPECT_TRUE(app->Run(command));
        return ShownWindow<W>();
    }

    // Plays `seconds` of the song as the output and the timers would.
    void Advance(double seconds) {
        constexpr std::size_t kTickFrames = 441;  // 10 ms at 44.1 kHz
        std::vector<float> block(2 * kTickFrames);
        const int ticks = static_cast<int>(seconds * 100 + 0.5);
        for (int i = 0; i < ticks; ++i) {
            app->Engine().Render(block.data(), kTickFrames);
            app->PlaybackTick();
            if (i % 50 == 49 && app->PlayerWindow()) app->PlayerWindow()->OnTick();
        }
        QApplication::processEvents();
    }

    // The next `frames` frames of the mix, interleaved stereo.
    std::vector<float> Render(std::size_t frames) {
        std::vector<float> block(2 * frames);
        app->Engine().Render(block.data(), frames);
        return block;
    }
    // The largest magnitude of the next `frames` frames of the mix.
    float RenderPeak(std::size_t frames) {
        float peak = 0;
        for (float s : Render(frames)) peak = std::max(peak, std::abs(s));
        return peak;
    }

    // A scratch folder for this test's own files.
    std::filesystem::path Home() const { return m_files.Path(); }
    std::string StoredSettings() const {
        return ReadBytes(PlayerHome() / "config/Sonoferia/Cantabilex.conf");
    }
    const std::vector<QUrl>& OpenedUrls() const { return m_urls.opened; }

    std::unique_ptr<Application> app;
    // The sound output: pulled by the test unless a test gives another.
    std::function<std::unique_ptr<AudioOutput>(AudioEngine&, const std::string&)> makeOutput =
        [](AudioEngine& e, const std::string&) { return std::make_unique<ManualOutput>(e); };
    // The sound card the voice panel finds: none unless a test gives one.
    std::function<MixerBackend()> mixer = [] { return MixerBackend{}; };

private:
    TempDir m_files;
    UrlCatcher m_urls;
};

}  // namespace cx::test
