// The list's font and colours: normal, highlighted, playing and border.
#pragma once

#include <QDialog>
#include <array>

#include "playlist/DefaultCaptions.h"
#include "playlist/gui/FlatListPainter.h"

class QFontComboBox;
class QPushButton;
class QSpinBox;

namespace cx {

class PlaylistPrefsDialog : public QDialog {
public:
    PlaylistPrefsDialog(const FlatListLook& look, const TranslateFn& translate,
                        QWidget* parent = nullptr);

    // The look as the dialog shows it now.
    FlatListLook Look() const;
    // Fills the dialog with the defaults (the Reset button).
    void Reset();

private:
    void ShowSwatch(int which);
    void PickColour(int which);

    FlatListLook m_look;
    QFontComboBox* m_font = nullptr;
    QSpinBox* m_size = nullptr;
    std::array<QPushButton*, 4> m_swatches{};
};

}  // namespace cx
