#include "playlist/gui/PlaylistPrefsDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace cx {
namespace {

// The four swatches in their order: normal, highlighted, playing, border.
template <typename Look>
auto& ColourOf(Look& look, int which) {
    switch (which) {
        case 0:
            return look.fore;
        case 1:
            return look.selected;
        case 2:
            return look.playing;
        default:
            return look.border;
    }
}

}  // namespace

PlaylistPrefsDialog::PlaylistPrefsDialog(const FlatListLook& look, const TranslateFn& translate,
                                         QWidget* parent)
    : QDialog(parent), m_look(look) {
    const auto tr = [&](const char* key) {
        return QString::fromStdString(Caption(translate, key));
    };
    setWindowTitle(tr("ListOptionCaption"));
    auto* layout = new QVBoxLayout(this);
    auto* fontForm = new QFormLayout;
    m_font = new QFontComboBox(this);
    m_size = new QSpinBox(this);
    m_size->setRange(6, 48);
    fontForm->addRow(tr("ListFontName"), m_font);
    fontForm->addRow(tr("ListFontSize"), m_size);
    layout->addLayout(fontForm);

    auto* colours = new QGroupBox(tr("ListColors"), this);
    auto* colourForm = new QFormLayout(colours);
    const char* keys[] = {"ListNormal", "ListHighlighted", "ListPlaying", "ListBorder"};
    for (int i = 0; i < 4; ++i) {
        m_swatches[static_cast<std::size_t>(i)] = new QPushButton(colours);
        m_swatches[static_cast<std::size_t>(i)]->setMinimumWidth(fontMetrics().height() * 4);
        connect(m_swatches[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { PickColour(i); });
        colourForm->addRow(tr(keys[i]), m_swatches[static_cast<std::size_t>(i)]);
    }
    layout->addWidget(colours);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Reset, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Reset), &QPushButton::clicked, this,
            [this] { Reset(); });
    layout->addWidget(buttons);

    m_font->setCurrentFont(m_look.Font());
    m_size->setValue(m_look.Font().pointSize() > 0 ? m_look.Font().pointSize() : 10);
    for (int i = 0; i < 4; ++i) ShowSwatch(i);
}

FlatListLook PlaylistPrefsDialog::Look() const {
    FlatListLook look = m_look;
    // The system's font left as it was stays "the system's font".
    const QString family = m_font->currentFont().family();
    if (!(m_look.fontName.isEmpty() && family == QFont().family())) look.fontName = family;
    look.fontSize = m_size->value();
    return look;
}

void PlaylistPrefsDialog::Reset() {
    const FlatListLook defaults;
    for (int i = 0; i < 4; ++i) {
        ColourOf(m_look, i) = ColourOf(defaults, i);
        ShowSwatch(i);
    }
    m_font->setCurrentFont(defaults.Font());
    m_size->setValue(defaults.Font().pointSize() > 0 ? defaults.Font().pointSize() : 10);
}

void PlaylistPrefsDialog::ShowSwatch(int which) {
    const QColor c = ColourOf(m_look, which);
    m_swatches[static_cast<std::size_t>(which)]->setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid #888;").arg(c.name()));
}

void PlaylistPrefsDialog::PickColour(int which) {
    const QColor chosen = QColorDialog::getColor(ColourOf(m_look, which), this);
    if (!chosen.isValid()) return;
    ColourOf(m_look, which) = chosen;
    ShowSwatch(which);
}

}  // namespace cx
