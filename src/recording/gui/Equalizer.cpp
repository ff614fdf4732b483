#include "recording/gui/Equalizer.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "playback/MediaControl.h"
#include "playback/VoiceEffects.h"
#include "recording/RecordingSettings.h"
#include "recording/VoiceDesk.h"

namespace cx {
namespace {

constexpr int kMeterMs = 50;
constexpr int kWatchMs = 250;
constexpr int kMeterMax = 32767;
// The meter's own capture: what the monitor shows needs no more.
constexpr RecordFormat kMonitorFormat{2, 22050};
const char* const kEffectKeys[] = {"", "Reverb", "Echo", "Chorus", "Flanger"};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

Equalizer::Equalizer(VoiceDesk& desk, MediaControl& media, ClsVolume& mixer, Translate translate,
                     QWidget* parent)
    : QWidget(parent), m_desk(desk), m_media(media), m_mixer(mixer), m_tr(std::move(translate)) {
    setObjectName("equalizer");
    Build();
    readVol();
    ReadEffects();
}

Equalizer::~Equalizer() {
    if (m_monitor) m_monitor->Stop();
}

QPushButton* Equalizer::Switch(const std::string& key) {
    auto* b = new QPushButton(Q(m_tr(key)), this);
    b->setCheckable(true);
    b->setObjectName(Q(key));
    return b;
}

void Equalizer::Build() {
    auto* grid = new QGridLayout(this);
    m_micro = Switch("Microphone");
    connect(m_micro, &QPushButton::toggled, this, [this](bool on) {
        m_desk.SetMicrophone(on);
        SetMicro(on);
    });
    m_left = new QProgressBar(this);
    m_right = new QProgressBar(this);
    for (QProgressBar* bar : {m_left, m_right}) {
        bar->setRange(0, kMeterMax);
        bar->setTextVisible(false);
    }
    m_left->setToolTip(Q(m_tr("MicrophoneMonitor")));
    m_remver = Switch("VocalRemover");
    m_remver->setObjectName("remver");
    connect(m_remver, &QPushButton::clicked, this,
            [this] { SetRemover(m_media.ToggleVocalRemover()); });

    auto slider = [this](Qt::Orientation o, int lo, int hi, const std::string& key) {
        auto* s = new QSlider(o, this);
        s->setRange(lo, hi);
        s->setToolTip(Q(m_tr(key)));
        s->setObjectName(Q(key));
        return s;
    };
    m_output = slider(Qt::Horizontal, 0, 100, "OutputVolume");
    connect(m_output, &QSlider::valueChanged, this,
            [this](int v) { m_mixer.SetPercent(MixerControl::Volume, v); });
    m_card = new QComboBox(this);
    m_card->setToolTip(Q(m_tr("RecordCard")));
    std::string error;
    m_cards = VoiceCapture::ListDevices(error);
    m_card->addItem(Q(m_tr("Default")).isEmpty() ? QStringLiteral("Default") : Q(m_tr("Default")));
    for (const auto& name : m_cards) m_card->addItem(Q(name));
    connect(m_card, &QComboBox::activated, this, [this](int i) { ChangeCard(i); });
    m_source = new QComboBox(this);
    m_source->setToolTip(Q(m_tr("RecordInput")));
    m_source->addItem(Q(m_tr("Microphone")));
    m_source->addItem(QStringLiteral("Capture"));
    connect(m_source, &QComboBox::activated, this, [this](int i) { ChangeSource(i); });
    m_recordLevel = slider(Qt::Horizontal, 0, 100, "RecordLevel");
    connect(m_recordLevel, &QSlider::valueChanged, this, [this](int v) { setRecordLevel(v); });
    m_midi = slider(Qt::Horizontal, 0, 100, "MidiVolume");
    connect(m_midi, &QSlider::valueChanged, this, [this](int v) { ChangeMidiVol(v); });

    // The thumb's top: 33 is loudest, so the slider runs upside down.
    m_voice = slider(Qt::Vertical, kVoiceThumbTop, kVoiceThumbBottom, "VoiceVolume");
    m_voice->setInvertedAppearance(true);
    m_voice->setInvertedControls(true);
    m_voice->setValue(m_desk.Settings().voiceThumb);
    connect(m_voice, &QSlider::valueChanged, this, [this](int top) {
        m_desk.Settings().voiceThumb = top;
        m_media.SetVoiceVolume(VoiceVolumeFromThumb(top));
    });
    m_synchro = slider(Qt::Horizontal, 0, kSynchroMax, "Synchronization");
    m_synchro->setValue(kSynchroRest);
    connect(m_synchro, &QSlider::valueChanged, this, [this](int p) { SetSynchro(p); });

    m_note = new QLabel(this);
    m_note->setObjectName("mixerNote");
    m_note->hide();

    // Each control carries its caption, so the panel reads without hovering.
    auto caption = [this](const std::string& key) { return new QLabel(Q(m_tr(key)), this); };
    const int meterHeight = fontMetrics().height() / 2;
    for (QProgressBar* bar : {m_left, m_right}) bar->setMaximumHeight(meterHeight);
    auto* meters = new QVBoxLayout;
    meters->setSpacing(2);
    meters->addWidget(m_left);
    meters->addWidget(m_right);
    grid->addWidget(caption("MicrophoneMonitor"), 0, 0);
    grid->addLayout(meters, 0, 1, 1, 2);
    grid->addWidget(m_micro, 0, 3);
    grid->addWidget(caption("OutputVolume"), 1, 0);
    grid->addWidget(m_output, 1, 1, 1, 2);
    grid->addWidget(m_remver, 1, 3);
    grid->addWidget(caption("RecordCard"), 2, 0);
    grid->addWidget(m_card, 2, 1, 1, 2);
    grid->addWidget(m_source, 2, 3);
    grid->addWidget(caption("RecordLevel"), 3, 0);
    grid->addWidget(m_recordLevel, 3, 1, 1, 3);
    grid->addWidget(caption("MidiVolume"), 4, 0);
    grid->addWidget(m_midi, 4, 1, 1, 3);
    grid->addWidget(caption("Synchronization"), 5, 0);
    grid->addWidget(m_synchro, 5, 1, 1, 3);
    grid->addWidget(m_voice, 0, 4, 6, 1, Qt::AlignHCenter);
    auto* effects = new QHBoxLayout;
    for (int k = 1; k <= kVoiceEffectCount; ++k) {
        QPushButton* b = Switch(kEffectKeys[k]);
        connect(b, &QPushButton::toggled, this,
                [this, k](bool on) { m_media.OnEffectSwitch(k, on); });
        m_effects[static_cast<std::size_t>(k)] = b;
        effects->addWidget(b);
    }
    grid->addLayout(effects, 6, 0, 1, 4);
    grid->addWidget(caption("VoiceVolume"), 6, 4, Qt::AlignHCenter);
    grid->addWidget(m_note, 7, 0, 1, 5);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    m_meterTimer = new QTimer(this);
    m_meterTimer->setInterval(kMeterMs);
    connect(m_meterTimer, &QTimer::timeout, this, &Equalizer::PollMeter);
    m_meterTimer->start();
    m_watch = new QTimer(this);
    m_watch->setInterval(kWatchMs);
    connect(m_watch, &QTimer::timeout, this, [this] {
        if (isVisible()) ReadEffects();
    });
    m_watch->start();
}

bool Equalizer::MixerControlsEnabled() const {
    return m_output->isEnabled();
}

QString Equalizer::MixerNote() const {
    return m_note->isVisible() || !m_note->isHidden() ? m_note->text() : QString();
}

void Equalizer::readVol() {
    const bool card = m_mixer.Open();
    for (QWidget* w : {static_cast<QWidget*>(m_output), static_cast<QWidget*>(m_recordLevel),
                       static_cast<QWidget*>(m_midi)})
        w->setEnabled(card);
    m_note->setText(card ? QString() : Q(m_tr("NoMixer")));
    m_note->setVisible(!card);
    if (!card) return;
    const QSignalBlocker b1(m_output), b2(m_recordLevel), b3(m_midi);
    m_output->setValue(m_mixer.Percent(MixerControl::Volume));
    m_recordLevel->setValue(m_mixer.Percent(MixerControl::Current));
    m_midi->setValue(m_mixer.Percent(MixerControl::Midi));
    m_output->setEnabled(m_mixer.Has(MixerControl::Volume));
    m_recordLevel->setEnabled(m_mixer.Has(MixerControl::Current));
    m_midi->setEnabled(m_mixer.Has(MixerControl::Midi));
}

void Equalizer::ReadEffects() {
    for (int k = 1; k <= kVoiceEffectCount; ++k) {
        QPushButton* b = m_effects[static_cast<std::size_t>(k)];
        const QSignalBlocker block(b);
        b->setChecked(m_media.VoiceEffects()[k].On);
    }
    if (m_micro->isChecked() != m_desk.MicrophoneOn()) SetMicro(m_desk.MicrophoneOn());
    SetRemover(m_media.VocalCutOn());
    ShowCard();
}

void Equalizer::ShowCard() {
    const auto it = std::find(m_cards.begin(), m_cards.end(), m_desk.Settings().device);
    const int index = it == m_cards.end() ? 0 : static_cast<int>(it - m_cards.begin()) + 1;
    const QSignalBlocker block(m_card);
    m_card->setCurrentIndex(index);
}

int Equalizer::RecordDevice() const {
    return m_card->currentIndex() - 1;
}

void Equalizer::MuteMicro(bool value) {
    m_mixer.SetMicroOutMute(value);
}

void Equalizer::SetMicro(bool on) {
    {
        const QSignalBlocker block(m_micro);
        m_micro->setChecked(on);
    }
    if (!on) {
        if (m_monitor) m_monitor->Stop();
        m_monitor.reset();
        changeVolume(0, 0);
        return;
    }
    // While a take runs the meter reads the take's capture instead.
    if (m_monitor || m_desk.IsRecording()) return;
    m_monitor = std::make_unique<VoiceCapture>();
    std::string error;
    CaptureError kind = CaptureError::None;
    if (!m_monitor->Start(m_desk.Settings().device, kMonitorFormat, {}, error, kind)) {
        m_monitor.reset();
        m_left->setToolTip(Q(error));  // the meter stays still and says why
        // Nothing listens, so the switch must not look on.
        SetMicro(false);
        m_desk.MonitorFailed(error);
        return;
    }
    m_left->setToolTip(Q(m_tr("MicrophoneMonitor")));
}

void Equalizer::PollMeter() {
    if (m_desk.IsRecording() && m_monitor) {
        m_monitor->Stop();  // the device belongs to the take now
        m_monitor.reset();
    }
    VoiceCapture* source = m_desk.IsRecording() ? m_desk.Capture() : m_monitor.get();
    if (!source) return;
    bool any = false;
    source->ForEachBufferHead([this, &any](std::uint32_t frame) {
        m_meter.MonitorFrame(static_cast<std::int16_t>(frame & 0xFFFF),
                             static_cast<std::int16_t>(frame >> 16));
        any = true;
    });
    if (any) changeVolume(m_meter.Left(), m_meter.Right());
    if (!m_desk.IsRecording() && !m_monitor && m_desk.MicrophoneOn()) SetMicro(true);
}

void Equalizer::Monitor(const unsigned char* buffer, std::size_t length) {
    m_meter.Monitor(buffer, length);
    changeVolume(m_meter.Left(), m_meter.Right());
}

void Equalizer::changeVolume(int left, int right) {
    m_left->setValue(left);
    m_right->setValue(right);
}

void Equalizer::SetRemover(bool value) {
    const QSignalBlocker block(m_remver);
    m_remver->setChecked(value);
    // Only an open stereo song has a middle to take away.
    const bool usable = m_media.CurrentChannel() != 0 && m_media.VocalCutAvailable();
    m_remver->setEnabled(usable);
    m_remver->setToolTip(usable ? QString() : Q(m_tr("VocalCutNeedsStereo")));
}

void Equalizer::ChangeCard(int index) {
    m_desk.Settings().device = index >= 1 && static_cast<std::size_t>(index) <= m_cards.size()
                                   ? m_cards[static_cast<std::size_t>(index - 1)]
                                   : std::string();
    if (m_monitor) {  // the meter listens to the new card
        SetMicro(false);
        SetMicro(true);
    }
}

void Equalizer::ChangeSource(int index) {
    // The microphone or the card's capture line: switch the other one off.
    const bool microphone = index == 0;
    m_mixer.SetMute(MixerControl::CurrentMute, microphone && m_mixer.Has(MixerControl::MicIn));
    setRecordLevel(m_recordLevel->value());
}

void Equalizer::setRecordLevel(int percent) {
    const MixerControl line = m_source->currentIndex() == 0 && m_mixer.Has(MixerControl::MicIn)
                                  ? MixerControl::MicIn
                                  : MixerControl::Current;
    m_mixer.SetPercent(line, percent);
}

bool Equalizer::ChangeMidiVol(int percent) {
    if (!m_mixer.Has(MixerControl::Midi)) return false;
    m_mixer.SetPercent(MixerControl::Midi, percent);
    return true;
}

void Equalizer::resetSynchro() {
    m_synchro->setValue(kSynchroRest);
}

void Equalizer::SetVoiceThumb(int top) {
    m_voice->setValue(top);
}

int Equalizer::VoiceThumb() const {
    return m_voice->value();
}

void Equalizer::SetSynchro(int position) {
    if (m_synchro->value() != position) return m_synchro->setValue(position);
    m_media.Settings().voiceOffset =
        VoiceOffsetFromSlider(position, m_desk.Settings().synchroLimit);
    if (!m_media.VoicePlaybackOn() || m_media.VoiceChannel() == 0) return;
    const double song = m_media.MidiMode() ? m_media.PlaybackPosition() : m_media.PositionSeconds();
    const double at = std::max(0.0, song + m_media.Settings().voiceOffset);
    AudioEngine& engine = m_media.Engine();
    engine.ChannelSetPosition(m_media.VoiceChannel(),
                              engine.ChannelSeconds2Bytes(m_media.VoiceChannel(), at));
}

}  // namespace cx
