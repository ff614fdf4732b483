#include "midi/gui/Thumb.h"

#include <QKeyEvent>
#include <algorithm>

namespace cx {

Thumb::Thumb(Qt::Orientation orientation, int minimum, int maximum, int rest, QWidget* parent)
    : QSlider(orientation, parent), m_rest(rest) {
    setRange(minimum, maximum);
    setSingleStep(1);
    setPageStep(std::max(1, (maximum - minimum) / 8));
    setValue(rest);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QSlider::valueChanged, this, [this](int value) {
        if (!m_showing && onMoved) onMoved(value);
    });
}

void Thumb::Show(int value) {
    m_showing = true;
    setValue(value);
    m_showing = false;
}

void Thumb::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home) {
        setValue(m_rest);
        event->accept();
        return;
    }
    QSlider::keyPressEvent(event);
}

void Thumb::mouseDoubleClickEvent(QMouseEvent* event) {
    setValue(m_rest);
    event->accept();
}

}  // namespace cx
