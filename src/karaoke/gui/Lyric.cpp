#include "karaoke/gui/Lyric.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSizeGrip>
#include <QString>
#include <sstream>

#include "app/Registry.h"
#include "playback/AudioSource.h"

namespace cx {

namespace {

// The menu in order: caption key and the key shown beside it.
struct MenuEntry {
    const char* Key;
    const char* Shortcut;
};
constexpr MenuEntry kMenu[] = {
    {"Fullscreen", "F5"},
    {"FitText", "Alt+F"},
    {"Previous", "Z"},
    {"Play", "X"},
    {"Pause", "C"},
    {"Stop", "V"},
    {"Next", "B"},
    {"Display+Offset", "F9"},
    {"Display-Offset", "F10"},
    {"IncreaseFont", "Num +"},
    {"DecreaseFont", "Num -"},
    {"Options", "Ctrl+P"},
};
constexpr double kOffsetStep = 0.1;
const QColor kStripColor(40, 44, 60);

}  // namespace

int MonitorIndex(const std::string& monitor) {
    if (monitor == "Monitor 1 (primary)" || monitor.size() < 9) return 0;
    try {
        return std::max(0, std::stoi(monitor.substr(8)) - 1);
    } catch (...) {
        return 0;
    }
}

Lyric::Lyric(const KaraokeSettings& settings, Translate translate, Hooks hooks,
             RegistryStore* store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_translate(std::move(translate)),
      m_hooks(std::move(hooks)),
      m_store(store) {
    setMinimumSize(kLyricMinWidth, kLyricMinHeight);
    setMouseTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_display.SetSettings(settings);
    for (const auto& entry : kMenu) {
        QAction* a = m_menu.addAction(QString());
        const std::string key = entry.Key;
        connect(a, &QAction::triggered, this, [this, key] { RunCommand(key); });
        m_actions[key] = a;
        if (key == "FitText") a->setCheckable(true);
    }
    SetCaptions();
    auto* grip = new QSizeGrip(this);
    grip->setObjectName("Sizer");
    grip->resize(16, 16);
    m_display.SetPicture();
    m_display.SetLyricsShown(true);
    m_clock.start();
    connect(&m_followTimer, &QTimer::timeout, this, [this] {
        if (m_followed) PlaybackTick(m_followed->AudiblePositionSeconds());
    });
    resize(640, 480);
    ReadPosition();
    m_display.SetWindow(width(), height(), false);
}

Lyric::~Lyric() = default;

void Lyric::SetCaptions() {
    for (const auto& entry : kMenu) {
        std::string caption = m_translate ? m_translate(entry.Key) : std::string();
        if (caption.empty()) caption = entry.Key;
        m_actions[entry.Key]->setText(QString::fromStdString(caption + "\t" + entry.Shortcut));
    }
    m_actions["FitText"]->setChecked(m_display.Settings().LyricsFitFont);
}

void Lyric::PlaybackTick(double position) {
    m_display.SetMediaOpen(!m_hooks.MediaOpen || m_hooks.MediaOpen());
    m_display.IsPlaying(position, m_clock.elapsed());
    if (m_display.Frame().cacheKey() != m_shownFrame) update(LyricArea());
}

void Lyric::Seeked(double position) {
    m_display.SetMediaOpen(!m_hooks.MediaOpen || m_hooks.MediaOpen());
    m_display.GetLastPos(position, m_clock.elapsed());
    update(LyricArea());
}

void Lyric::ClearLyrics() {
    m_display.ClearLyrics();
    update();
}

void Lyric::ChangeLyrics(LyricsModel* model, const SongLook& look) {
    // A song without timed lyrics shows its title page at once: no tick comes.
    m_display.SetMediaOpen(!m_hooks.MediaOpen || m_hooks.MediaOpen());
    m_display.ChangeLyrics(model, look);
    update();
}

void Lyric::FollowClock(const AudioClock* clock) {
    m_followed = clock;
    if (clock) {
        m_followTimer.start(kPlaybackTickMs);
    } else {
        m_followTimer.stop();
    }
}

QRect Lyric::LyricArea() const {
    return m_fullscreen ? rect()
                        : QRect(0, kCaptionStrip, width(),
                                std::max(1, height() - kCaptionStrip - kBottomStrip));
}

void Lyric::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QImage& frame = m_display.Frame();
    m_shownFrame = frame.cacheKey();
    const QRect area = LyricArea();
    if (!m_fullscreen) {
        p.fillRect(0, 0, width(), kCaptionStrip, kStripColor);
        p.fillRect(0, height() - kBottomStrip, width(), kBottomStrip, kStripColor);
        p.setPen(Qt::lightGray);
        p.drawText(QRect(6, 0, width() - 12, kCaptionStrip), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("Cantabilex"));
    }
    p.drawImage(area.topLeft(), frame);
    if (!m_overlay.isNull()) p.drawImage(area.topLeft(), m_overlay);
    // The indicators sit 10 pixels from the lyric area's edges.
    if (m_recording) {
        p.setBrush(Qt::red);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRect(area.left() + 10, area.top() + 10, 12, 12));
    }
    if (m_voice) {
        p.setBrush(Qt::green);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRect(area.right() - 21, area.top() + 10, 12, 12));
    }
}

void Lyric::SetOverlay(const QImage& overlay) {
    if (overlay.isNull() && m_overlay.isNull()) return;
    m_overlay = overlay;
    update(LyricArea());
}

void Lyric::resizeEvent(QResizeEvent*) {
    if (auto* grip = findChild<QSizeGrip*>("Sizer")) {
        grip->move(width() - grip->width(), height() - grip->height());
        grip->setVisible(!m_fullscreen);
    }
    m_display.SetMediaOpen(!m_hooks.MediaOpen || m_hooks.MediaOpen());
    m_display.SetWindow(width(), height(), m_fullscreen);
    update();
}

void Lyric::SettingsChanged() {
    if (m_hooks.SettingsChanged) m_hooks.SettingsChanged(m_display.Settings());
    m_actions["FitText"]->setChecked(m_display.Settings().LyricsFitFont);
    update();
}

void Lyric::RunCommand(const std::string& key) {
    auto call = [](const std::function<void()>& f) {
        if (f) f();
    };
    if (key == "Fullscreen") {
        ChangeScreen2();
    } else if (key == "FitText") {
        m_display.ToggleFitFont();
        SettingsChanged();
    } else if (key == "Previous") {
        call(m_hooks.Previous);
    } else if (key == "Play") {
        call(m_hooks.Play);
    } else if (key == "Pause") {
        call(m_hooks.Pause);
    } else if (key == "Stop") {
        call(m_hooks.Stop);
    } else if (key == "Next") {
        call(m_hooks.Next);
    } else if (key == "Display+Offset" || key == "Display-Offset") {
        m_display.AddOffset(key == "Display+Offset" ? kOffsetStep : -kOffsetStep);
        SettingsChanged();
    } else if (key == "IncreaseFont") {
        m_display.IncreaseFont();
        SettingsChanged();
    } else if (key == "DecreaseFont") {
        if (m_display.DecreaseFont()) SettingsChanged();
    } else if (key == "Options") {
        call(m_hooks.Options);
    }
}

void Lyric::keyPressEvent(QKeyEvent* e) {
    const auto mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    switch (e->key()) {
        case Qt::Key_F5:
            RunCommand("Fullscreen");
            return;
        case Qt::Key_F9:
            RunCommand("Display+Offset");
            return;
        case Qt::Key_F10:
            RunCommand("Display-Offset");
            return;
        case Qt::Key_Escape:
            if (m_fullscreen) ChangeScreen2();
            return;
        case Qt::Key_Plus:
            if (keypad) RunCommand("IncreaseFont");
            return;
        case Qt::Key_Minus:
            if (keypad) RunCommand("DecreaseFont");
            return;
        default:
            break;
    }
    if (mods == Qt::AltModifier && e->key() == Qt::Key_F) return RunCommand("FitText");
    if (mods == Qt::ControlModifier && e->key() == Qt::Key_P) return RunCommand("Options");
    if (mods != Qt::NoModifier) return QWidget::keyPressEvent(e);
    switch (e->key()) {
        case Qt::Key_Z:
            RunCommand("Previous");
            return;
        case Qt::Key_X:
            RunCommand("Play");
            return;
        case Qt::Key_C:
            RunCommand("Pause");
            return;
        case Qt::Key_V:
            RunCommand("Stop");
            return;
        case Qt::Key_B:
            RunCommand("Next");
            return;
        case Qt::Key_K:
            if (m_hooks.MediaOpen && m_hooks.MediaOpen()) {
                if (m_hooks.Details) m_hooks.Details();
            } else if (m_hooks.Message) {
                std::string text = m_translate ? m_translate("DetailsNoMedia") : std::string();
                m_hooks.Message(text.empty() ? "DetailsNoMedia" : text);
            }
            return;
        case Qt::Key_R:
        case Qt::Key_S:
            if (m_hooks.RecordKey) m_hooks.RecordKey(e->key());
            return;
        default:
            QWidget::keyPressEvent(e);
    }
}

QRect Lyric::MonitorRect() const {
    const auto screens = QGuiApplication::screens();
    const int n = MonitorIndex(m_display.Settings().Monitor);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (n > 0 && n < screens.size()) screen = screens[n];
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

void Lyric::ChangeScreen2() {
    if (!m_fullscreen) {
        m_savedGeometry = geometry();
        m_fullscreen = true;
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        setGeometry(MonitorRect());
        showFullScreen();
    } else {
        m_fullscreen = false;
        setWindowFlag(Qt::WindowStaysOnTopHint, m_display.Settings().OnTop);
        showNormal();
        if (m_savedGeometry.isValid()) setGeometry(m_savedGeometry);
    }
    m_actions["Fullscreen"]->setCheckable(true);
    m_actions["Fullscreen"]->setChecked(m_fullscreen);
    resizeEvent(nullptr);
}

void Lyric::SetRecording(bool on) {
    m_recording = on;
    update();
}

void Lyric::SetVoice(bool on) {
    m_voice = on;
    update();
}

void Lyric::mouseDoubleClickEvent(QMouseEvent*) {
    ChangeScreen2();
}

void Lyric::mousePressEvent(QMouseEvent* e) {
    // The caption strip moves the window.
    if (!m_fullscreen && e->button() == Qt::LeftButton && e->position().y() < kCaptionStrip) {
        m_dragging = true;
        m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void Lyric::mouseMoveEvent(QMouseEvent* e) {
    if (m_dragging) move(e->globalPosition().toPoint() - m_dragOffset);
}

void Lyric::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = false;
}

void Lyric::contextMenuEvent(QContextMenuEvent* e) {
    m_menu.popup(e->globalPos());
}

void Lyric::showEvent(QShowEvent*) {
    if (m_hooks.KaraokeWindow) m_hooks.KaraokeWindow(true);
}

void Lyric::closeEvent(QCloseEvent* e) {
    if (m_fullscreen) ChangeScreen2();
    WritePosition();
    if (m_hooks.KaraokeWindow) m_hooks.KaraokeWindow(false);
    QWidget::closeEvent(e);
}

void Lyric::ReadPosition() {
    if (!m_store) return;
    std::stringstream text(ReadRegistryText(*m_store, kSettingsKey, kKaraokePositionValue));
    int v[4];
    char comma = 0;
    if (!(text >> v[0] >> comma >> v[1] >> comma >> v[2] >> comma >> v[3])) return;
    const QRect r(v[0] / kTwipsPerPixel, v[1] / kTwipsPerPixel,
                  std::max(kLyricMinWidth, v[2] / kTwipsPerPixel),
                  std::max(kLyricMinHeight, v[3] / kTwipsPerPixel));
    // Placement from a monitor that is gone would leave the window out of reach.
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->geometry().intersects(r)) {
            setGeometry(r);
            return;
        }
    }
    resize(r.size());
}

void Lyric::WritePosition() {
    if (!m_store) return;
    // Full screen is not a place to come back to.
    const QRect r = m_fullscreen && m_savedGeometry.isValid() ? m_savedGeometry : geometry();
    const std::string text = std::to_string(r.x() * kTwipsPerPixel) + "," +
                             std::to_string(r.y() * kTwipsPerPixel) + "," +
                             std::to_string(r.width() * kTwipsPerPixel) + "," +
                             std::to_string(r.height() * kTwipsPerPixel);
    WriteRegistryText(*m_store, kSettingsKey, kKaraokePositionValue, text);
}

}  // namespace cx
