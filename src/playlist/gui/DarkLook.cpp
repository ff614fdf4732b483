#include "playlist/gui/DarkLook.h"

#include <QPalette>
#include <QWidget>

namespace cx {

void ApplyDarkLook(QWidget* window) {
    QPalette p = window->palette();
    const QColor base(0x1b, 0x1d, 0x22);
    const QColor panel(0x26, 0x29, 0x30);
    const QColor text(0xe4, 0xe6, 0xeb);
    const QColor accent(0x3d, 0x9b, 0xe9);
    p.setColor(QPalette::Window, panel);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, panel);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x31, 0x35, 0x3d));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, panel);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x8f, 0x99));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x70, 0x74, 0x7c));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x70, 0x74, 0x7c));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x70, 0x74, 0x7c));
    window->setPalette(p);
    window->setAutoFillBackground(true);
}

}  // namespace cx
