#include "editor/gui/TimeSpinner.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace cx {

TimeSpinner::TimeSpinner(double min, double max, SpinnerValue::TimeFormat format, QWidget* parent)
    : QWidget(parent), m_value(min, max, format) {
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(12);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setFixedSize(16, 11);
        b->setFocusPolicy(Qt::NoFocus);
    }
    auto* buttons = new QVBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    buttons->addWidget(m_up);
    buttons->addWidget(m_down);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(m_edit);
    row->addLayout(buttons);

    m_repeat.setInterval(kSpinnerRepeatMs);
    connect(&m_repeat, &QTimer::timeout, this, &TimeSpinner::RepeatTick);
    connect(m_up, &QToolButton::pressed, this, [this] { Pressed(1); });
    connect(m_down, &QToolButton::pressed, this, [this] { Pressed(-1); });
    connect(m_up, &QToolButton::released, this, &TimeSpinner::Released);
    connect(m_down, &QToolButton::released, this, &TimeSpinner::Released);
    connect(m_edit, &QLineEdit::editingFinished, this, &TimeSpinner::Commit);
    m_edit->installEventFilter(this);
    Show();
}

void TimeSpinner::setValue(double v) {
    m_value.SetValue(v);
    Show();
}

void TimeSpinner::Show() {
    m_edit->setText(QString::fromStdString(m_value.Text()));
}

void TimeSpinner::Pressed(int direction) {
    m_direction = direction;
    if (m_value.Press(direction)) {
        Show();
        emit valueChanged(m_value.Value());
    }
    m_repeat.start();
}

void TimeSpinner::Released() {
    m_repeat.stop();
    m_direction = 0;
    m_value.Release();
}

void TimeSpinner::RepeatTick() {
    if (m_direction == 0) return m_repeat.stop();
    if (m_value.Repeat(m_direction)) {
        Show();
        emit valueChanged(m_value.Value());
    }
}

void TimeSpinner::Commit() {
    const double before = m_value.Value();
    m_value.SetText(m_edit->text().toStdString());
    Show();
    if (m_value.Value() != before) emit valueChanged(m_value.Value());
}

bool TimeSpinner::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool arrow = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
        if (arrow && onArrowKey) {
            if (key->isAutoRepeat()) return true;  // held: the owner's timer repeats
            return onArrowKey(key->key() == Qt::Key_Up, event->type() == QEvent::KeyPress);
        }
        if (arrow && event->type() == QEvent::KeyPress) {
            Pressed(key->key() == Qt::Key_Up ? 1 : -1);
            Released();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace cx
