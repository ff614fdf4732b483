#include "host/gui/HostWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "host/gui/BreakMusic.h"
#include "karaoke/ShowOverlay.h"

namespace cx {
namespace {

constexpr int kTimerMs = 50;
constexpr int kJoinTimerMs = 500;
constexpr int kTempoStep = 5;
constexpr std::size_t kFoundSongs = 50;
constexpr std::size_t kHistoryShown = 500;
constexpr int kIdRole = Qt::UserRole;
constexpr int kSingerRole = Qt::UserRole + 1;  // an entry's singer

QString MinSec(std::int64_t ms) {
    const std::int64_t s = std::max<std::int64_t>(0, ms) / 1000;
    return QString("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
}

QString Signed(int v) {
    return v > 0 ? QString("+%1").arg(v) : QString::number(v);
}

// "Artist - Title" and "mm:ss" as the playlist reads them.
QueueEntry EntryFromTags(const std::string& path, const std::optional<ItemTags>& tags) {
    QueueEntry e;
    e.path = path;
    e.title = std::filesystem::path(path).stem().string();
    if (!tags) return e;
    const auto dash = tags->text.find(" - ");
    if (dash != std::string::npos) {
        e.artist = tags->text.substr(0, dash);
        e.title = tags->text.substr(dash + 3);
    } else if (!tags->text.empty()) {
        e.title = tags->text;
    }
    const auto colon = tags->time.find(':');
    if (colon != std::string::npos) {
        e.lengthMs = (std::atoll(tags->time.substr(0, colon).c_str()) * 60 +
                      std::atoll(tags->time.substr(colon + 1).c_str())) *
                     1000;
    }
    return e;
}

// Rows dragged to their new place: the rotation moves, then the tree is
// rebuilt from it. Files dropped from the playlist or a file manager are
// songs for the selected singer.
class DragTree final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    std::function<void(int to)> onMove;  // index among the dragged row's siblings
    std::function<void(const QStringList& paths)> onFiles;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (event->mimeData()->hasUrls()) return event->acceptProposedAction();
        QTreeWidget::dragEnterEvent(event);
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (event->mimeData()->hasUrls()) return event->acceptProposedAction();
        QTreeWidget::dragMoveEvent(event);
    }
    void dropEvent(QDropEvent* event) override {
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        if (event->mimeData()->hasUrls()) {
            QStringList paths;
            for (const QUrl& url : event->mimeData()->urls())
                if (url.isLocalFile()) paths << url.toLocalFile();
            if (!paths.isEmpty()) onFiles(paths);
            return;
        }
        QTreeWidgetItem* dragged = currentItem();
        QTreeWidgetItem* target = itemAt(event->position().toPoint());
        if (!dragged || !target) return;
        if (dragged->parent()) {  // a song moves within its singer's queue
            if (target->parent() == dragged->parent())
                onMove(dragged->parent()->indexOfChild(target));
            return;
        }
        onMove(indexOfTopLevelItem(target->parent() ? target->parent() : target));
    }
};

}  // namespace

HostWindow::HostWindow(HostHooks hooks, std::string databasePath, QWidget* parent)
    : QWidget(parent, Qt::Window), m_hooks(std::move(hooks)), m_session(std::move(databasePath)) {
    setWindowTitle(Tr("HostWindowTitle", "Host"));
    setAcceptDrops(true);
    auto* tabs = new QTabWidget(this);
    BuildRotationTab(tabs);
    BuildHistoryTab(tabs);
    BuildSettingsTab(tabs);
    BuildRequestsTab(tabs);
    m_status = new QLabel(this);
    m_status->setTextFormat(Qt::PlainText);  // reasons may quote what a guest typed
    m_status->setWordWrap(true);
    auto* help =
        new QLabel(Tr("HostKeysHelp",
                      "F8 announce next  F5 start  F6 skip announced  Shift+F8 stop show  "
                      "F7 away/back  Ctrl+K skip turn  Ctrl+N singer  Ctrl+O songs  Ctrl+F search  "
                      "Alt+Up/Down move  Ctrl+Up/Down key  Ctrl+Left/Right tempo  Del remove"),
                   this);
    help->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs, 1);
    layout->addWidget(m_status);
    layout->addWidget(help);
    BuildKeys();
    m_clock.start();
    m_timer.setInterval(kTimerMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(); });
    m_joinTimer.setInterval(kJoinTimerMs);
    connect(&m_joinTimer, &QTimer::timeout, this, [this] { ShowJoinBetweenSongs(); });
    resize(640, 520);
}

HostWindow::~HostWindow() {
    m_timer.stop();
    m_joinTimer.stop();
    m_requests->Stop();
    if (m_hooks.showOverlay) m_hooks.showOverlay(QImage());
}

QString HostWindow::Tr(const char* key, const char* fallback) const {
    const std::string text = m_hooks.translate ? m_hooks.translate(key) : std::string();
    return QString::fromStdString(text.empty() ? fallback : text);
}

void HostWindow::Report(const std::string& reason) {
    if (reason.empty()) return m_status->clear();
    const std::string text = m_hooks.translate ? m_hooks.translate(reason) : std::string();
    m_status->setText(QString::fromStdString(text.empty() ? reason : text));
}

bool HostWindow::BreakMusicOn() const {
    return m_break && m_break->FadingIn();
}

QString HostWindow::StatusText() const {
    return m_status->text();
}

void HostWindow::BuildRotationTab(QTabWidget* tabs) {
    auto* page = new QWidget(tabs);
    m_name = new QLineEdit(page);
    m_name->setObjectName("SingerName");
    m_name->setPlaceholderText(Tr("HostSingerName", "Singer's name"));
    m_name->setToolTip(Tr("HostSingerNameTip", "Ctrl+N, type the name, Enter"));
    connect(m_name, &QLineEdit::returnPressed, this, [this] { AddSinger(m_name->text()); });
    auto* addSongs = new QPushButton(Tr("HostAddSongs", "Add songs..."), page);
    addSongs->setToolTip(Tr("HostAddSongsTip", "Ctrl+O: songs for the selected singer"));
    connect(addSongs, &QPushButton::clicked, this, [this] { AddSongs({}); });
    m_search = new QLineEdit(page);
    m_search->setObjectName("LibrarySearch");
    m_search->setPlaceholderText(Tr("HostSearch", "Search the song library"));
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& t) { Search(t); });
    m_found = new QListWidget(page);
    m_found->setMaximumHeight(120);
    connect(m_found, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QStringList parts = item->data(kIdRole).toStringList();
        AddFound({parts.value(0).toStdString(), parts.value(1).toStdString(),
                  parts.value(2).toStdString(), parts.value(3).toLongLong(),
                  parts.value(4).toLongLong()});
    });
    SetFinder(nullptr);
    auto* tree = new DragTree(page);
    tree->onMove = [this](int to) { MoveSelectedTo(to); };
    tree->onFiles = [this](const QStringList& paths) { AddSongs(paths); };
    tree->setDragDropMode(QAbstractItemView::InternalMove);
    tree->setToolTip(
        Tr("HostTreeTip", "Drag singers and songs to reorder them; drop song files on a singer"));
    m_tree = tree;
    m_tree->setHeaderLabels({Tr("HostColumnSingerSong", "Singer / song"),
                             Tr("HostColumnPlace", "Place"), Tr("HostColumnWait", "Wait"),
                             Tr("HostColumnKey", "Key"), Tr("HostColumnTempo", "Tempo %")});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->header()->setStretchLastSection(false);
    auto* top = new QHBoxLayout;
    top->addWidget(m_name, 1);
    top->addWidget(addSongs);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(m_search);
    layout->addWidget(m_found);
    layout->addWidget(m_tree, 1);
    tabs->addTab(page, Tr("HostRotationTab", "Rotation"));
}

void HostWindow::BuildHistoryTab(QTabWidget* tabs) {
    m_history = new QTreeWidget(tabs);
    m_history->setHeaderLabels({Tr("HostColumnWhen", "When"), Tr("HostColumnSinger", "Singer"),
                                Tr("HostColumnSong", "Song"), Tr("HostColumnKey", "Key"),
                                Tr("HostColumnTempo", "Tempo %"), Tr("HostHistoryScore", "Score")});
    m_history->setRootIsDecorated(false);
    tabs->addTab(m_history, Tr("HostHistoryTab", "History"));
    connect(tabs, &QTabWidget::currentChanged, this, [this] { RefreshHistory(); });
}

void HostWindow::BuildSettingsTab(QTabWidget* tabs) {
    auto* page = new QWidget(tabs);
    m_placement = new QComboBox(page);
    m_placement->addItems({Tr("HostPlaceFair", "Fair: after those who sang this round"),
                           Tr("HostPlaceEnd", "At the end of the list")});
    m_countdown = new QSpinBox(page);
    m_countdown->setRange(kMinCountdownSeconds, kMaxCountdownSeconds);
    m_countdown->setSuffix(" s");
    m_autoStart = new QCheckBox(Tr("HostAutoStart", "Start when the countdown ends"), page);
    m_ticker = new QCheckBox(Tr("HostTicker", "Ticker of the singers coming up"), page);
    m_tickerSpeed = new QSpinBox(page);
    m_tickerSpeed->setRange(kMinTickerSpeed, kMaxTickerSpeed);
    m_tickerSpeed->setSuffix(" px/s");
    m_breakMusic = new QLineEdit(page);
    m_breakMusic->setToolTip(Tr("HostBreakMusicTip", "A folder of songs or a playlist"));
    auto* browse = new QPushButton(Tr("HostBrowse", "Browse..."), page);
    connect(browse, &QPushButton::clicked, this, [this] { BrowseBreakMusic(); });
    auto* breakRow = new QHBoxLayout;
    breakRow->addWidget(m_breakMusic, 1);
    breakRow->addWidget(browse);
    auto* form = new QFormLayout(page);
    form->addRow(Tr("HostPlacement", "New singers"), m_placement);
    form->addRow(Tr("HostCountdown", "Countdown"), m_countdown);
    form->addRow(QString(), m_autoStart);
    form->addRow(QString(), m_ticker);
    form->addRow(Tr("HostTickerSpeed", "Ticker speed"), m_tickerSpeed);
    form->addRow(Tr("HostBreakMusic", "Break music"), breakRow);
    tabs->addTab(page, Tr("HostSettingsTab", "Settings"));
    connect(m_placement, &QComboBox::currentIndexChanged, this, [this] { SettingsEdited(); });
    connect(m_countdown, &QSpinBox::valueChanged, this, [this] { SettingsEdited(); });
    connect(m_autoStart, &QCheckBox::toggled, this, [this] { SettingsEdited(); });
    connect(m_ticker, &QCheckBox::toggled, this, [this] { SettingsEdited(); });
    connect(m_tickerSpeed, &QSpinBox::valueChanged, this, [this] { SettingsEdited(); });
    connect(m_breakMusic, &QLineEdit::editingFinished, this, [this] { SettingsEdited(); });
}

void HostWindow::BuildRequestsTab(QTabWidget* tabs) {
    RequestsHooks hooks = m_hooks.requests;
    if (!hooks.translate) hooks.translate = m_hooks.translate;
    // Switched on or off, or a new code: the karaoke window follows at once.
    const auto joinChanged = [this] {
        m_joinShown = "?";
        m_requests->Serving() ? m_joinTimer.start() : m_joinTimer.stop();
        ShowJoinBetweenSongs();
    };
    m_requests = new RequestsPanel(
        std::move(hooks), m_session, [this] { Refresh(); }, joinChanged, tabs);
    tabs->addTab(m_requests, Tr("HostRequestsTab", "Requests"));
}

void HostWindow::BuildKeys() {
    const auto key = [this](QKeySequence seq, std::function<void()> action) {
        auto* s = new QShortcut(seq, this);
        connect(s, &QShortcut::activated, this, std::move(action));
    };
    key(Qt::Key_F8, [this] { AnnounceNext(); });
    key(Qt::Key_F5, [this] { StartNext(); });
    key(Qt::Key_F6, [this] { SkipAnnounced(); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_F8), [this] { StopShow(); });
    key(Qt::Key_F7, [this] { ToggleAway(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_N), [this] { m_name->setFocus(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { AddSongs({}); });
    key(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { m_search->setFocus(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_K), [this] { SkipSelected(); });
    key(Qt::Key_Delete, [this] { RemoveSelected(); });
    key(QKeySequence(Qt::ALT | Qt::Key_Up), [this] { MoveSelected(-1); });
    key(QKeySequence(Qt::ALT | Qt::Key_Down), [this] { MoveSelected(+1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Up), [this] { ChangeKey(+1, 0); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Down), [this] { ChangeKey(-1, 0); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Right), [this] { ChangeKey(0, +kTempoStep); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Left), [this] { ChangeKey(0, -kTempoStep); });
}

std::string HostWindow::OpenSession() {
    const bool wasOpen = m_session.IsOpen();
    const std::string reason = m_session.Open();
    if (!wasOpen && reason.empty()) {
        ShowSettings();
        Refresh();
    }
    return reason;
}

void HostWindow::Open() {
    const std::string reason = m_session.Open();
    Report(reason);
    if (reason.empty() && !m_session.LoadNotes().empty()) {
        std::string notes;
        for (const auto& n : m_session.LoadNotes()) notes += (notes.empty() ? "" : ", ") + n;
        m_status->setText(Tr("HostSettingsReset", "Stored settings out of range, defaults used: ") +
                          QString::fromStdString(notes));
    }
    ShowSettings();
    Refresh();
    show();
    raise();
    activateWindow();
}

void HostWindow::SetFinder(SongFinder* finder) {
    m_finder = finder;
    m_search->setEnabled(finder != nullptr);
    m_found->setEnabled(finder != nullptr);
    m_search->setToolTip(finder ? Tr("HostSearchTip", "Ctrl+F, type, Down, Enter adds the song")
                                : Tr("HostNoLibrary", "The song library is not available"));
}

void HostWindow::Search(const QString& text) {
    m_found->clear();
    if (!m_finder || text.trimmed().isEmpty()) return;
    for (const FoundSong& s : m_finder->Find(text.toStdString(), kFoundSongs)) {
        auto* item = new QListWidgetItem(
            QString::fromStdString(s.artist.empty() ? s.title : s.artist + " - " + s.title),
            m_found);
        item->setData(kIdRole,
                      QStringList{QString::fromStdString(s.path), QString::fromStdString(s.artist),
                                  QString::fromStdString(s.title), QString::number(s.lengthMs),
                                  QString::number(s.libraryId)});
    }
}

std::int64_t HostWindow::SelectedSinger() const {
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item) return 0;
    return item->parent() ? item->data(0, kSingerRole).toLongLong()
                          : item->data(0, kIdRole).toLongLong();
}

std::int64_t HostWindow::SelectedEntry() const {
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item && item->parent() ? item->data(0, kIdRole).toLongLong() : 0;
}

void HostWindow::SelectSinger(std::int64_t singerId) {
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        if (m_tree->topLevelItem(i)->data(0, kIdRole).toLongLong() == singerId)
            m_tree->setCurrentItem(m_tree->topLevelItem(i));
    }
}

void HostWindow::Refresh() {
    const std::int64_t singer = SelectedSinger(), entry = SelectedEntry();
    m_tree->clear();
    const Rotation& r = m_session.Current();
    const auto standings = r.Standings(m_hooks.remainingMs ? m_hooks.remainingMs() : 0);
    const std::int64_t announced =
        m_show.Phase() == ShowPhase::Announcing ? m_show.AnnouncedSinger() : 0;
    QTreeWidgetItem* current = nullptr;
    for (std::size_t i = 0; i < r.Singers().size(); ++i) {
        const Singer& s = r.Singers()[i];
        const Standing& st = standings[i];
        QString place = st.position ? QString::number(st.position) : QString("-");
        if (s.away) place = Tr("HostAway", "away");
        if (s.id == announced) place = Tr("HostAnnounced", "next");
        auto* item = new QTreeWidgetItem(
            m_tree, {QString::fromStdString(s.name), place, st.position ? MinSec(st.waitMs) : ""});
        item->setData(0, kIdRole, static_cast<qlonglong>(s.id));
        if (s.id == singer && entry == 0) current = item;
        for (const QueueEntry& e : s.queue) {
            const std::string text = e.artist.empty() ? e.title : e.artist + " - " + e.title;
            auto* child =
                new QTreeWidgetItem(item, {QString::fromStdString(text), "", MinSec(e.lengthMs),
                                           Signed(e.keyShift), Signed(e.tempoPercent)});
            child->setData(0, kIdRole, static_cast<qlonglong>(e.id));
            child->setData(0, kSingerRole, static_cast<qlonglong>(s.id));
            child->setToolTip(0, QString::fromStdString(e.path));
            if (e.id == entry) current = child;
        }
    }
    m_tree->expandAll();
    if (current) m_tree->setCurrentItem(current);
    m_requests->PublishStandings(m_hooks.remainingMs ? m_hooks.remainingMs() : 0);
}

void HostWindow::RefreshHistory() {
    m_history->clear();
    for (const HistoryRow& h : m_session.History(kHistoryShown)) {
        const QString when = QDateTime::fromSecsSinceEpoch(h.sungAt).toString("yyyy-MM-dd hh:mm");
        const std::string song = h.artist.empty() ? h.title : h.artist + " - " + h.title;
        new QTreeWidgetItem(m_history,
                            {when, QString::fromStdString(h.singer), QString::fromStdString(song),
                             Signed(h.keyShift), Signed(h.tempoPercent),
                             h.score ? QString::number(*h.score) : QString()});
    }
}

void HostWindow::ShowSettings() {
    const HostSettings& s = m_session.Settings();
    m_settingsShown = false;  // no stores while the controls are filled
    m_placement->setCurrentIndex(s.placement == Placement::Fair ? 0 : 1);
    m_countdown->setValue(s.countdownSeconds);
    m_autoStart->setChecked(s.autoStart);
    m_ticker->setChecked(s.ticker);
    m_tickerSpeed->setValue(s.tickerSpeed);
    m_breakMusic->setText(QString::fromStdString(s.breakMusic));
    m_requests->ShowSettings();
    m_settingsShown = true;
}

void HostWindow::SettingsEdited() {
    if (!m_settingsShown) return;
    HostSettings s = m_session.Settings();  // keeps what other tabs set
    s.placement = m_placement->currentIndex() == 0 ? Placement::Fair : Placement::End;
    s.countdownSeconds = m_countdown->value();
    s.autoStart = m_autoStart->isChecked();
    s.ticker = m_ticker->isChecked();
    s.tickerSpeed = m_tickerSpeed->value();
    s.breakMusic = m_breakMusic->text().toStdString();
    Report(m_session.ChangeSettings(s));
}

void HostWindow::BrowseBreakMusic() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, Tr("HostBreakMusic", "Break music"), m_breakMusic->text());
    if (folder.isEmpty()) return;
    m_breakMusic->setText(folder);
    SettingsEdited();
}

void HostWindow::AddSinger(const QString& name) {
    std::int64_t id = 0;
    const std::string reason = m_session.AddSinger(name.trimmed().toStdString(), &id);
    Report(reason);
    if (!reason.empty()) return;
    m_name->clear();
    Refresh();
    SelectSinger(id);
}

void HostWindow::AddSongs(const QStringList& given) {
    const std::int64_t singer = SelectedSinger();
    if (singer == 0) return Report("HostChooseSinger");
    QStringList paths = given;
    if (paths.isEmpty()) {
        paths = m_hooks.chooseFiles
                    ? m_hooks.chooseFiles(QString())
                    : QFileDialog::getOpenFileNames(this, Tr("HostAddSongs", "Add songs..."));
    }
    std::string reason;
    bool offered = false;
    for (const QString& p : paths) {
        const std::string path = p.toStdString();
        QueueEntry e =
            EntryFromTags(path, m_hooks.readTags ? m_hooks.readTags(path) : std::nullopt);
        AddedSong added;
        reason = m_session.AddSong(singer, e, &added);
        if (!reason.empty()) break;
        offered = offered || added.offered;
    }
    Refresh();
    Report(reason);
    if (reason.empty() && offered)
        m_status->setText(Tr("HostKeyOffered", "Key and tempo as this singer sang it last time."));
}

void HostWindow::AddFound(const FoundSong& s) {
    const std::int64_t singer = SelectedSinger();
    if (singer == 0) return Report("HostChooseSinger");
    AddedSong added;
    const std::string reason =
        m_session.AddSong(singer, {0, s.path, s.artist, s.title, s.lengthMs, s.libraryId}, &added);
    Refresh();
    Report(reason);
    if (reason.empty() && added.offered)
        m_status->setText(Tr("HostKeyOffered", "Key and tempo as this singer sang it last time."));
}

void HostWindow::ToggleAway() {
    const Singer* s = m_session.Current().Find(SelectedSinger());
    if (!s) return Report("HostChooseSinger");
    Report(m_session.SetAway(s->id, !s->away));
    Refresh();
}

void HostWindow::SkipSelected() {
    const std::int64_t singer = SelectedSinger();
    if (singer == 0) return Report("HostChooseSinger");
    Report(m_session.Skip(singer));
    Refresh();
}

void HostWindow::RemoveSelected() {
    const std::int64_t singer = SelectedSinger(), entry = SelectedEntry();
    if (singer == 0) return Report("HostChooseSinger");
    Report(entry ? m_session.RemoveSong(singer, entry) : m_session.RemoveSinger(singer));
    Refresh();
}

void HostWindow::MoveSelected(int step) {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item) return Report("HostChooseSinger");
    const int index =
        item->parent() ? item->parent()->indexOfChild(item) : m_tree->indexOfTopLevelItem(item);
    MoveSelectedTo(index + step);
}

void HostWindow::MoveSelectedTo(int index) {
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item) return Report("HostChooseSinger");
    const auto to = static_cast<std::size_t>(std::max(0, index));
    Report(item->parent() ? m_session.MoveSong(SelectedSinger(), SelectedEntry(), to)
                          : m_session.MoveSinger(SelectedSinger(), to));
    Refresh();
}

void HostWindow::ChangeKey(int semitones, int tempoPercent) {
    const Singer* s = m_session.Current().Find(SelectedSinger());
    const std::int64_t entry = SelectedEntry();
    if (!s || entry == 0) return Report("HostChooseSong");
    // The session replaces the rotation: take the values before changing it.
    for (const QueueEntry& e : s->queue) {
        if (e.id != entry) continue;
        const int key = e.keyShift + semitones, tempo = e.tempoPercent + tempoPercent;
        Report(m_session.SetSongKey(s->id, entry, key, tempo));
        break;
    }
    Refresh();
}

void HostWindow::AnnounceNext() {
    m_status->clear();  // the break music may have its own word to say
    if (const std::string reason = m_show.SongEnded(NowMs()); !reason.empty()) Report(reason);
    m_phaseSinceMs = NowMs();
    m_timer.start();
    Refresh();
    RefreshHistory();  // the score of the song just sung
    OnTimer();
}

void HostWindow::StartNext() {
    Report(m_show.StartNow());
    Refresh();
    RefreshHistory();
    OnTimer();
}

void HostWindow::SkipAnnounced() {
    Report(m_show.SkipAnnounced(NowMs()));
    m_phaseSinceMs = NowMs();
    Refresh();
    OnTimer();
}

void HostWindow::StopShow() {
    m_show.Stop();
    m_timer.stop();
    if (m_hooks.showOverlay) m_hooks.showOverlay(QImage());
    m_joinShown.clear();
    ShowJoinBetweenSongs();
    Refresh();
}

bool HostWindow::TakeSongEnd() {
    if (m_show.Phase() != ShowPhase::Singing) return false;
    AnnounceNext();
    if (m_show.Phase() != ShowPhase::Announcing && m_hooks.stop) m_hooks.stop();
    return true;
}

std::string HostWindow::Load(const QueueEntry& entry) {
    if (!m_hooks.openPaused) return "HostNoPlayer";
    std::string reason = m_hooks.openPaused(entry.path);
    if (reason.empty() && m_hooks.setKeyAndTempo)
        m_hooks.setKeyAndTempo(entry.keyShift, entry.tempoPercent);
    return reason;
}

void HostWindow::Start() {
    if (m_hooks.play) m_hooks.play();
}

std::optional<int> HostWindow::TurnScore() {
    return m_hooks.turnScore ? m_hooks.turnScore() : std::nullopt;
}

void HostWindow::BreakMusic(bool on) {
    if (on && !m_break && m_hooks.makeBreakMusic) m_break = m_hooks.makeBreakMusic();
    if (!m_break) return;
    const std::string reason = m_break->Fade(on, m_session.Settings().breakMusic);
    if (!reason.empty()) Report(reason);
}

void HostWindow::OnTimer() {
    const ShowPhase before = m_show.Phase();
    // Started from the player rather than with F5: still this singer's turn.
    if (before == ShowPhase::Announcing && m_hooks.isPlaying && m_hooks.isPlaying())
        Report(m_show.PlayerStarted());
    m_show.Tick(NowMs());
    if (m_show.Phase() != before) {
        m_phaseSinceMs = NowMs();
        Refresh();
    }
    if (m_break) m_break->Step();
    const ShowView v = m_show.View(NowMs());
    ShowCard card;
    card.card = v.card;
    card.heading =
        Tr("HostNextSinger", "Next: %1").arg(QString::fromStdString(v.singer)).toStdString();
    card.title = v.title;
    const QString left = MinSec(v.secondsLeft * std::int64_t(1000));
    card.countdown = (v.autoStart         ? Tr("HostStartsIn", "Starts in %1").arg(left)
                      : v.secondsLeft > 0 ? left
                                          : Tr("HostReady", "Ready"))
                         .toStdString();
    if (!v.comingUp.empty()) {
        QStringList names;
        for (const auto& n : v.comingUp) names << QString::fromStdString(n);
        card.ticker =
            (Tr("HostComingUp", "Coming up:") + " " + names.join(QString::fromUtf8("  \u2022  ")))
                .toStdString();
        card.tickerOffset = (NowMs() - m_phaseSinceMs) * v.tickerSpeed / 1000.0;
    }
    const QSize size = m_hooks.overlaySize ? m_hooks.overlaySize() : QSize();
    AddJoinPanel(card, size);
    if (m_hooks.showOverlay) m_hooks.showOverlay(PaintShowOverlay(card, size));
    m_joinShown.clear();  // the join timer paints again once the show's timer stops
    if (m_show.Phase() == ShowPhase::Idle && !(m_break && m_break->Playing())) m_timer.stop();
}

void HostWindow::AddJoinPanel(ShowCard& card, QSize size) const {
    if (!m_requests->Serving() || size.isEmpty()) return;
    const bool playing = m_hooks.remainingMs && m_hooks.remainingMs() > 0;
    if (playing && !card.card) return;  // never over a song's lyrics
    card.joinQr = m_requests->JoinQr(JoinQrSide(size, card.card));
    card.joinAddress = m_requests->PageAddress();
    card.joinCode = Tr("HostRequestsCode", "Code: %1")
                        .arg(QString::fromStdString(m_requests->JoinCode()))
                        .toStdString();
}

void HostWindow::ShowJoinBetweenSongs() {
    // The waits count down while a song plays.
    m_requests->PublishStandings(m_hooks.remainingMs ? m_hooks.remainingMs() : 0);
    if (m_timer.isActive() || !m_hooks.showOverlay) return;  // the show's timer paints
    ShowCard card;
    const QSize size = m_hooks.overlaySize ? m_hooks.overlaySize() : QSize();
    AddJoinPanel(card, size);
    // Painted again only when it changes: the window keeps its picture.
    const QString shown = card.joinQr.isNull() ? QString()
                                               : QString("%1x%2 %3 %4")
                                                     .arg(size.width())
                                                     .arg(size.height())
                                                     .arg(QString::fromStdString(card.joinAddress),
                                                          QString::fromStdString(card.joinCode));
    if (shown == m_joinShown) return;
    m_joinShown = shown;
    m_hooks.showOverlay(PaintShowOverlay(card, size));
}

void HostWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void HostWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    if (!paths.isEmpty()) AddSongs(paths);
    event->acceptProposedAction();
}

}  // namespace cx
