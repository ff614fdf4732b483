// The preferences dialog: every setting a user changes, in tabs. Not modal;
// Apply and OK hand the changed settings to the program, which shows them at
// once where its windows can and keeps them in the settings object.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ThemeClass.h"

class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace cx {

class RegistryStore;
class VoiceCalibration;

// Settings that their own parts read from the settings key when they need
// them, so they are written there as soon as they are applied.
struct PreferenceExtras {
    std::string Language;       // "language": empty (English), "pl" or "fr"
    std::string SoundFont;      // "soundfont": the SoundFont file to use first
    std::string MidiConverter;  // "midi converter": the command line of the converter
    std::string PitchEngine;    // "pitch engine": "soundtouch" or "rubberband"
};
PreferenceExtras ReadPreferenceExtras(const RegistryStore& store);
void WritePreferenceExtras(RegistryStore& store, const PreferenceExtras& extras);

// What the system offers to choose from.
struct PreferenceChoices {
    std::vector<std::string> AudioDevices;   // output devices; 0 is the system's default
    std::vector<std::string> RecordDevices;  // capture devices
    std::vector<std::string> Monitors;       // "Monitor 1 (primary)", ...
    std::vector<std::string> SoundFonts;     // the SoundFonts found, in port order
};

class Preferences : public QDialog {
    Q_OBJECT
public:
    using Lookup = std::function<std::string(const std::string& key)>;
    struct Hooks {
        // The settings as the dialog now holds them (Apply and OK).
        std::function<void(const ThemeClass&, const PreferenceExtras&)> Apply;
        // File and folder choosers; the common dialogs when empty.
        std::function<QString(const QString& title, const QString& filter)> ChooseFile;
        std::function<QString(const QString& title)> ChooseFolder;
        // A calibration of the voice's delay over the player's output, or
        // null with the reason when none can run.
        std::function<std::unique_ptr<VoiceCalibration>(std::string& error)> MakeCalibration;
        // A measured delay the user saved ("voice latency ms").
        std::function<void(int ms)> SaveLatency;
    };

    Preferences(const ThemeClass& settings, const PreferenceExtras& extras,
                const PreferenceChoices& choices, Lookup translate, Hooks hooks,
                QWidget* parent = nullptr);

    // The settings and extras as the controls hold them.
    ThemeClass Settings() const;
    PreferenceExtras Extras() const;
    // The controls of each stored value, named by the value ("karaoke font
    // size", or "karaoke outline color#2" for one part of a joined value).
    QList<QWidget*> SettingControls() const;
    QTabWidget* Tabs() const { return m_tabs; }

    void Apply_Click();
    void OK_Click();

private:
    struct Binding {
        QWidget* control;
        std::function<void(const ThemeClass&)> load;
        std::function<void(ThemeClass&)> store;
    };
    QString Translate(const char* key) const;
    QWidget* KaraokePage();
    QWidget* DisplayPage();
    QWidget* PicturePage();
    QWidget* PlaybackPage();
    QWidget* RecordingPage();
    QWidget* MidiPage();
    QWidget* PlaylistPage();
    QWidget* LanguagePage();
    QWidget* SingingPage();
    void OpenCalibration(QSpinBox* latency);
    void Bind(QWidget* control, std::function<void(const ThemeClass&)> load,
              std::function<void(ThemeClass&)> store);
    QWidget* PathRow(QLineEdit* edit, bool folder, const QString& filter);
    void UpdatePicturePreview();

    ThemeClass m_base;
    PreferenceExtras m_extras;
    PreferenceChoices m_choices;
    Lookup m_translate;
    Hooks m_hooks;
    std::vector<Binding> m_bindings;
    QTabWidget* m_tabs = nullptr;
    QLabel* m_picturePreview = nullptr;
    std::function<void(PreferenceExtras&)> m_storeExtras;
};

}  // namespace cx
