// The playlist window: the list control, adding songs, loading and saving
// playlists, the popup menu and the list's look.
#pragma once

#include <QLabel>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "playlist/DefaultCaptions.h"
#include "playlist/FlatListModel.h"
#include "playlist/gui/FlatListWidget.h"
#include "playlist/gui/ItemTags.h"
#include "playlist/gui/TagFiller.h"

class QMenu;

namespace cx {

// Settings value of the window's place.
inline constexpr const char* kUserListPositionKey = "userlist position";

class UserList : public QWidget {
public:
    UserList(FlatListModel& model, TranslateFn translate = {}, TagReaderFn reader = {},
             QWidget* parent = nullptr);
    ~UserList() override;

    FlatListWidget* List() { return m_list; }
    FlatListModel& Model() { return m_model; }
    TagFiller& Tags() { return *m_tags; }

    // Adds songs; lyrics and CD+G files are mapped to their songs, others are
    // ignored. Returns the index of the first added item, or -1.
    int AddFiles(const QStringList& paths, bool readTags = true);
    // The same, the added songs standing before item `before` (files dropped
    // between two items).
    int InsertFiles(const QStringList& paths, int before);
    // Reads an M3U or PLS file into the list, replacing it. Entries whose file
    // is missing are left out. False (with a reason) when the file cannot be read.
    bool LoadList(const QString& path, QString* error = nullptr);
    // Writes the list as M3U; ".m3u" is added when the name lacks it.
    bool SaveList(const QString& path, QString* error = nullptr);

    // Adds the songs under a folder and its subfolders (MP3+G pairs and zipped
    // songs as one entry each). The folder is scanned on a worker thread with
    // a progress dialog, so the window keeps working; one folder at a time.
    void AddFolder(const QString& folder);
    bool AddingFolder() const { return m_folderJob != nullptr; }
    // Called when a folder's songs are in the list (with how many were added).
    std::function<void(int added)> onFolderAdded;

    // The dialogs: add songs or a folder, load and save a playlist, list display.
    void AddSongsDialog();
    void AddFolderDialog();
    void LoadListDialog();
    void SaveListDialog();
    void ShowPrefs();

    // The list kept between runs ("Cantabilex.ini" in `folder`); read without
    // tags. Entries whose file is gone are marked once a worker has looked.
    void LoadLastList(const QString& folder);
    QString SaveLastList(const QString& folder) const;

    // "userlist position": left, top, width, height.
    QString PositionText() const;
    void ApplyPosition(const QString& text);

    void SetLook(const FlatListLook& look) { m_list->SetLook(look); }
    const FlatListLook& Look() const { return m_list->Look(); }
    void SetMusicPath(const QString& folder) { m_musicPath = folder; }
    const QString& MusicPath() const { return m_musicPath; }
    void SetCodepage(Codepage cp) { m_codepage = cp; }

    // Play this item (double click, Enter, "Play").
    std::function<void(int index)> onPlay;
    // Keys the list does not use (the player's letters and digits).
    std::function<bool(QKeyEvent* event)> onOtherKey;
    // "FileInfo" for the focus item.
    std::function<void(int index)> onFileInfo;
    // The look changed in the display dialog (to store it in the settings).
    std::function<void(const FlatListLook& look)> onLookChanged;
    // The folder the file dialogs ended in.
    std::function<void(const QString& folder)> onMusicPathChanged;
    // The window was shown or hidden by the user.
    std::function<void(bool visible)> onVisibilityChanged;
    // Maps a lyrics or CD+G path to its song; MediaFileFor unless replaced.
    std::function<std::string(const std::string& path)> verifyFile;

    void PopupMenu(const QPoint& globalPos);
    // The status line under the list.
    QString StatusText() const { return m_status->text(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString Tr(const char* key) const;
    void RememberFolder(const QString& file);
    void UpdateStatus();
    struct FolderJob;
    void FolderProgress(std::size_t files, std::size_t songs);
    void FolderScanned(const std::vector<std::string>& songs, bool cancelled, const QString& error);

    FlatListModel& m_model;
    TranslateFn m_translate;
    FlatListWidget* m_list = nullptr;
    TagFiller* m_tags = nullptr;
    QLabel* m_status = nullptr;
    QString m_musicPath;
    QString m_note;
    Codepage m_codepage = Codepage::Cp1252;
    std::unique_ptr<FolderJob> m_folderJob;
};

}  // namespace cx
