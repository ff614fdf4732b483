// A button that shows a colour (0x00BBGGRR) and lets the user choose another.
#pragma once

#include <QColorDialog>
#include <QPushButton>
#include <cstdint>
#include <functional>

namespace cx {

class ColourButton : public QPushButton {
public:
    explicit ColourButton(const QString& title, QWidget* parent = nullptr)
        : QPushButton(parent), m_title(title) {
        setMinimumWidth(90);
        connect(this, &QPushButton::clicked, this, [this] {
            const QColor c = QColorDialog::getColor(ToColor(m_colour), this, m_title);
            if (c.isValid()) SetColour(FromColor(c));
        });
        SetColour(0);
    }

    std::uint32_t Colour() const { return m_colour; }
    void SetColour(std::uint32_t colour) {
        m_colour = colour & 0xFFFFFFu;
        const QColor c = ToColor(m_colour);
        setText(c.name());
        const QColor ink = c.lightness() > 128 ? Qt::black : Qt::white;
        setStyleSheet(QStringLiteral("background-color: %1; color: %2;").arg(c.name(), ink.name()));
        if (onChanged) onChanged();
    }
    std::function<void()> onChanged;

    static QColor ToColor(std::uint32_t c) {
        return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                      static_cast<int>((c >> 16) & 0xFF));
    }
    static std::uint32_t FromColor(const QColor& c) {
        return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
               (static_cast<std::uint32_t>(c.blue()) << 16);
    }

private:
    QString m_title;
    std::uint32_t m_colour = 0;
};

}  // namespace cx
