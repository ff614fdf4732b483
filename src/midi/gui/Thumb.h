// A slider with a rest position: arrow keys move it a step, Page keys a
// bigger one, Home and a double click bring it back to rest.
#pragma once

#include <QSlider>
#include <functional>

namespace cx {

class Thumb : public QSlider {
public:
    Thumb(Qt::Orientation orientation, int minimum, int maximum, int rest,
          QWidget* parent = nullptr);

    int Rest() const { return m_rest; }
    // Moves without telling anyone: the window shows a value it did not cause.
    void Show(int value);
    // Told of every move the user makes (drag, keys, wheel, double click).
    std::function<void(int value)> onMoved;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_rest;
    bool m_showing = false;
};

}  // namespace cx
