#include "midi/gui/Instrum.h"

#include <QActionGroup>

#include "midi/MidiChannels.h"

namespace cx {

std::string GeneralMidiFamily(int family) {
    static const char* const kFamilies[kGeneralMidiPrograms / kProgramsPerFamily] = {
        "Piano",         "Chromatic Percussion",
        "Organ",         "Guitar",
        "Bass",          "Strings",
        "Ensemble",      "Brass",
        "Reed",          "Pipe",
        "Synth Lead",    "Synth Pad",
        "Synth Effects", "Ethnic",
        "Percussive",    "Sound Effects"};
    return family >= 0 && family < 16 ? kFamilies[family] : "";
}

Instrum::Instrum(QWidget* parent) : QMenu(parent) {
    LoadPatches();
}

void Instrum::LoadPatches() {
    clear();
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (int family = 0; family < kGeneralMidiPrograms / kProgramsPerFamily; ++family) {
        QMenu* sub = addMenu(QString::fromStdString(GeneralMidiFamily(family)));
        for (int k = 0; k < kProgramsPerFamily; ++k) {
            const int program = family * kProgramsPerFamily + k;
            QAction* a = sub->addAction(QStringLiteral("%1  %2")
                                            .arg(program + 1)
                                            .arg(QString::fromStdString(GeneralMidiName(program))));
            a->setCheckable(true);
            a->setData(program);
            group->addAction(a);
            connect(a, &QAction::triggered, this, [this, program] {
                m_current = program;
                if (onPick) onPick(program);
            });
            m_actions[program] = a;
        }
    }
    SetCurrent(m_current);
}

void Instrum::SetCurrent(int program) {
    m_current = program;
    if (program >= 0 && program < kGeneralMidiPrograms && m_actions[program])
        m_actions[program]->setChecked(true);
}

QAction* Instrum::ProgramAction(int program) const {
    return program >= 0 && program < kGeneralMidiPrograms ? m_actions[program] : nullptr;
}

}  // namespace cx
