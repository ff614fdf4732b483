// The song details dialog: the song's own title, colours, alignment, picture
// and picture timeline. Not modal: the karaoke window follows every change at
// once, Cancel puts the song's look back, OK keeps it and Save also writes it
// into the media file.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <array>
#include <functional>
#include <string>

#include "karaoke/KaraokeSettings.h"
#include "karaoke/SongDetails.h"
#include "lyrics/DisplayBlock.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace cx {

class PicEdit;

class Details : public QDialog {
    Q_OBJECT
public:
    using Lookup = std::function<std::string(const std::string& key)>;
    struct Hooks {
        // The karaoke window takes the look (every change, OK and Cancel).
        std::function<void(const SongLook&)> Apply;
        // Writes the block into the open song; false when it was refused (the
        // hook has told the user why).
        std::function<bool(const DisplayBlock&)> Save;
        // A message to the user; a message box when empty.
        std::function<void(const QString& text)> Message;
        // The open-picture dialog; a file dialog when empty.
        std::function<QString(const QString& title, const QString& filter)> ChoosePicture;
        // Questions of the picture editor; a message box when empty.
        std::function<bool(const QString& title, const QString& text)> Ask;
    };

    Details(const SongLook& look, const KaraokeSettings& settings, Lookup translate, Hooks hooks,
            QWidget* parent = nullptr);
    ~Details() override;

    // The controls as the block OK stores.
    DisplayBlock Block() const;
    // The song's code page choice (0: told from the text, else 1250, 28592, 1252).
    void ChooseCodepage(int number);

    // What the swatches show and take (a colour chooser sets them too).
    void SetColour(SongColour which, std::uint32_t colour);
    std::uint32_t Colour(SongColour which) const;
    bool ColourIsSetting(SongColour which) const;

    // Timeline rows, in list order.
    int TimelineRows() const;
    TimelinePicture TimelineRow(int row) const;
    // The picture editor for a new row (row -1) or for a row; not modal.
    PicEdit* OpenPictureEditor(int row);
    void RemoveTimelineRow(int row);
    // Shows a picture in the preview window; false (with the message) when
    // the file does not exist.
    bool PreviewPicture(const QString& path);

    // The buttons.
    void OK_Click();
    bool Save_Click();
    void reject() override;

private:
    QWidget* BuildGeneral();
    QWidget* BuildImages();
    QString Translate(const char* key) const;
    void Changed();
    void ShowSwatch(SongColour which);
    void ChooseColour(SongColour which);
    void BrowsePicture(QLineEdit* edit);
    void PutRow(QTreeWidgetItem* item, const TimelinePicture& picture);
    QImage PictureBefore(int row) const;
    void UpdateTimelineButtons();

    SongLook m_original;
    KaraokeSettings m_settings;
    Lookup m_translate;
    Hooks m_hooks;
    std::array<std::uint32_t, kSongColourCount> m_colours{};
    std::array<QPushButton*, kSongColourCount> m_swatches{};
    QLineEdit* m_artist = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_picPath = nullptr;
    QButtonGroup* m_alignment = nullptr;
    QButtonGroup* m_layout = nullptr;
    QComboBox* m_codepage = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPointer<PicEdit> m_editor;
    QPointer<QWidget> m_preview;
    bool m_loading = true;
    bool m_done = false;
};

}  // namespace cx
