// The file information dialog: a song's path and technical facts, and its
// ID3v1 and ID3v2 tags side by side, each written when its box is ticked.
// MIDI songs and audio kinds whose tags are not written here show the facts only.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "lyrics/Mp3Class.h"
#include "platform/Codepage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace cx {

// The save error texts, by SaveId3Tag result.
inline constexpr const char* kSaveErrorTitle = "CBX: Save error";
const char* SaveTagErrorText(int code);

class FileInfoDialog : public QDialog {
    Q_OBJECT
public:
    using Lookup = std::function<std::string(const std::string& key)>;
    struct Hooks {
        // The tags were written: the playlist shows the song anew.
        std::function<void(const std::string& path)> Saved;
        // An error or warning message; a message box when empty.
        std::function<void(const QString& title, const QString& text)> Error;
        // Reads a MIDI file's title, artist and length.
        MidiInspector Midi;
    };

    FileInfoDialog(const std::string& path, Codepage cp, Lookup translate, Hooks hooks,
                   QWidget* parent = nullptr);

    // Column 1 is ID3v1, column 2 ID3v2.
    TagValues Values(int column) const;
    void SetValues(int column, const TagValues& values);
    void SetWrite(int column, bool write);
    bool TagsEditable() const { return m_editable; }
    QString Facts() const;

    // IDBtn: the ID3v2 values into the ID3v1 column.
    void CopyTags();
    // Writes the ticked tags; the SaveId3Tag result. Closes on success, after
    // a warning when the ID3v1 code page could not hold some text. A track
    // that is not a number is refused with a message.
    int Save_Click();

private:
    struct Column {
        std::array<QLineEdit*, 6> Fields{};  // title, artist, album, year, comment, track
        QComboBox* Genre = nullptr;
        QCheckBox* Write = nullptr;
    };
    QString Translate(const char* key, const char* fallback) const;
    void Tell(const QString& title, const QString& text, bool error);
    QWidget* BuildColumn(int column);

    std::string m_path;
    Codepage m_cp;
    Lookup m_translate;
    Hooks m_hooks;
    MP3Info m_info;
    bool m_editable = false;
    QPlainTextEdit* m_facts = nullptr;
    std::array<Column, 2> m_columns{};
};

}  // namespace cx
