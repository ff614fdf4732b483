#include "playback/player/gui/Player.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <cmath>

#include "lyrics/UltraStar.h"
#include "playback/player/FitText.h"
#include "playback/player/OpenFailure.h"
#include "playback/player/gui/PlayerIcons.h"
#include "playlist/LastList.h"
#include "playlist/SongFiles.h"
#include "playlist/gui/DarkLook.h"
#include "playlist/gui/FlatListWidget.h"
#include "playlist/gui/UserList.h"

namespace cx {
namespace {

constexpr int kProgressSteps = 1000;
constexpr int kScrollStepMs = 250;  // one character of a scrolling title
const QColor kIconColour(0xe4, 0xe6, 0xeb);
const QColor kLampColours[3] = {QColor(0x4c, 0xd9, 0x64), QColor(0xf5, 0xb8, 0x2e),
                                QColor(0xe5, 0x48, 0x4d)};
const QColor kLampOff(0x3a, 0x3e, 0x46);

// The time display: a click switches between elapsed and remaining time.
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && onClick) onClick();
    }
};

// A slider that jumps to the clicked place instead of paging.
class JumpSlider : public QSlider {
public:
    using QSlider::QSlider;
    std::function<void(int value)> onUserMove;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            const int value = QStyle::sliderValueFromPosition(
                minimum(), maximum(), static_cast<int>(event->position().x()), width());
            setValue(value);
            if (onUserMove) onUserMove(value);
        }
        QSlider::mousePressEvent(event);
    }
};

int Modifiers(Qt::KeyboardModifiers mods) {
    int out = 0;
    if (mods & Qt::ShiftModifier) out |= kModShift;
    if (mods & Qt::ControlModifier) out |= kModCtrl;
    if (mods & Qt::AltModifier) out |= kModAlt;
    return out;
}

}  // namespace

Player::Player(Transport& transport, FlatListModel& list, PlayerServices services, QWidget* parent)
    : QWidget(parent),
      m_transport(transport),
      m_list(list),
      m_services(std::move(services)),
      m_control(transport, list, *this) {
    setWindowTitle(QStringLiteral("Cantabilex"));
    setWindowIcon(AppIcon());
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    ApplyDarkLook(this);
    BuildUi();
    RebuildMenu();
    BuildTray();

    m_mmTimer.setInterval(500);
    connect(&m_mmTimer, &QTimer::timeout, this, [this] { OnTick(); });
    m_mmTimer.start();
    m_numList.setInterval(100);
    connect(&m_numList, &QTimer::timeout, this, [this] { OnNumberTick(); });
    m_scrollTimer.setInterval(kScrollStepMs);
    connect(&m_scrollTimer, &QTimer::timeout, this, [this] { ScrollTitleStep(); });
    RefreshSong();
}

Player::~Player() {
    m_mmTimer.stop();
    m_numList.stop();
    m_scrollTimer.stop();
    if (m_userList) {
        m_userList->onPlay = nullptr;
        m_userList->onOtherKey = nullptr;
        m_userList->onVisibilityChanged = nullptr;
    }
}

QString Player::Tr(const char* key) const {
    return QString::fromStdString(Caption(m_services.translate, key));
}

void Player::BuildUi() {
    const int em = fontMetrics().height();

    for (std::size_t i = 0; i < m_lamps.size(); ++i) {
        m_lamps[i] = new QLabel(this);
        m_lamps[i]->setFixedSize(em / 2 + 2, em / 2 + 2);
    }
    auto* lamps = new QVBoxLayout;
    lamps->setSpacing(em / 5);
    for (auto* lamp : m_lamps) lamps->addWidget(lamp);

    m_title = new QLabel(this);
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
    m_title->setFont(titleFont);
    m_artist = new QLabel(this);
    m_artist->setForegroundRole(QPalette::PlaceholderText);
    for (auto* l : {m_title, m_artist}) {
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        l->setMinimumWidth(em * 6);
    }

    auto* clock = new ClickLabel(QStringLiteral("00:00"), this);
    QFont clockFont(QStringLiteral("DejaVu Sans Mono"));
    clockFont.setStyleHint(QFont::Monospace);
    clockFont.setPointSizeF(font().pointSizeF() * 2.0);
    clockFont.setBold(true);
    clock->setFont(clockFont);
    clock->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    clock->setToolTip(Tr("TimeElapsed") + QStringLiteral(" / ") + Tr("TimeRemaining"));
    clock->onClick = [this] { m_control.Execute(Command::ToggleTimeMode), OnTick(); };
    m_time = clock;

    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.8);
    m_bitrate = new QLabel(this);
    m_sampleRate = new QLabel(this);
    for (auto* l : {m_bitrate, m_sampleRate}) {
        l->setFont(small);
        l->setForegroundRole(QPalette::PlaceholderText);
        l->setAlignment(Qt::AlignRight);
    }

    auto* info = new QGridLayout;
    info->setHorizontalSpacing(em / 2);
    info->setVerticalSpacing(0);
    info->addLayout(lamps, 0, 0, 2, 1);
    info->addWidget(m_title, 0, 1);
    info->addWidget(m_artist, 1, 1);
    info->addWidget(m_time, 0, 2, 1, 2);
    info->addWidget(m_bitrate, 1, 2);
    info->addWidget(m_sampleRate, 1, 3);
    info->setColumnStretch(1, 1);

    auto* progress = new JumpSlider(Qt::Horizontal, this);
    progress->setRange(0, kProgressSteps);
    progress->setFocusPolicy(Qt::NoFocus);
    progress->onUserMove = [this](int value) {
        m_transport.Seek(static_cast<double>(value) / kProgressSteps);
    };
    connect(progress, &QSlider::sliderReleased, this, [this, progress] {
        m_transport.Seek(static_cast<double>(progress->value()) / kProgressSteps);
    });
    m_progress = progress;

    auto* volume = new JumpSlider(Qt::Horizontal, this);
    volume->setRange(0, 100);
    volume->setValue(100);
    volume->setFocusPolicy(Qt::NoFocus);
    volume->setFixedWidth(em * 5);
    volume->setToolTip(Tr("Volume"));
    connect(volume, &QSlider::valueChanged, this,
            [this](int value) { m_transport.SetVolume(value / 100.0); });
    m_volume = volume;

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    const QSize iconSize(em + em / 3, em + em / 3);
    for (const auto& info : TransportButtons()) {
        auto* b = new QToolButton(this);
        b->setIcon(PlayerIcon(info.command, kIconColour));
        b->setIconSize(iconSize);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolTip(Tr(info.tooltipKey));
        const int number = info.number;
        connect(b, &QToolButton::clicked, this, [this, number] {
            m_control.FireButton(number);
            RefreshSong();
        });
        m_buttons[number] = b;
        buttons->addWidget(b);
        if (number == 5) buttons->addSpacing(em / 2);
        if (number == 6) {
            buttons->addWidget(m_volume);
            buttons->addSpacing(em / 2);
        }
    }
    for (int checkable : {6, 10, 11, 12, 13, 14}) m_buttons[checkable]->setCheckable(true);
    buttons->addStretch(1);
    auto* menuButton = new QToolButton(this);
    menuButton->setIcon(PlayerIcon(Command::About, kIconColour));
    menuButton->setIconSize(iconSize);
    menuButton->setAutoRaise(true);
    menuButton->setFocusPolicy(Qt::NoFocus);
    connect(menuButton, &QToolButton::clicked, this, [this, menuButton] {
        m_menu->exec(menuButton->mapToGlobal(QPoint(0, menuButton->height())));
    });
    buttons->addWidget(menuButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(em / 2, em / 3, em / 2, em / 4);
    layout->setSpacing(em / 4);
    layout->addLayout(info);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    m_status = new QLabel(this);
    m_status->setFont(small);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::RichText);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    connect(m_status, &QLabel::linkActivated, this, [this] { ActivateStatusLink(); });
    m_status->hide();
    layout->addWidget(m_status);
    LightOut();
    Light(2, true);
}

void Player::ShowStatus(const QString& text, const std::string& songPath,
                        const QString& linkText, std::function<void()> onLink) {
    m_statusSong = songPath;
    m_statusLink = std::move(onLink);
    m_statusText = text;
    QString shown = text.toHtmlEscaped();
    if (!linkText.isEmpty() && m_statusLink)
        shown += QStringLiteral(" <a href=\"do\">%1</a>").arg(linkText.toHtmlEscaped());
    m_status->setText(shown);
    m_status->setToolTip(text);
    m_status->setVisible(!text.isEmpty());
}

void Player::ActivateStatusLink() {
    if (m_statusLink) m_statusLink();
}

void Player::RebuildMenu() {
    delete m_menu;
    m_menuActions.clear();
    m_menu = new QMenu(this);
    m_menu->setToolTipsVisible(true);
    const auto add = [this](QMenu* menu, const MenuItem& item) {
        QAction* action = menu->addAction(QString::fromStdString(
            SetMenu(Caption(m_services.translate, item.captionKey), item.shortcut)));
        const Command command = item.command;
        connect(action, &QAction::triggered, this, [this, command] {
            m_control.Execute(command);
            RefreshSong();
        });
        m_menuActions.emplace(command, action);
        return action;
    };
    for (const auto& item : PlayerMenuItems()) {
        if (item.command == Command::Help) {
            QMenu* playback = m_menu->addMenu(Tr("Playback"));
            for (const auto& sub : PlaybackMenuItems()) add(playback, sub);
            m_menu->addSeparator();
        }
        QAction* action = add(m_menu, item);
        switch (item.command) {
            case Command::TimeRemaining:
                action->setCheckable(true);
                action->setChecked(m_control.Mode() == TimeMode::Elapsed);
                break;
            case Command::TimeElapsed:
                action->setCheckable(true);
                action->setChecked(m_control.Mode() == TimeMode::Current);
                break;
            case Command::OnTop:
                action->setCheckable(true);
                action->setChecked(m_onTop);
                break;
            default:
                break;
        }
        if (item.command == Command::About || item.command == Command::Controls ||
            item.command == Command::YourVoice || item.command == Command::Preferences ||
            item.command == Command::OnTop || item.command == Command::Keyboard) {
            m_menu->addSeparator();
        }
    }
    ApplyAvailability();
    // Time mode items show the current mode each time the menu opens.
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        for (QAction* a : m_menu->actions()) {
            if (a->text().startsWith(Tr("TimeRemaining"))) {
                a->setChecked(m_control.Mode() == TimeMode::Elapsed);
            } else if (a->text().startsWith(Tr("TimeElapsed"))) {
                a->setChecked(m_control.Mode() == TimeMode::Current);
            }
        }
    });
}

void Player::BuildTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    m_tray = new QSystemTrayIcon(AppIcon(), this);
    m_tray->setToolTip(Tr("TrayTip"));
    auto* menu = new QMenu(this);
    connect(menu->addAction(Tr("Restore")), &QAction::triggered, this,
            [this] { RestoreFromTray(); });
    connect(menu->addAction(Tr("Exit")), &QAction::triggered, this,
            [this] { m_control.Execute(Command::Exit); });
    m_tray->setContextMenu(menu);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger) {
                    RestoreFromTray();
                }
            });
    m_tray->show();
}

void Player::SetPlaylistWindow(UserList* window) {
    m_userList = window;
    if (!window) return;
    window->onPlay = [this](int index) {
        m_control.ChangeSong(index);
        RefreshSong();
    };
    window->onOtherKey = [this](QKeyEvent* event) {
        const bool used = m_control.HandleKey(event->key(), Modifiers(event->modifiers()));
        if (m_control.NumberTimerRunning() && !m_numList.isActive()) m_numList.start();
        if (used) RefreshSong();
        return used;
    };
    window->onVisibilityChanged = [this](bool visible) {
        if (m_inTray) return;  // hidden with the player, not by the user
        m_playlistShown = visible;
        if (m_buttons.count(10)) m_buttons[10]->setChecked(visible);
    };
    AddCompanion(window);
}

void Player::AddCompanion(QWidget* window, std::function<bool()> mayRestore) {
    if (!window) return;
    m_companions.push_back({window, std::move(mayRestore), false});
}

void Player::MinimizeToTray() {
    if (m_trayBusy || m_inTray) return;
    m_trayBusy = true;
    m_inTray = true;
    for (auto& c : m_companions) {
        c.hiddenByTray = c.window && c.window->isVisible();
        if (c.hiddenByTray) c.window->hide();
    }
    hide();
    m_trayBusy = false;
}

void Player::RestoreFromTray() {
    if (m_trayBusy || !m_inTray) return;
    m_trayBusy = true;
    showNormal();
    activateWindow();
    for (auto& c : m_companions) {
        if (c.hiddenByTray && c.window && (!c.mayRestore || c.mayRestore())) c.window->show();
        c.hiddenByTray = false;
    }
    m_inTray = false;
    m_trayBusy = false;
}

void Player::Light(int index, bool on) {
    if (index < 0 || index >= 3) return;
    const auto i = static_cast<std::size_t>(index);
    m_lampOn[i] = on;
    const int radius = m_lamps[i]->width() / 2;
    m_lamps[i]->setStyleSheet(QStringLiteral("background-color: %1; border-radius: %2px;")
                                  .arg((on ? kLampColours[i] : kLampOff).name())
                                  .arg(radius));
}

void Player::LightOut() {
    for (int i = 0; i < 3; ++i) Light(i, false);
}

void Player::SetButton(bool down, int number) {
    if (QToolButton* b = Button(number)) b->setDown(down);
}

QToolButton* Player::Button(int number) const {
    const auto it = m_buttons.find(number);
    return it == m_buttons.end() ? nullptr : it->second;
}

void Player::PutLabels(const QString& title, const QString& artist) {
    if (title != m_fullTitle) m_scrollStep = 0;
    m_fullTitle = title;
    m_fullArtist = artist;
    FitLabels();
}

void Player::FitLabels() {
    for (auto [label, text] :
         {std::pair{m_title, &m_fullTitle}, std::pair{m_artist, &m_fullArtist}}) {
        const QFontMetrics fm(label->font());
        const std::string fitted = FitText(
            text->toStdString(), label->width(),
            [&](const std::string& s) { return fm.horizontalAdvance(QString::fromStdString(s)); });
        label->setText(QString::fromStdString(fitted));
        label->setToolTip(label->text() == *text ? QString() : *text);
    }
    // A title that does not fit runs through its label instead, when wanted.
    if (!m_scrollTitle || m_title->text() == m_fullTitle) {
        m_scrollTimer.stop();
        return;
    }
    if (!m_scrollTimer.isActive()) m_scrollTimer.start();
    // The label cuts off what runs past its right edge.
    m_title->setText(QString::fromStdString(ScrolledText(m_fullTitle.toStdString(), m_scrollStep)));
}

void Player::ScrollTitleStep() {
    ++m_scrollStep;
    m_title->setText(QString::fromStdString(ScrolledText(m_fullTitle.toStdString(), m_scrollStep)));
}

void Player::SetScrollTitle(bool on) {
    if (on == m_scrollTitle) return;
    m_scrollTitle = on;
    FitLabels();
}

void Player::SetVolume(int percent) {
    m_volume->setValue(std::clamp(percent, 0, 100));
}

QString Player::VolumeText() const {
    return QString::number(m_volume->value());
}

void Player::ApplyVolume(const QString& text) {
    if (const auto volume = ParsePlayerVolume(text.toStdString())) SetVolume(*volume);
}

bool Player::ChangeSong(const QString& path) {
    const std::string full = QFileInfo(path).absoluteFilePath().toStdString();
    const std::string song =
        m_services.verifyFile ? m_services.verifyFile(full) : MediaFileFor(full);
    if (song.empty()) {
        OpenFailed(full);
        return false;
    }
    const auto tags = m_services.readTags ? m_services.readTags(song) : ReadItemTags(song);
    const std::string text = tags && !tags->text.empty() ? tags->text : BaseNameOf(song);
    const bool ok = m_control.AddAndPlay(song, text, tags ? tags->time : std::string());
    RefreshSong();
    return ok;
}

QString Player::PositionText() const {
    const QRect g = geometry();
    PlayerPosition p{g.x(), g.y(), g.width(), g.height(), m_playlistShown, m_midiShown};
    return QString::fromStdString(FormatPlayerPosition(p));
}

void Player::ApplyPosition(const QString& text) {
    const auto p = ParsePlayerPosition(text.toStdString());
    if (!p) return;
    // The stored place is the client area's (geometry()), so it goes back as
    // one: move() would place the frame there and creep by the title bar.
    setGeometry(QRect(QPoint(p->left, p->top), size()));
    m_playlistShown = p->playlistShown;
    m_midiShown = p->midiShown;
    if (m_buttons.count(10)) m_buttons[10]->setChecked(m_playlistShown);
}

void Player::RefreshSong() {
    // A line about another song goes once a new one is open.
    if (!m_statusSong.empty() && m_transport.IsOpen() && m_transport.CurrentPath() != m_statusSong)
        ShowStatus({}, {});
    const PlayState state = m_transport.IsOpen() ? m_transport.State() : PlayState::Stopped;
    Light(0, state == PlayState::Playing);
    Light(1, state == PlayState::Paused);
    Light(2, state == PlayState::Stopped);
    if (m_transport.IsOpen()) {
        const SongLabels labels = m_transport.Labels();
        const QString title = QString::fromStdString(labels.title);
        const QString artist = QString::fromStdString(labels.artist);
        if (title != m_fullTitle || artist != m_fullArtist) PutLabels(title, artist);
        m_bitrate->setText(
            labels.bitrateKbps > 0 ? QStringLiteral("%1 Kb/s").arg(labels.bitrateKbps) : QString());
        m_sampleRate->setText(labels.sampleRate > 0 ? QStringLiteral("%1 Hz").arg(labels.sampleRate)
                                                    : QString());
    } else {
        if (!m_fullTitle.isEmpty() || !m_fullArtist.isEmpty()) PutLabels({}, {});
        m_bitrate->clear();
        m_sampleRate->clear();
        m_time->setText(QStringLiteral("00:00"));
        if (!m_progress->isSliderDown()) m_progress->setValue(0);
    }
    m_buttons[6]->setChecked(m_control.Muted());
    m_buttons[11]->setChecked(m_services.isMicrophoneOn && m_services.isMicrophoneOn());
    m_buttons[12]->setChecked(IsRecording());
    m_buttons[13]->setChecked(m_services.isVoiceOn && m_services.isVoiceOn());
    m_buttons[14]->setChecked(IsEditorOpen());
    if (m_userList)
        m_buttons[10]->setChecked(m_userList->isVisible() || (m_inTray && m_playlistShown));
    // Recording, the editor and the song decide what may be used now.
    ApplyAvailability();
}

void Player::ApplyAvailability() {
    // What the player itself refuses now (a take runs, the song is mono...)
    // comes first; then what the rest of the program cannot do yet.
    const auto available = [this](Command c) {
        return m_control.RefusalKey(c).empty() &&
               (!m_services.commandAvailable || m_services.commandAvailable(c));
    };
    const auto why = [this](Command c) {
        const std::string refusal = m_control.RefusalKey(c);
        if (!refusal.empty()) return Tr(refusal.c_str());
        return m_services.unavailableReason ? m_services.unavailableReason(c) : QString();
    };
    for (const auto& info : TransportButtons()) {
        QToolButton* b = Button(info.number);
        if (!b) continue;
        const bool on = available(info.command);
        b->setEnabled(on);
        b->setToolTip(on ? Tr(info.tooltipKey)
                         : Tr(info.tooltipKey) + QStringLiteral("\n") + why(info.command));
    }
    for (const auto& [command, action] : m_menuActions) {
        const bool on = available(command);
        action->setEnabled(on);
        action->setToolTip(on ? QString() : why(command));
    }
}

QAction* Player::MenuAction(Command command) const {
    const auto it = m_menuActions.find(command);
    return it == m_menuActions.end() ? nullptr : it->second;
}

void Player::OnTick() {
    const TickView view = m_control.Tick();
    if (!m_progress->isSliderDown()) {
        m_progress->setValue(static_cast<int>(std::lround(view.progress * kProgressSteps)));
    }
    m_time->setText(QString::fromStdString(view.timeText));
    RefreshSong();
}

void Player::OnNumberTick() {
    m_control.NumberTick();
    if (!m_control.NumberTimerRunning()) {
        m_numList.stop();
        RefreshSong();
    }
}

void Player::keyPressEvent(QKeyEvent* event) {
    const bool used = m_control.HandleKey(event->key(), Modifiers(event->modifiers()));
    if (m_control.NumberTimerRunning() && !m_numList.isActive()) m_numList.start();
    if (used) {
        RefreshSong();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Player::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Without a notification area the window minimises as usual, so it can be found again.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_tray) {
        QTimer::singleShot(0, this, [this] { MinimizeToTray(); });
    }
}

void Player::closeEvent(QCloseEvent* event) {
    if (onExit) onExit();
    event->accept();
}

void Player::contextMenuEvent(QContextMenuEvent* event) {
    m_menu->exec(event->globalPos());
}

void Player::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !AcceptedDroppedFiles(event->mimeData()->urls()).empty()) {
        event->acceptProposedAction();
    }
}

void Player::dropEvent(QDropEvent* event) {
    const QStringList files = AcceptedDroppedFiles(event->mimeData()->urls());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    DropFiles(files);
}

void Player::DropFiles(const QStringList& files) {
    const int first = AddSongs(files);
    // One song dropped on the player plays at once; several only join the list.
    if (files.size() == 1 && first >= 0) m_control.ChangeSong(first);
    RefreshSong();
}

void Player::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitLabels();
}

int Player::AddSongs(const QStringList& paths) {
    if (m_userList) return m_userList->AddFiles(paths);
    int first = -1;
    for (const QString& p : paths) {
        const std::string full = QFileInfo(p).absoluteFilePath().toStdString();
        const std::string song =
            m_services.verifyFile ? m_services.verifyFile(full) : MediaFileFor(full);
        if (song.empty() || m_list.AddItem(BaseNameOf(song), "", song) == 0) continue;
        if (first < 0) first = m_list.ListCount() - 1;
    }
    return first;
}

void Player::OpenSongDialog() {
    const QString folder = m_userList ? m_userList->MusicPath() : QString();
    const QStringList files =
        m_services.chooseFiles
            ? m_services.chooseFiles(folder)
            : QFileDialog::getOpenFileNames(
                  this, QStringLiteral("CBX: ") + Tr("DialogAddFiles"), folder,
                  Tr("FilterOpenAudio") +
                      QStringLiteral(" (*.mp3 *.ogg *.mid *.midi *.rmi *.cdg "
                                     "*.kar *.lrs *.lrc *.kok *.wav *.flac *.zip *.txt)"));
    if (files.isEmpty()) return;
    if (m_userList) {
        m_userList->SetMusicPath(QFileInfo(files.front()).absolutePath());
        if (m_userList->onMusicPathChanged) m_userList->onMusicPathChanged(m_userList->MusicPath());
    }
    const int first = AddSongs(files);
    if (first >= 0) m_control.ChangeSong(first);
}

void Player::ShowKeyboardHelp() {
    QString text;
    const auto line = [&](const char* keys, const char* key) {
        text += QStringLiteral("%1\t%2\n").arg(QString::fromLatin1(keys), Tr(key));
    };
    line("0-9", "UserList");
    line("Z", "Previous");
    line("X", "Play");
    line("C", "Pause");
    line("V", "Stop");
    line("B", "Next");
    line("K", "KaraokeDetails");
    line("M", "Microphone");
    line("R", "Record");
    line("S", "YourVoice");
    line("Ctrl+O", "FileOpen");
    line("Ctrl+P", "Preferences");
    line("Ctrl+E", "Editor");
    line("Ctrl+T", "TimeRemaining");
    line("Alt+3", "FileInfo");
    line("Alt+L", "UserList");
    line("Alt+C", "Controls");
    line("Alt+V", "VocalRemover");
    ShowNote(Tr("Keyboard"), text);
}

bool Player::IsRecording() const {
    return m_services.isRecording && m_services.isRecording();
}

bool Player::IsEditorOpen() const {
    return m_services.isEditorOpen && m_services.isEditorOpen();
}

bool Player::AutoPlay() const {
    return !m_services.autoPlay || m_services.autoPlay();
}

void Player::Run(Command command) {
    if (onCommand) {
        onCommand(command);
        return;
    }
    switch (command) {
        case Command::FileOpen:
            OpenSongDialog();
            return;
        case Command::UserList:
            ToggleUserList();
            return;
        case Command::Controls:
            m_midiShown = !m_midiShown;
            break;
        case Command::Details:
            if (!m_transport.IsOpen()) {
                QMessageBox::information(this, QStringLiteral("Cantabilex"), Tr("DetailsNoMedia"));
                return;
            }
            break;
        case Command::Help:
            if (m_services.helpUrl.isValid()) QDesktopServices::openUrl(m_services.helpUrl);
            return;
        case Command::About:
            ShowAbout();
            return;
        case Command::Keyboard:
            ShowKeyboardHelp();
            return;
        case Command::OnTop:
            SetOnTop(!m_onTop);
            return;
        case Command::Exit:
            close();
            return;
        default:
            break;
    }
}

void Player::ToggleUserList() {
    if (m_userList) {
        m_userList->setVisible(!m_userList->isVisible());
        m_playlistShown = m_userList->isVisible();
    } else {
        m_playlistShown = !m_playlistShown;
    }
    RefreshSong();
}

void Player::SetOnTop(bool on) {
    if (on == m_onTop) return;
    m_onTop = on;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, m_onTop);
    if (shown) show();  // changing the flag hides the window
    if (QAction* a = MenuAction(Command::OnTop)) a->setChecked(m_onTop);
}

void Player::ShowAbout() {
    ShowNote(Tr("About"), Tr("AboutText"));
}

void Player::ShowNote(const QString& title, const QString& text) {
    // Not modal: the player's timers and the song go on while it is open.
    auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void Player::OpenFailed(const std::string& path) {
    // Not modal: the song that failed must not stop the timers or the list.
    const OpenFailure failure = DiagnoseOpenFailure(path);
    QString text = Tr("CannotOpen").arg(QString::fromStdString(path)) + QStringLiteral("\n") +
                   Tr(OpenFailureKey(failure));
    const std::string detail = OpenFailureDetail(
        path, m_services.lastOpenError ? m_services.lastOpenError() : std::string());
    if (failure == OpenFailure::NotASong && !detail.empty())
        text += QStringLiteral(" (%1)").arg(QString::fromStdString(detail));
    std::string wanted;
    if (failure == OpenFailure::AudioMissing && !FindUltraStarAudio(path, &wanted) &&
        !wanted.empty())
        text += QStringLiteral(" (%1)").arg(QString::fromStdString(wanted));
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Cantabilex"), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void Player::SongChanged() {
    // Called from inside the control; the display catches up right away.
    QTimer::singleShot(0, this, [this] { RefreshSong(); });
}

}  // namespace cx
