// Up_Down: a text field with up and down buttons over a SpinnerValue. A held
// button repeats, faster the longer it is held. The owner may take the Up
// and Down arrow keys for itself (the editor's held correction).
#pragma once

#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <functional>

#include "editor/SpinnerValue.h"

namespace cx {

class TimeSpinner : public QWidget {
    Q_OBJECT
public:
    TimeSpinner(double min, double max, SpinnerValue::TimeFormat format, QWidget* parent = nullptr);

    double value() const { return m_value.Value(); }
    // Shows `v` without raising valueChanged (the owner set it).
    void setValue(double v);
    QString text() const { return m_edit->text(); }
    QLineEdit* Field() const { return m_edit; }
    QToolButton* UpButton() const { return m_up; }
    QToolButton* DownButton() const { return m_down; }

    // Arrow keys in the field go here instead (pressed = true on press,
    // false on release); return true when taken.
    std::function<bool(bool up, bool pressed)> onArrowKey;

signals:
    // The user changed the value (buttons, repeat or typing).
    void valueChanged(double value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Pressed(int direction);
    void Released();
    void RepeatTick();
    void Commit();
    void Show();

    SpinnerValue m_value;
    QLineEdit* m_edit;
    QToolButton* m_up;
    QToolButton* m_down;
    QTimer m_repeat;
    int m_direction = 0;
};

}  // namespace cx
