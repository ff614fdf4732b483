// The picture editor: one picture of a song's timeline with its time, its
// transition effect, variant and speed, and a small preview that plays the
// effect from the picture before to this one. Not modal.
#pragma once

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <functional>
#include <string>

#include "karaoke/KaraokeSettings.h"
#include "karaoke/Transitions.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTimeEdit;
class QTreeWidget;

namespace cx {

class PicEdit : public QDialog {
    Q_OBJECT
public:
    using Lookup = std::function<std::string(const std::string& key)>;
    struct Hooks {
        // The entry as OK takes it (Add appends it, Edit replaces the row).
        std::function<void(const TimelinePicture&)> Accepted;
        // OK / Cancel question; a message box when empty.
        std::function<bool(const QString& title, const QString& text)> Ask;
        // The open-picture dialog; a file dialog when empty.
        std::function<QString(const QString& title, const QString& filter)> ChoosePicture;
    };

    PicEdit(const TimelinePicture& initial, bool editing, const QImage& previous, Lookup translate,
            Hooks hooks, QWidget* parent = nullptr);

    TimelinePicture Values() const;
    void SetPath(const QString& path);
    void SetTime(int seconds);
    void SetSpeed(int speed);
    // Chooses an effect in the tree and one of its variants; false for a name
    // the tree does not hold.
    bool SetEffect(const std::string& effect, const std::string& variant = {});
    void ClearEffect();
    // The variants the list offers for the chosen effect, by their stored names.
    QStringList Variants() const;

    // Plays the effect in the preview; the frames come on a timer.
    void PlayPreview();
    bool PreviewRunning() const { return m_frameTimer.isActive(); }
    int PreviewFrameCount() const { return m_frame; }
    QImage PreviewImage() const { return m_shown; }

    // OK: the checks, then the entry is taken. True when the editor closed.
    bool OK_Click();

private:
    QString Translate(const char* key) const;
    // What an effect, variant or group name is shown as; the name when untranslated.
    QString NameCaption(const std::string& name, bool group = false) const;
    bool Ask(const QString& text);
    void EffectChosen();
    void NextFrame();
    void ShowFrame(const QImage& frame);

    Lookup m_translate;
    Hooks m_hooks;
    QImage m_previous;
    QLineEdit* m_path = nullptr;
    QTimeEdit* m_time = nullptr;
    QTreeWidget* m_tree = nullptr;
    QComboBox* m_variant = nullptr;
    QSpinBox* m_speed = nullptr;
    QLabel* m_preview = nullptr;
    QLabel* m_effectName = nullptr;
    std::string m_effect;

    QTimer m_frameTimer;
    QImage m_from, m_to, m_shown;
    TransitionSpec m_spec;
    int m_frame = 0;
    int m_steps = 0;
};

}  // namespace cx
