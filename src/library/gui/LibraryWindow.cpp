#include "library/gui/LibraryWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "library/gui/LibraryScanJob.h"

namespace cx {
namespace {

// Results shown for one search; typing more narrows them.
constexpr std::size_t kShownResults = 100;
// Watching every subfolder of a large tree costs a descriptor each.
constexpr int kMaxWatchedFolders = 2000;
constexpr int kSettleMs = 2000;
constexpr int kIdRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kMissingRole = Qt::UserRole + 2;
constexpr const char* kPatternKeys[kNamePatternCount] = {
    "LibraryPatternAuto", "LibraryPatternArtistTitle", "LibraryPatternDiscArtistTitle",
    "LibraryPatternTitleArtist"};

QString Clock(std::int64_t ms) {
    const std::int64_t s = (ms + 500) / 1000;
    return QString("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
}

const char* KindKey(LibrarySongKind kind) {
    switch (kind) {
        case LibrarySongKind::Cdg:
            return "LibraryKindCdg";
        case LibrarySongKind::Midi:
            return "LibraryKindMidi";
        case LibrarySongKind::Audio:
            break;
    }
    return "LibraryKindAudio";
}

}  // namespace

LibraryWindow::LibraryWindow(std::string databasePath, Hooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window), m_hooks(std::move(hooks)), m_library(databasePath) {
    setWindowTitle(Tr("LibraryTitle"));
    BuildControls();
    if (!m_library.Open()) {
        m_openProblem = Tr(m_library.Note().Key.c_str()) + "\n" +
                        QString::fromStdString(m_library.DatabasePath());
    }
    if (m_library.Note()) {
        m_status->setText(Tr(m_library.Note().Key.c_str()) + " " +
                          QString::fromStdString(m_library.Note().Message));
    }
    m_job = new LibraryScanJob(databasePath, this);
    connect(m_job, &LibraryScanJob::Progress, this,
            [this](const QString&, qulonglong f, qulonglong s, qulonglong r) {
                ScanProgress(f, s, r);
            });
    connect(m_job, &LibraryScanJob::FolderDone, this,
            [this](const QString&, qulonglong s, qulonglong a, qulonglong u, qulonglong m,
                   const QString& e) { FolderDone(s, a, u, m, e); });
    connect(m_job, &LibraryScanJob::Finished, this, [this] {
        m_progress->hide();
        RefreshButtons();
    });
    m_changed.setSingleShot(true);
    m_changed.setInterval(kSettleMs);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString& dir) {
        for (const std::string& root : m_library.Folders()) {
            const QString folder = QString::fromStdString(root);
            if ((dir == folder || dir.startsWith(folder + '/')) &&
                !m_changedFolders.contains(folder))
                m_changedFolders.append(folder);
        }
        m_changed.start();
    });
    connect(&m_changed, &QTimer::timeout, this, [this] {
        m_job->Scan(m_changedFolders);
        m_changedFolders.clear();
        RefreshButtons();
    });
    if (m_library.IsOpen()) {
        m_pattern->setCurrentIndex(static_cast<int>(m_library.Pattern()));
        WatchFolders();
        if (!m_library.Note()) {
            m_status->setText(
                Tr("LibrarySongCount").arg(static_cast<qulonglong>(m_library.SongCount())));
        }
    }
    ShowResults();
    RefreshButtons();
}

LibraryWindow::~LibraryWindow() {
    // The scan thread ends before anything it reports to goes.
    delete m_job;
}

QString LibraryWindow::Tr(const char* key) const {
    return QString::fromStdString(m_hooks.translate ? m_hooks.translate(key) : key);
}

void LibraryWindow::BuildControls() {
    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(Tr("LibrarySearch"));
    m_search->setClearButtonEnabled(true);
    m_search->installEventFilter(this);
    m_results = new QTreeWidget(this);
    m_results->setHeaderLabels(
        {Tr("LibraryArtist"), Tr("LibraryTitleColumn"), Tr("LibraryKind"), Tr("LibraryLength")});
    m_results->setRootIsDecorated(true);
    m_results->setUniformRowHeights(true);
    m_results->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_results->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_results->installEventFilter(this);
    m_addFolder = new QPushButton(Tr("LibraryAddFolder"), this);
    m_rescan = new QPushButton(Tr("LibraryRescan"), this);
    m_play = new QPushButton(Tr("LibraryPlay"), this);
    m_toPlaylist = new QPushButton(Tr("LibraryAddToPlaylist"), this);
    m_pattern = new QComboBox(this);
    for (const char* key : kPatternKeys) m_pattern->addItem(Tr(key));
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 0);
    m_progress->hide();
    m_status = new QLabel(this);
    m_status->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_addFolder);
    buttons->addWidget(m_rescan);
    buttons->addWidget(new QLabel(Tr("LibraryPattern"), this));
    buttons->addWidget(m_pattern);
    buttons->addStretch();
    buttons->addWidget(m_toPlaylist);
    buttons->addWidget(m_play);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addWidget(m_results, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    resize(720, 480);

    connect(m_search, &QLineEdit::textChanged, this, [this] { ShowResults(); });
    connect(m_results, &QTreeWidget::itemActivated, this, [this] { PlayCurrent(); });
    connect(m_results, &QTreeWidget::itemSelectionChanged, this, [this] { RefreshButtons(); });
    connect(m_addFolder, &QPushButton::clicked, this, [this] { AddFolderDialog(); });
    connect(m_rescan, &QPushButton::clicked, this, [this] { Rescan(); });
    connect(m_play, &QPushButton::clicked, this, [this] { PlayCurrent(); });
    connect(m_toPlaylist, &QPushButton::clicked, this, [this] { AddCurrentToPlaylist(); });
    connect(m_pattern, &QComboBox::activated, this, [this](int index) {
        if (m_library.SetPattern(static_cast<NamePattern>(index))) Rescan();
    });
}

void LibraryWindow::SetLoudnessMeasurer(LoudnessMeasurer measurer) {
    m_job->SetLoudnessMeasurer(std::move(measurer));
}

void LibraryWindow::OpenWindow() {
    show();
    raise();
    activateWindow();
    m_search->setFocus();
    m_search->selectAll();
}

bool LibraryWindow::Scanning() const {
    return m_job->Running();
}

void LibraryWindow::AddFolderDialog() {
    // Window-modal and not waited for: a quit while it is open ends it.
    auto* dialog = new QFileDialog(this, Tr("LibraryChooseFolder"), QDir::homePath());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& f) { AddFolder(f); });
    dialog->open();
}

void LibraryWindow::AddFolder(const QString& folder) {
    if (!m_library.IsOpen() || folder.isEmpty()) return;
    if (!m_library.AddFolder(folder.toStdString())) return;
    WatchFolders();
    m_job->Scan({QDir(folder).absolutePath()});
    RefreshButtons();
}

void LibraryWindow::Rescan() {
    if (m_job->Running()) {
        m_job->Stop();
        return;
    }
    QStringList folders;
    for (const std::string& f : m_library.Folders()) folders.append(QString::fromStdString(f));
    m_job->Scan(folders);
    RefreshButtons();
}

void LibraryWindow::ScanProgress(qulonglong files, qulonglong songs, qulonglong read) {
    m_progress->show();
    m_status->setText(Tr("LibraryScanning").arg(files).arg(songs).arg(read));
}

void LibraryWindow::FolderDone(qulonglong songs, qulonglong added, qulonglong updated,
                               qulonglong missing, const QString& error) {
    QString text = Tr("LibraryScanDone").arg(songs).arg(added).arg(updated).arg(missing);
    if (!error.isEmpty()) text += "\n" + Tr("LibraryScanError") + " " + error;
    m_status->setText(text);
    WatchFolders();
    ShowResults();
}

void LibraryWindow::WatchFolders() {
    if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
    QStringList dirs;
    for (const std::string& root : m_library.Folders()) {
        const QString folder = QString::fromStdString(root);
        if (!QDir(folder).exists()) continue;
        dirs.append(folder);
        const auto subs = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& sub : subs) {
            if (dirs.size() >= kMaxWatchedFolders) break;
            dirs.append(folder + '/' + sub);
        }
    }
    if (!dirs.isEmpty()) m_watcher.addPaths(dirs);
}

QTreeWidgetItem* LibraryWindow::MakeItem(const LibrarySong& song) const {
    auto* item = new QTreeWidgetItem({QString::fromStdString(song.Artist),
                                      QString::fromStdString(song.Title), Tr(KindKey(song.Kind)),
                                      song.LengthMs > 0 ? Clock(song.LengthMs) : QString()});
    item->setData(0, kIdRole, QVariant::fromValue<qlonglong>(song.Id));
    item->setData(0, kPathRole, QString::fromStdString(song.Path));
    item->setData(0, kMissingRole, song.Missing);
    const QString tip = QString::fromStdString(song.Path) +
                        (song.Missing ? "\n" + Tr("LibraryMissing") : QString());
    for (int column = 0; column < 4; ++column) {
        item->setToolTip(column, tip);
        if (song.Missing)
            item->setForeground(column, palette().color(QPalette::Disabled, QPalette::Text));
    }
    return item;
}

void LibraryWindow::ShowResults() {
    m_results->clear();
    if (!m_library.IsOpen()) return;
    const QByteArray typed = m_search->text().toUtf8();
    for (const LibrarySong& song :
         m_library.Search(std::string_view(typed.constData(), typed.size()), kShownResults)) {
        QTreeWidgetItem* item = MakeItem(song);
        for (std::int64_t other : song.OtherVersions)
            if (const auto version = m_library.SongById(other)) item->addChild(MakeItem(*version));
        m_results->addTopLevelItem(item);
    }
    if (m_results->topLevelItemCount() > 0)
        m_results->setCurrentItem(m_results->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
    RefreshButtons();
}

QStringList LibraryWindow::CurrentPaths() const {
    QStringList paths;
    auto selected = m_results->selectedItems();
    if (selected.isEmpty() && m_results->currentItem()) selected.append(m_results->currentItem());
    for (const QTreeWidgetItem* item : selected)
        if (!item->data(0, kMissingRole).toBool())
            paths.append(item->data(0, kPathRole).toString());
    return paths;
}

void LibraryWindow::PlayCurrent() {
    const QStringList paths = CurrentPaths();
    if (paths.isEmpty()) {
        m_status->setText(Tr(m_results->currentItem() ? "LibraryMissing" : "LibraryNoSelection"));
        return;
    }
    if (m_hooks.play) m_hooks.play(paths.front());
}

void LibraryWindow::AddCurrentToPlaylist() {
    const QStringList paths = CurrentPaths();
    if (!paths.isEmpty() && m_hooks.addToPlaylist) m_hooks.addToPlaylist(paths);
}

void LibraryWindow::RefreshButtons() {
    const bool open = m_library.IsOpen();
    const bool hasFolders = open && !m_library.Folders().empty();
    const bool chosen = !CurrentPaths().isEmpty();
    const bool scanning = m_job && m_job->Running();
    const QString why = !open ? m_openProblem : QString();
    m_search->setEnabled(open);
    m_search->setToolTip(why);
    m_addFolder->setEnabled(open);
    m_addFolder->setToolTip(why);
    m_pattern->setEnabled(open && !scanning);
    m_pattern->setToolTip(!open ? why : scanning ? Tr("LibraryBusy") : QString());
    m_rescan->setText(Tr(scanning ? "LibraryStop" : "LibraryRescan"));
    m_rescan->setEnabled(hasFolders || scanning);
    m_rescan->setToolTip(!open ? why : hasFolders || scanning ? QString() : Tr("LibraryNoFolders"));
    for (QPushButton* button : {m_play, m_toPlaylist}) {
        button->setEnabled(chosen);
        button->setToolTip(!open ? why : chosen ? QString() : Tr("LibraryNoSelection"));
    }
}

bool LibraryWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Enter in the search box plays the first song; arrows walk the results.
    if (watched == m_search && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        PlayCurrent();
        return true;
    }
    if (watched == m_search && (key == Qt::Key_Down || key == Qt::Key_Up)) {
        m_results->setFocus();
        QApplication::sendEvent(m_results, event);
        return true;
    }
    if (watched == m_results && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        PlayCurrent();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace cx
