// The lyrics editor window ("EditorCaption"): the text editor, the piece list
// (LISTA), the piece editor and the menus. Its rules live in EditorDocument;
// the player is reached through the hooks and the document's PlayerLink.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "editor/EditorDocument.h"
#include "editor/HeldCorrection.h"
#include "lyrics/LrcFormat.h"
#include "platform/Codepage.h"

namespace cx {

class TimeSpinner;

// Registry value of the window's place: left, top, width, height.
inline constexpr const char* kEditorPositionValue = "editor position";
// Double-clicking a piece plays from this long before it.
inline constexpr double kReplayLeadSeconds = 2.0;

class Editor : public QMainWindow {
    Q_OBJECT
public:
    struct Hooks {
        std::function<std::string(const std::string& key)> translate;
        std::function<void()> play, pause, stop, about;
        std::function<void()> details;               // the song display settings window
        std::function<bool()> mediaOpen;             // a song is open in the player
        std::function<bool()> playerHasLyrics;       // the current song has pieces
        std::function<void(double seconds)> seekTo;  // the player's one seek path
        std::function<void()> openHelp;              // tutorial and support pages
        std::function<void(bool open)> openChanged;  // shown or closed
        std::function<void(const QFont&)> fontChanged;
        // Dialogs; tests answer them. Empty: the real dialogs.
        std::function<QString(const QString& title, const QString& filter, const QString& proposal,
                              bool save)>
            chooseFile;
        std::function<bool(const QString& text)> confirm;
        std::function<void(const QString& text, bool error)> message;
        std::function<std::optional<LrcFlavour>()> chooseLrcFlavour;
        // Milliseconds of a steady clock for the held correction; tests set it.
        std::function<std::int64_t()> nowMs;
    };

    Editor(PlayerLink link, Hooks hooks, Codepage codepage, QWidget* parent = nullptr);
    ~Editor() override;

    EditorDocument& Document() { return m_doc; }
    QTreeWidget* List() const { return m_list; }
    QPlainTextEdit* TextEditor() const { return m_text; }
    QLineEdit* PieceText() const { return m_pieceText; }
    QCheckBox* BreakBox() const { return m_break; }
    TimeSpinner* CorrectSpinner() const { return m_correct; }
    TimeSpinner* OffsetSpinner() const { return m_offset; }
    QPushButton* CaptureButton() const { return m_capture; }
    QAction* Action(const std::string& key) const;

    // Opens with the current song's lyrics (or none) and shows the window.
    void OpenWindow();
    // Refills the list from EditorPieces and shows piece 1 (or the selection).
    void Refill(int select = 1);
    int SelectedRow() const;
    void SelectRow(int row);

    // The commands, as the menus and keys run them.
    void Capture();
    void StartCorrection(HeldCorrection::Direction direction);
    void StopCorrection();
    void CorrectionTick();
    void ApplyOffset();
    void SplitText();
    void MergeText();
    void NewLyrics();
    void OpenLyrics();
    void OpenText();
    void SaveText();
    void ImportLyrics();
    void Save();
    void SaveAs();
    void ExportLrcFile();
    void ExportKokFile();
    void UpdateLyrics();
    void InsertLine();
    void AddNewLine();
    void ClearLyrics();
    void ShowDetails();

    // "editor position" as stored, and back.
    QString PositionText() const;
    void ApplyPosition(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildWidgets();
    void BuildMenus();
    void SetCaptions();
    std::string Tr(const std::string& key) const;
    QString TrQ(const std::string& key) const;
    void FillRow(QTreeWidgetItem* item, int row);
    void RefreshRow(int row);
    void RefreshRows();
    void MarkTimings();
    bool Ask(const QString& question);
    // Untimed or out-of-order rows: true when the user still wants to save.
    bool ConfirmTimings();
    void ShowPiece(int row);
    void UpdateStatus();
    void Message(const std::string& key, bool error, const std::string& detail = {});
    void Report(const struct EditorFileResult& r);
    QString ChooseFile(const std::string& titleKey, const QString& filter, const QString& proposal,
                       bool save);
    std::vector<int> SelectedRows() const;
    bool ListKey(QKeyEvent* key);
    bool IsCaptureKey(const QKeyEvent* key) const;
    void EditCommand(const std::string& key);
    void CopyRows(bool cut);
    void PasteRows();
    void ChooseFont();
    void SaveNow();
    std::int64_t NowMs() const;

    EditorDocument m_doc;
    Hooks m_hooks;
    Codepage m_codepage;
    HeldCorrection m_held;
    QTimer m_correctionTimer;
    QTimer m_actionTimer;  // runs the save into the media file after the menu returns
    std::vector<LyricPiece> m_rowClipboard;
    bool m_filling = false;

    QPlainTextEdit* m_text = nullptr;
    QLabel* m_textHeader = nullptr;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_pieceText = nullptr;
    QCheckBox* m_break = nullptr;
    TimeSpinner* m_correct = nullptr;
    TimeSpinner* m_offset = nullptr;
    QPushButton* m_doOffset = nullptr;
    QPushButton* m_capture = nullptr;
    QPushButton* m_detailsButton = nullptr;
    QLabel* m_statusMedia = nullptr;
    QLabel* m_statusPieces = nullptr;
    std::map<std::string, QAction*> m_actions;
    std::map<std::string, class QMenu*> m_menus;
};

// The LRC flavour dialog of the export: extended is preselected; nothing
// when closed without OK.
std::optional<LrcFlavour> AskLrcFlavour(QWidget* parent,
                                        const std::function<std::string(const std::string&)>& tr);

}  // namespace cx
