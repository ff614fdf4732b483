#include "cdg/CdgWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <charconv>
#include <sstream>
#include <vector>

#include "cdg/CdgRender.h"
#include "playback/AudioSource.h"

namespace cx {

namespace {
constexpr int kTickMs = 10;
constexpr int kTwipsPerPixel = 15;
constexpr QSize kDefaultSize(600, 432);
constexpr std::size_t kMonitorNumberFrom = 8;  // "Monitor N": the number after 8 characters
const char kPrimaryMonitor[] = "Monitor 1 (primary)";
}  // namespace

std::optional<QRect> ParseWindowPosition(const std::string& text) {
    std::vector<long long> v;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        const auto first = item.find_first_not_of(' ');
        const auto last = item.find_last_not_of(' ');
        if (first == std::string::npos) return std::nullopt;
        long long n = 0;
        const char* begin = item.data() + first;
        const char* end = item.data() + last + 1;
        auto [p, ec] = std::from_chars(begin, end, n);
        if (ec != std::errc() || p != end) return std::nullopt;
        v.push_back(n);
    }
    constexpr long long kLimit = 1'000'000'000;  // keeps pixel values inside int
    if (v.size() != 4) return std::nullopt;
    for (long long n : v) {
        if (n < -kLimit || n > kLimit) return std::nullopt;
    }
    const QRect rect(
        static_cast<int>(v[0] / kTwipsPerPixel), static_cast<int>(v[1] / kTwipsPerPixel),
        static_cast<int>(v[2] / kTwipsPerPixel), static_cast<int>(v[3] / kTwipsPerPixel));
    if (rect.width() <= 0 || rect.height() <= 0) return std::nullopt;
    return rect;
}

std::string FormatWindowPosition(const QRect& r) {
    return std::to_string(r.x() * kTwipsPerPixel) + "," + std::to_string(r.y() * kTwipsPerPixel) +
           "," + std::to_string(r.width() * kTwipsPerPixel) + "," +
           std::to_string(r.height() * kTwipsPerPixel);
}

CdgWindow::CdgWindow(CdgPlayer* player, TranslateFn translate, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_ownPlayer(player ? nullptr : std::make_unique<CdgPlayer>()),
      m_player(player ? *player : *m_ownPlayer),
      m_translate(std::move(translate)) {
    setWindowTitle("CD+G");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(kCdgWidth / 2, kCdgHeight / 2);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
}

void CdgWindow::SetSmoothScaling(bool smooth) {
    m_smooth = smooth;
    update();
}

void CdgWindow::PlaceFromText(const std::string& text) {
    if (const auto rect = ParseWindowPosition(text)) {
        setGeometry(*rect);
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), kDefaultSize);
    QRect rect(QPoint(0, 0), kDefaultSize.boundedTo(area.size()));
    rect.moveCenter(area.center());
    setGeometry(rect);
}

std::string CdgWindow::PlacementText() const {
    return FormatWindowPosition(m_fullscreen ? m_normalGeometry : geometry());
}

bool CdgWindow::LoadCDG(const std::string& path, std::string& error) {
    const bool ok = m_player.LoadCDGFile(path, error);
    Refresh();
    return ok;
}

void CdgWindow::PlayCDG() {
    m_player.PlayCDG();
    if (m_player.State() == CdgState::Play) m_timer.start();
    Tick();
}

void CdgWindow::PauseCDG() {
    m_player.PauseCDG();
    m_timer.stop();
}

void CdgWindow::StopCDG() {
    m_timer.stop();
    m_player.StopCDG();
    Refresh();
}

void CdgWindow::CloseCDG() {
    StopCDG();
    hide();
}

double CdgWindow::MoveCDG(double targetSeconds) {
    const double audio = m_player.MoveCDG(targetSeconds);
    Refresh();
    return audio;
}

void CdgWindow::SwitchChannel(int channel, bool on) {
    m_player.SwitchChannel(channel, on);
}

void CdgWindow::Tick() {
    if (m_clock) m_player.Tick(*m_clock);
    Refresh();
}

void CdgWindow::Refresh() {
    const bool idle = m_player.IdlePictureVisible();
    if (idle != m_paintedIdle || m_player.Screen().Revision() != m_paintedRevision) update();
}

void CdgWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_paintedIdle = m_player.IdlePictureVisible();
    if (m_paintedIdle) {
        painter.drawImage(0, 0, PaintIdlePicture(size()));
        return;
    }
    if (m_player.Screen().Revision() != m_paintedRevision || m_frame.isNull()) {
        m_frame = RenderCdgScreen(m_player.Screen());
        m_paintedRevision = m_player.Screen().Revision();
    }
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_smooth);
    painter.drawImage(FitCdgRect(size()), m_frame);
}

void CdgWindow::RequestPlay() {
    if (m_actions.play) {
        m_actions.play();
    } else {
        PlayCDG();
    }
}

void CdgWindow::RequestPause() {
    if (m_actions.pause) {
        m_actions.pause();
    } else {
        PauseCDG();
    }
}

void CdgWindow::RequestStop() {
    if (m_actions.stop) {
        m_actions.stop();
    } else {
        StopCDG();
    }
}

void CdgWindow::keyPressEvent(QKeyEvent* event) {
    const CdgState state = m_player.State();
    switch (event->key()) {
        case Qt::Key_X:
            if (state != CdgState::Play) RequestPlay();
            break;
        case Qt::Key_C:
            if (state != CdgState::Pause) RequestPause();
            break;
        case Qt::Key_V:
            if (state != CdgState::Stop) RequestStop();
            break;
        case Qt::Key_F5:
            ChangeFulloScreen();
            break;
        case Qt::Key_Escape:
            if (m_fullscreen) ChangeFulloScreen();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

QRect CdgWindow::FullscreenRect() const {
    const auto screens = QGuiApplication::screens();
    const QScreen* chosen = QGuiApplication::primaryScreen();
    if (m_monitor != kPrimaryMonitor && m_monitor.size() > kMonitorNumberFrom) {
        int n = 0;
        const char* begin = m_monitor.data() + kMonitorNumberFrom;
        std::from_chars(begin, m_monitor.data() + m_monitor.size(), n);
        if (n >= 1 && n <= screens.size()) chosen = screens[n - 1];
    }
    return chosen ? chosen->geometry() : geometry();
}

void CdgWindow::ChangeFulloScreen() {
    if (!m_fullscreen) {
        m_normalGeometry = geometry();
        setGeometry(FullscreenRect());
        showFullScreen();
        m_fullscreen = true;
    } else {
        showNormal();
        setGeometry(m_normalGeometry);
        m_fullscreen = false;
    }
    update();
}

QString CdgWindow::Caption(const char* key, const char* shortcut) const {
    std::string text = m_translate ? m_translate(key) : std::string(key);
    if (text.empty()) text = key;
    if (shortcut) text += std::string("\t") + shortcut;
    return QString::fromStdString(text);
}

void CdgWindow::BuildMenu() {
    m_menu = new QMenu(this);
    m_fullAction = m_menu->addAction(QString(), [this] { ChangeFulloScreen(); });
    m_fullAction->setCheckable(true);
    m_playAction = m_menu->addAction(QString(), [this] { RequestPlay(); });
    m_pauseAction = m_menu->addAction(QString(), [this] { RequestPause(); });
    m_stopAction = m_menu->addAction(QString(), [this] { RequestStop(); });
    m_channelsMenu = m_menu->addMenu(QString());
    for (int c = 0; c < kCdgChannels; ++c) {
        QAction* a = m_channelsMenu->addAction(QString::number(c));
        a->setCheckable(true);
        QObject::connect(a, &QAction::toggled, this, [this, c](bool on) { SwitchChannel(c, on); });
    }
}

QMenu* CdgWindow::PopupMenu() {
    if (!m_menu) BuildMenu();
    m_fullAction->setText(Caption("Fullscreen", "F5"));
    m_fullAction->setChecked(m_fullscreen);
    m_playAction->setText(Caption("Play", "X"));
    m_pauseAction->setText(Caption("Pause", "C"));
    m_stopAction->setText(Caption("Stop", "V"));
    m_channelsMenu->setTitle(Caption("Channels"));
    const auto channels = m_channelsMenu->actions();
    for (int c = 0; c < kCdgChannels && c < channels.size(); ++c) {
        QSignalBlocker quiet(channels[c]);
        channels[c]->setChecked(m_player.GetChannel(c));
    }
    return m_menu;
}

void CdgWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) ChangeFulloScreen();
}

void CdgWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        PopupMenu()->popup(event->globalPosition().toPoint());
    } else if (event->button() == Qt::LeftButton && !m_fullscreen) {
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void CdgWindow::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && !m_fullscreen) {
        move(event->globalPosition().toPoint() - m_dragOffset);
    }
}

void CdgWindow::closeEvent(QCloseEvent* event) {
    // Closing the graphics ends the song: the audio must not play on alone.
    if (m_player.State() != CdgState::Stop) RequestStop();
    StopCDG();
    event->accept();
}

}  // namespace cx
