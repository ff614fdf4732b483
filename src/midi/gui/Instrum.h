// The instrument picker: the 128 General MIDI programs in their sixteen
// families of eight, each family a submenu, the current program checked.
#pragma once

#include <QMenu>
#include <functional>
#include <string>

namespace cx {

inline constexpr int kGeneralMidiPrograms = 128;
inline constexpr int kProgramsPerFamily = 8;

// Name of General MIDI family `family` (0..15): "Piano", "Chromatic Percussion"...
std::string GeneralMidiFamily(int family);

class Instrum : public QMenu {
public:
    explicit Instrum(QWidget* parent = nullptr);

    // Fills the picker with the program names.
    void LoadPatches();
    // Checks the program shown as current.
    void SetCurrent(int program);
    int Current() const { return m_current; }
    // The item of a program (for tests and keyboard focus).
    QAction* ProgramAction(int program) const;

    // The user chose a program.
    std::function<void(int program)> onPick;

private:
    QAction* m_actions[kGeneralMidiPrograms] = {};
    int m_current = -1;
};

}  // namespace cx
