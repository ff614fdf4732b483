#include "midi/gui/MidiPanel.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "midi/gui/MidiIcons.h"
#include "midi/gui/Thumb.h"

namespace cx {

MidiPanel::MidiPanel(int channel, QWidget* parent) : QFrame(parent), m_channel(channel) {
    setFrameShape(QFrame::StyledPanel);
    const int em = fontMetrics().height();
    const QColor ink = palette().color(QPalette::WindowText);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(em / 5, em / 5, em / 5, em / 5);
    box->setSpacing(em / 5);

    m_onOff = new QToolButton(this);
    m_onOff->setCheckable(true);
    m_onOff->setChecked(true);
    m_onOff->setIcon(SpeakerIcon(ink));
    m_onOff->setText(QString::number(channel + 1));
    m_onOff->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_onOff->setAccessibleName(QStringLiteral("Channel %1 on").arg(channel + 1));
    m_onOff->setAutoRaise(true);
    connect(m_onOff, &QToolButton::toggled, this, [this](bool on) {
        if (channelEnabled) channelEnabled(m_channel, on);
    });

    m_volume = new Thumb(Qt::Vertical, 0, 127, kDefaultChannelVolume, this);
    m_volume->setMinimumHeight(em * 5);
    m_volume->setAccessibleName(QStringLiteral("Channel %1 volume").arg(channel + 1));
    m_volume->onMoved = [this](int v) {
        ShowNumbers();
        if (channelVolume) channelVolume(m_channel, v);
    };
    m_volumeText = new QLabel(this);
    m_volumeText->setAlignment(Qt::AlignCenter);

    m_balance = new Thumb(Qt::Horizontal, 0, 127, kCenterBalance, this);
    m_balance->setFixedWidth(em * 2 + em / 2);
    m_balance->setPageStep(16);
    m_balance->setAccessibleName(QStringLiteral("Channel %1 balance").arg(channel + 1));
    m_balance->onMoved = [this](int v) {
        ShowNumbers();
        if (channelBalance) channelBalance(m_channel, v);
    };

    m_instrument = new QToolButton(this);
    m_instrument->setIcon(NoteIcon(ink));
    m_instrument->setAccessibleName(QStringLiteral("Channel %1 instrument").arg(channel + 1));
    m_instrument->setAutoRaise(true);
    connect(m_instrument, &QToolButton::clicked, this, [this] {
        if (chooseInstrument) chooseInstrument(m_channel);
    });

    m_lock = new QToolButton(this);
    m_lock->setCheckable(true);
    m_lock->setIcon(LockIcon(ink));
    m_lock->setAutoRaise(true);
    m_lock->setAccessibleName(QStringLiteral("Channel %1 lock").arg(channel + 1));
    connect(m_lock, &QToolButton::toggled, this, [this](bool locked) {
        if (channelLocked) channelLocked(m_channel, locked);
    });

    box->addWidget(m_onOff, 0, Qt::AlignHCenter);
    box->addWidget(m_volume, 1, Qt::AlignHCenter);
    box->addWidget(m_volumeText);
    box->addWidget(m_balance, 0, Qt::AlignHCenter);
    box->addWidget(m_instrument, 0, Qt::AlignHCenter);
    box->addWidget(m_lock, 0, Qt::AlignHCenter);
    Reset();
}

void MidiPanel::Show(const ChannelRecord& record, int program, bool used) {
    {
        const QSignalBlocker a(m_onOff), b(m_lock);
        m_onOff->setChecked(record.Enabled);
        m_lock->setChecked(record.Locked);
    }
    m_volume->Show(record.Volume);
    m_balance->Show(record.Balance);
    m_instrument->setText(QString::number(program + 1));
    m_instrument->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    InstrumentTooltip(m_channel == kPercussionChannel
                          ? QStringLiteral("Percussion (%1)")
                                .arg(QString::fromStdString(GeneralMidiName(program)))
                          : QString::fromStdString(GeneralMidiName(program)));
    // Channels the song never plays stay usable but step back.
    m_onOff->setToolTip(used ? QString() : m_unusedTip);
    setEnabled(true);
    setProperty("used", used);
    ShowNumbers();
}

bool MidiPanel::GetEnabled() const {
    return m_onOff->isChecked();
}

bool MidiPanel::Locked() const {
    return m_lock->isChecked();
}

void MidiPanel::InstrumentTooltip(const QString& name) {
    m_instrument->setToolTip(name);
}

void MidiPanel::Reset() {
    Show(ChannelRecord{}, 0, false);
}

void MidiPanel::ShowNumbers() {
    m_volumeText->setText(QString::number(m_volume->value()));
    const int pan = m_balance->value() - kCenterBalance;
    m_balance->setToolTip(pan == 0 ? QStringLiteral("Centre")
                                   : (pan < 0 ? QStringLiteral("Left %1").arg(-pan)
                                              : QStringLiteral("Right %1").arg(pan)));
}

}  // namespace cx
