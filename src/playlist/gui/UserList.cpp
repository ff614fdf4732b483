#include "playlist/gui/UserList.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "archive/ZipSong.h"
#include "playlist/FolderScan.h"

#include "playlist/LastList.h"
#include "playlist/PlaylistFile.h"
#include "playlist/SongFiles.h"
#include "playlist/WindowRect.h"
#include "playlist/gui/DarkLook.h"
#include "playlist/gui/PlaylistPrefsDialog.h"

namespace cx {
namespace {

constexpr const char* kSongPatterns =
    "*.mp3 *.ogg *.cdg *.mid *.midi *.kar *.rmi *.lrs *.lrc *.kok *.wav *.flac *.opus *.zip "
    "*.txt";

QToolButton* BarButton(const QString& text, const QString& tip, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

UserList::UserList(FlatListModel& model, TranslateFn translate, TagReaderFn reader, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_translate(std::move(translate)) {
    setWindowTitle(Tr("UserList"));
    ApplyDarkLook(this);
    m_list = new FlatListWidget(m_model, this);
    m_tags = new TagFiller(m_model, std::move(reader), this);
    m_status = new QLabel(this);
    m_status->setForegroundRole(QPalette::PlaceholderText);

    auto* add = BarButton(QStringLiteral("+"), Tr("DialogAddFiles"), this);
    auto* addFolder = BarButton(QString(), Tr("DialogAddFolder"), this);
    addFolder->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    auto* remove = BarButton(QStringLiteral("\u2212"), Tr("Remove"), this);
    auto* load = BarButton(Tr("LoadPlaylist"), Tr("LoadPlaylist"), this);
    auto* save = BarButton(Tr("SavePlaylist"), Tr("SavePlaylist"), this);
    auto* menu = BarButton(QStringLiteral("\u2261"), QString(), this);
    connect(add, &QToolButton::clicked, this, [this] { AddSongsDialog(); });
    connect(addFolder, &QToolButton::clicked, this, [this] { AddFolderDialog(); });
    connect(remove, &QToolButton::clicked, this, [this] { m_model.RemoveItem(); });
    connect(load, &QToolButton::clicked, this, [this] { LoadListDialog(); });
    connect(save, &QToolButton::clicked, this, [this] { SaveListDialog(); });
    connect(menu, &QToolButton::clicked, this,
            [this, menu] { PopupMenu(menu->mapToGlobal(QPoint(0, menu->height()))); });

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    for (auto* b : {add, addFolder, remove, load, save}) bar->addWidget(b);
    bar->addWidget(m_status, 1);
    bar->addWidget(menu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_list, 1);
    layout->addLayout(bar);

    m_list->onActivated = [this](int index) {
        if (onPlay) onPlay(index);
    };
    m_list->onFilesDropped = [this](const QStringList& files, int before) {
        InsertFiles(files, before);
    };
    m_list->onContextMenu = [this](const QPoint& pos) { PopupMenu(pos); };
    m_list->onRemove = [this] { m_model.RemoveItem(); };
    m_list->onChanged = [this] { UpdateStatus(); };
    const int em = fontMetrics().height();
    resize(em * 26, em * 24);
    UpdateStatus();
}

struct UserList::FolderJob {
    std::atomic<bool> cancel{false};
    std::thread thread;
    QProgressDialog* dialog = nullptr;
};

UserList::~UserList() {
    // The scan must not outlive the window it reports to.
    if (m_folderJob) {
        m_folderJob->cancel = true;
        if (m_folderJob->thread.joinable()) m_folderJob->thread.join();
    }
}

QString UserList::Tr(const char* key) const {
    return QString::fromStdString(Caption(m_translate, key));
}

int UserList::AddFiles(const QStringList& paths, bool readTags) {
    int first = -1;
    for (const QString& p : paths) {
        const std::string raw = QFileInfo(p).absoluteFilePath().toStdString();
        const std::string song = verifyFile ? verifyFile(raw) : MediaFileFor(raw);
        if (song.empty() || !IsAcceptedSongFile(song)) continue;
        const auto id = m_model.AddItem(BaseNameOf(song), "", song);
        if (id == 0) break;  // the list is full
        if (first < 0) first = m_model.ListCount() - 1;
        if (readTags) m_tags->Request(id, song);
    }
    m_note.clear();
    UpdateStatus();
    return first;
}

int UserList::InsertFiles(const QStringList& paths, int before) {
    const int first = AddFiles(paths);
    if (first < 0) return -1;
    std::vector<int> added;
    for (int i = first; i < m_model.ListCount(); ++i) added.push_back(i);
    m_model.MoveRowsTo(std::move(added), before);
    return std::min(first, before);
}

bool UserList::LoadList(const QString& path, QString* error) {
    const auto result = LoadPlaylistFile(path.toStdString(), m_codepage);
    if (result.entries.empty() && !result.error.empty()) {
        if (error) *error = QString::fromStdString(result.error);
        return false;
    }
    m_tags->Cancel();
    m_model.Clear();
    int missing = 0;
    for (const auto& e : result.entries) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(e.path, ec)) {
            ++missing;
            continue;
        }
        const auto id = m_model.AddItem(e.title.empty() ? BaseNameOf(e.path) : e.title,
                                        FormatListTime(e.seconds), e.path);
        if (id == 0) break;
        m_tags->Request(id, e.path);
    }
    m_note = missing > 0 ? Tr("PlaylistNotFound").arg(missing) : QString();
    UpdateStatus();
    return true;
}

bool UserList::SaveList(const QString& path, QString* error) {
    const std::string name = WithM3uExtension(path.toStdString());
    const std::string failure = SavePlaylistFile(name, EntriesOf(m_model), m_codepage);
    if (!failure.empty() && error) *error = QString::fromStdString(failure);
    return failure.empty();
}

void UserList::RememberFolder(const QString& file) {
    m_musicPath = QFileInfo(file).absolutePath();
    if (onMusicPathChanged) onMusicPathChanged(m_musicPath);
}

void UserList::AddSongsDialog() {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, QStringLiteral("CBX: ") + Tr("DialogAddFiles"), m_musicPath,
        Tr("FilterOpenAudio") + QStringLiteral(" (%1)").arg(kSongPatterns));
    if (files.isEmpty()) return;
    RememberFolder(files.front());
    AddFiles(files);
}

void UserList::AddFolderDialog() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("CBX: ") + Tr("DialogAddFolder"), m_musicPath);
    if (folder.isEmpty()) return;
    m_musicPath = folder;
    if (onMusicPathChanged) onMusicPathChanged(m_musicPath);
    AddFolder(folder);
}

void UserList::AddFolder(const QString& folder) {
    if (m_folderJob) return;
    m_folderJob = std::make_unique<FolderJob>();
    FolderJob* job = m_folderJob.get();
    job->dialog = new QProgressDialog(Tr("DialogAddFolder") + QStringLiteral(": ") + folder,
                                      Tr("Cancel"), 0, 0, this);
    job->dialog->setWindowTitle(QStringLiteral("Cantabilex"));
    job->dialog->setMinimumDuration(400);  // small folders finish before it shows
    job->dialog->setAutoClose(false);
    job->dialog->setAutoReset(false);
    connect(job->dialog, &QProgressDialog::canceled, this, [job] { job->cancel = true; });
    job->thread = std::thread([this, job, path = folder.toStdString()] {
        FolderScanHooks hooks;
        hooks.zipHoldsSong = [](const std::string& zip) { return ZipHoldsSong(zip); };
        hooks.progress = [this](std::size_t files, std::size_t songs) {
            QMetaObject::invokeMethod(
                this, [this, files, songs] { FolderProgress(files, songs); },
                Qt::QueuedConnection);
        };
        const FolderScanResult result = ScanSongFolder(path, job->cancel, hooks);
        QMetaObject::invokeMethod(
            this,
            [this, songs = result.Songs, cancelled = result.Cancelled,
             error = QString::fromStdString(result.Error)] {
                FolderScanned(songs, cancelled, error);
            },
            Qt::QueuedConnection);
    });
}

void UserList::FolderProgress(std::size_t files, std::size_t songs) {
    if (!m_folderJob || !m_folderJob->dialog) return;
    m_folderJob->dialog->setLabelText(QStringLiteral("%1\n%2 / %3")
                                          .arg(Tr("DialogAddFolder"))
                                          .arg(songs)
                                          .arg(files));
}

void UserList::FolderScanned(const std::vector<std::string>& songs, bool cancelled,
                             const QString& error) {
    if (!m_folderJob) return;
    if (m_folderJob->thread.joinable()) m_folderJob->thread.join();
    delete m_folderJob->dialog;
    m_folderJob.reset();
    int added = 0;
    if (!cancelled) {
        const int before = m_model.ListCount();
        QStringList paths;
        paths.reserve(static_cast<int>(songs.size()));
        for (const std::string& s : songs) paths << QString::fromStdString(s);
        AddFiles(paths);
        added = m_model.ListCount() - before;
    }
    if (!error.isEmpty()) QMessageBox::warning(this, QStringLiteral("Cantabilex"), error);
    if (onFolderAdded) onFolderAdded(added);
}

void UserList::LoadListDialog() {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("CBX: ") + Tr("LoadPlaylist"), m_musicPath,
        Tr("FilterPlaylist") + QStringLiteral(" (*.m3u *.m3u8 *.pls)"));
    if (file.isEmpty()) return;
    RememberFolder(file);
    QString error;
    if (!LoadList(file, &error)) QMessageBox::warning(this, QStringLiteral("Cantabilex"), error);
}

void UserList::SaveListDialog() {
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("CBX: ") + Tr("SavePlaylist"), m_musicPath,
        Tr("FilterPlaylist") + QStringLiteral(" (*.m3u)"));
    if (file.isEmpty()) return;
    RememberFolder(file);
    QString error;
    if (!SaveList(file, &error)) QMessageBox::warning(this, QStringLiteral("Cantabilex"), error);
}

void UserList::ShowPrefs() {
    PlaylistPrefsDialog dialog(Look(), m_translate, this);
    if (dialog.exec() != QDialog::Accepted) return;
    SetLook(dialog.Look());
    if (onLookChanged) onLookChanged(Look());
}

void UserList::LoadLastList(const QString& folder) {
    const auto result = ::cx::LoadLastList(folder.toStdString());
    m_model.Clear();
    AppendEntries(m_model, result.entries);
    m_tags->FindMissing();
    UpdateStatus();
    if (!result.error.empty()) {
        // Not modal: the player is starting; the list was kept aside.
        const QString text = QString::fromStdString(result.error);
        std::fprintf(stderr, "cantabilex: %s\n", text.toLocal8Bit().constData());
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Cantabilex"), text,
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    }
}

QString UserList::SaveLastList(const QString& folder) const {
    return QString::fromStdString(::cx::SaveLastList(folder.toStdString(), m_model));
}

QString UserList::PositionText() const {
    const QRect g = geometry();
    return QString::fromStdString(FormatWindowRect({g.x(), g.y(), g.width(), g.height()}));
}

void UserList::ApplyPosition(const QString& text) {
    const auto rect = ParseWindowRect(text.toStdString());
    if (rect) setGeometry(rect->left, rect->top, rect->width, rect->height);
}

void UserList::PopupMenu(const QPoint& globalPos) {
    QMenu menu(this);
    const auto item = [&](const char* key, const char* shortcut, auto action) {
        QAction* a =
            menu.addAction(QString::fromStdString(SetMenu(Caption(m_translate, key), shortcut)));
        connect(a, &QAction::triggered, this, action);
        return a;
    };
    const int focus = m_model.ListIndex() >= 0 ? m_model.ListIndex() : m_model.FirstSelected();
    item("Play", "X", [this, focus] {
        if (focus >= 0 && onPlay) onPlay(focus);
    })->setEnabled(focus >= 0);
    item("FileInfo", "Alt+3", [this, focus] {
        if (focus >= 0 && onFileInfo) onFileInfo(focus);
    })->setEnabled(focus >= 0);
    menu.addSeparator();
    item("Remove", "Del", [this] { m_model.RemoveItem(); });
    item("RemoveAll", "", [this] {
        m_tags->Cancel();
        m_model.Clear();
    });
    menu.addSeparator();
    item("SelectAll", "Ctrl+A", [this] { m_model.SelectAll(); });
    item("SelectReverse", "", [this] { m_model.ReverseSelection(); });
    item("SelectNone", "", [this] { m_model.SelectNone(); });
    const bool any = m_model.FirstSelected() >= 0;
    item("MoveUp", "Ctrl+Up", [this] { m_model.MoveSelected(-1); })->setEnabled(any);
    item("MoveDown", "Ctrl+Down", [this] { m_model.MoveSelected(1); })->setEnabled(any);
    menu.addSeparator();
    item("SortAsc", "", [this] { m_model.SortFlatList(SortOrder::Ascending); });
    item("SortDesc", "", [this] { m_model.SortFlatList(SortOrder::Descending); });
    item("SortRandom", "", [this] {
        std::mt19937 rng{std::random_device{}()};
        m_model.SortRandom(rng);
    });
    menu.addSeparator();
    item("DialogAddFiles", "", [this] { AddSongsDialog(); });
    item("DialogAddFolder", "", [this] { AddFolderDialog(); })->setEnabled(!AddingFolder());
    item("SavePlaylist", "", [this] { SaveListDialog(); });
    item("LoadPlaylist", "", [this] { LoadListDialog(); });
    item("PlaylistDisplay", "", [this] { ShowPrefs(); });
    menu.addSeparator();
    item("Close", "", [this] { hide(); });
    menu.exec(globalPos);
}

void UserList::keyPressEvent(QKeyEvent* event) {
    if (onOtherKey && onOtherKey(event)) return;
    QWidget::keyPressEvent(event);
}

void UserList::closeEvent(QCloseEvent* event) {
    // Closing only hides the list; it lives as long as the player.
    event->ignore();
    hide();
}

void UserList::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (onVisibilityChanged && !event->spontaneous()) onVisibilityChanged(true);
}

void UserList::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (onVisibilityChanged && !event->spontaneous()) onVisibilityChanged(false);
}

void UserList::UpdateStatus() {
    QString text = QStringLiteral("%1").arg(m_model.ListCount());
    if (!m_note.isEmpty()) text += QStringLiteral(" \u00b7 ") + m_note;
    m_status->setText(text);
}

}  // namespace cx
