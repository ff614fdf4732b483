// The Library window: search as you type over the song library, play a song
// or add it to the playlist, add folders and rescan them on a worker thread.
// The folders are watched while the window exists and rescanned on change.
#pragma once

#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "library/SongLibrary.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace cx {

class LibraryScanJob;

class LibraryWindow : public QWidget {
public:
    struct Hooks {
        std::function<std::string(const std::string& key)> translate;
        std::function<void(const QString& path)> play;
        std::function<void(const QStringList& paths)> addToPlaylist;
    };

    LibraryWindow(std::string databasePath, Hooks hooks, QWidget* parent = nullptr);
    ~LibraryWindow() override;

    void SetLoudnessMeasurer(LoudnessMeasurer measurer);
    // Shows and raises the window, the search box ready for typing.
    void OpenWindow();

    // What the buttons do, for the keys and the tests.
    void AddFolder(const QString& folder);
    void AddFolderDialog();
    void Rescan();
    void PlayCurrent();
    void AddCurrentToPlaylist();

    QLineEdit* SearchBox() const { return m_search; }
    QTreeWidget* Results() const { return m_results; }
    QLabel* Status() const { return m_status; }
    bool Scanning() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString Tr(const char* key) const;
    void BuildControls();
    void ShowResults();
    QTreeWidgetItem* MakeItem(const LibrarySong& song) const;
    void RefreshButtons();
    void WatchFolders();
    void ScanProgress(qulonglong files, qulonglong songs, qulonglong read);
    void FolderDone(qulonglong songs, qulonglong added, qulonglong updated, qulonglong missing,
                    const QString& error);
    QStringList CurrentPaths() const;

    Hooks m_hooks;
    SongLibrary m_library;
    LibraryScanJob* m_job = nullptr;
    QFileSystemWatcher m_watcher;
    QTimer m_changed;  // folders settle before a rescan
    QStringList m_changedFolders;
    QString m_openProblem;  // why the library cannot be used

    QLineEdit* m_search = nullptr;
    QTreeWidget* m_results = nullptr;
    QPushButton* m_addFolder = nullptr;
    QPushButton* m_rescan = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_toPlaylist = nullptr;
    QComboBox* m_pattern = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
};

}  // namespace cx
