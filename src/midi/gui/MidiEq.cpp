#include "midi/gui/MidiEq.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "midi/gui/Advance.h"
#include "midi/gui/Instrum.h"
#include "midi/gui/MidiInfoDialog.h"
#include "midi/gui/MidiPanel.h"
#include "midi/gui/Thumb.h"
#include "platform/AtomicFile.h"
#include "playlist/WindowRect.h"

namespace cx {
namespace {

constexpr int kWatchMs = 250;

}  // namespace

MidiEq::MidiEq(MediaControl& media, MidiPlayer& midi, Services services, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_controls(media, midi), m_services(std::move(services)) {
    setWindowTitle(Tr("ControlsCaption", "Controls"));
    auto* column = new QVBoxLayout(this);
    const int em = fontMetrics().height();
    column->setContentsMargins(em / 2, em / 2, em / 2, em / 2);
    column->setSpacing(em / 2);
    column->addWidget(BuildThumbs());
    column->addWidget(BuildStrips());
    m_advance = new Advance(m_controls, m_services.translate, this);
    column->addWidget(m_advance);
    column->addWidget(BuildButtons());
    m_picker = new Instrum(this);
    m_picker->onPick = [this](int program) {
        if (m_pickChannel < 0) return;
        m_controls.Midi().ChangeInstrument(m_pickChannel, program);
        ShowStrip(m_pickChannel);
    };
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, [this] {
        if (isVisible()) m_advance->Refresh();
    });
    m_watch.start();
    Refresh();
}

MidiEq::~MidiEq() = default;

QString MidiEq::Tr(const char* key, const char* fallback) const {
    const std::string text = m_services.translate ? m_services.translate(key) : std::string();
    return QString::fromStdString(text.empty() ? fallback : text);
}

QWidget* MidiEq::BuildThumbs() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    const int em = fontMetrics().height();
    auto number = [box, this](int digits) {
        auto* l = new QLabel(box);
        l->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * digits);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    m_trn = new Thumb(Qt::Horizontal, kThumbMin, kThumbMax, kThumbRest, box);
    m_trn->setPageStep(8);
    m_trn->setMinimumWidth(em * 10);
    m_trn->setAccessibleName(Tr("Transpose", "Transpose"));
    m_trn->onMoved = [this](int p) {
        m_controls.MoveTranspose(p);
        ShowThumbs();
    };
    auto* trnCaption = new QLabel(Tr("Transpose", "Transpose"), box);
    trnCaption->setBuddy(m_trn);
    m_labTONE = number(3);
    m_labTONE->setObjectName(QStringLiteral("labTONE"));
    grid->addWidget(trnCaption, 0, 0);
    grid->addWidget(m_trn, 0, 1);
    grid->addWidget(m_labTONE, 0, 2);
    grid->addWidget(new QLabel(Tr("Semitones", "semitones"), box), 0, 3);

    m_tmp = new Thumb(Qt::Horizontal, kThumbMin, kThumbMax, kThumbRest, box);
    m_tmp->setPageStep(8);
    m_tmp->setMinimumWidth(em * 10);
    m_tmp->setAccessibleName(Tr("Tempo", "Tempo"));
    m_tmp->onMoved = [this](int p) {
        m_controls.MoveTempo(p);
        ShowThumbs();
    };
    auto* tmpCaption = new QLabel(Tr("Tempo", "Tempo"), box);
    tmpCaption->setBuddy(m_tmp);
    m_labTMP = number(3);
    m_labTMP->setObjectName(QStringLiteral("labTMP"));
    m_tempoValue = number(6);
    m_tempoLabel = new QLabel(box);
    m_tempoLabel->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Tempo: 000.00")));
    grid->addWidget(tmpCaption, 0, 4);
    grid->addWidget(m_tmp, 0, 5);
    grid->addWidget(m_labTMP, 0, 6);
    grid->addWidget(m_tempoValue, 0, 7);
    grid->addWidget(m_tempoLabel, 0, 8);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(5, 1);
    grid->setColumnMinimumWidth(4, em);
    return box;
}

QWidget* MidiEq::BuildStrips() {
    m_stripArea = new QWidget(this);
    auto* row = new QHBoxLayout(m_stripArea);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(fontMetrics().height() / 5);
    for (int ch = 0; ch < kMidiChannels; ++ch) {
        auto* strip = new MidiPanel(ch, m_stripArea);
        strip->SetUnusedTip(Tr("ChannelUnused", "The song plays nothing here"));
        MidiPlayer& midi = m_controls.Midi();
        strip->channelEnabled = [&midi](int c, bool on) { midi.ChannelEnabled(c, on); };
        strip->channelVolume = [&midi](int c, int v) { midi.ChannelVolume(c, v); };
        strip->channelBalance = [&midi](int c, int b) { midi.ChannelBalance(c, b); };
        strip->channelLocked = [&midi](int c, bool locked) { midi.SetLocked(c, locked); };
        strip->chooseInstrument = [this](int c) { ChooseInstrument(c); };
        m_strips[ch] = strip;
        row->addWidget(strip);
    }
    return m_stripArea;
}

QWidget* MidiEq::BuildButtons() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    m_save = new QPushButton(Tr("MidiSaveSettings", "Save settings into the song"), box);
    connect(m_save, &QPushButton::clicked, this, [this] { SaveMidi(); });
    m_restore = new QPushButton(Tr("MidiRestoreSettings", "Restore from the song"), box);
    connect(m_restore, &QPushButton::clicked, this, [this] { RestoreMidi(); });
    m_muteAll = new QPushButton(Tr("MidiMuteAll", "Mute all"), box);
    m_muteAll->setCheckable(true);
    connect(m_muteAll, &QPushButton::toggled, this, [this](bool on) { MuteAll(on); });
    m_infoButton = new QPushButton(Tr("MidiInfo", "MIDI information"), box);
    connect(m_infoButton, &QPushButton::clicked, this, [this] { ShowInfo(); });
    m_status = new QLabel(box);
    row->addWidget(m_save);
    row->addWidget(m_restore);
    row->addWidget(m_muteAll);
    row->addWidget(m_infoButton);
    row->addWidget(m_status, 1);
    return box;
}

bool MidiEq::Toggle() {
    if (isVisible()) {
        hide();
        return false;
    }
    Open();
    return true;
}

void MidiEq::Open() {
    show();
    raise();
    activateWindow();
}

void MidiEq::OpenVoicePanel() {
    Open();
    if (m_voicePanel) m_voicePanel->setFocus(Qt::OtherFocusReason);
}

void MidiEq::MakeVoicePanel() {
    if (m_voicePanel || !m_services.makeVoicePanel) return;
    m_voicePanel = m_services.makeVoicePanel(this);
    if (!m_voicePanel) return;
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(column->indexOf(m_advance) + 1, m_voicePanel);
    m_voicePanel->show();  // the window may be on screen already
}

void MidiEq::ResetThumbs() {
    m_controls.ResetThumbs();
    // The song is closing: its strips go with it.
    Refresh();
}

void MidiEq::SongChanged() {
    m_uses = {};
    m_controls.SongOpened();
    if (m_controls.MidiSong()) {
        // The strips show the instruments the song itself chooses.
        const ReadResult read = ReadWholeFile(m_controls.Midi().SongPath(), kMaxSmfBytes);
        if (read.bytes) {
            const auto described = DescribeMidiSong(*read.bytes, m_services.codepage, false);
            if (described.report) m_uses = described.report->Channels;
        }
    }
    m_status->clear();
    if (m_muteAll->isChecked()) {
        const QSignalBlocker block(m_muteAll);
        m_muteAll->setChecked(false);
    }
    Refresh();
}

void MidiEq::ResetRemover() {
    m_advance->Refresh();
}

void MidiEq::Refresh() {
    ShowThumbs();
    ShowStrips();
    m_advance->Refresh();
    const bool midi = m_controls.MidiSong();
    for (QPushButton* b : {m_save, m_restore, m_muteAll, m_infoButton}) b->setEnabled(midi);
}

void MidiEq::ShowThumbs() {
    m_trn->Show(m_controls.TransposeThumb());
    m_tmp->Show(m_controls.TempoThumb());
    m_labTONE->setText(ToneText());
    m_labTMP->setText(TempoStepsText());
    m_tempoValue->setText(TempoValueText());
    m_tempoLabel->setText(TempoLabelText());
}

QString MidiEq::ToneText() const {
    return QString::number(m_controls.Semitones());
}

QString MidiEq::TempoStepsText() const {
    return QString::number(m_controls.TempoSteps());
}

QString MidiEq::TempoValueText() const {
    return QString::fromStdString(SignedText(m_controls.TempoPercent())) + QStringLiteral(" %");
}

QString MidiEq::TempoLabelText() const {
    return QString::fromStdString(m_controls.TempoText());
}

void MidiEq::ShowStrips() {
    const bool midi = m_controls.MidiSong();
    for (int ch = 0; ch < kMidiChannels; ++ch) {
        if (midi)
            ShowStrip(ch);
        else
            m_strips[ch]->Reset();
    }
    m_stripArea->setEnabled(midi);
}

void MidiEq::ShowStrip(int channel) {
    const ChannelRecord& r = m_controls.Midi().Channels()[static_cast<std::size_t>(channel)];
    m_strips[channel]->Show(r, ShownProgram(channel),
                            m_uses[static_cast<std::size_t>(channel)].Notes > 0);
}

int MidiEq::ShownProgram(int channel) const {
    const ChannelRecord& r = m_controls.Midi().Channels()[static_cast<std::size_t>(channel)];
    return r.InstrumentSet ? r.Instrument : m_uses[static_cast<std::size_t>(channel)].FirstProgram;
}

MidiPanel* MidiEq::Strip(int channel) const {
    return channel >= 0 && channel < kMidiChannels ? m_strips[channel] : nullptr;
}

void MidiEq::ChooseInstrument(int channel) {
    if (!m_controls.MidiSong()) return;
    m_pickChannel = channel;
    m_picker->SetCurrent(ShownProgram(channel));
    QToolButton* button = m_strips[channel]->InstrumentButton();
    m_picker->popup(button->mapToGlobal(QPoint(0, button->height())));
}

std::string MidiEq::SaveMidi() {
    if (!m_controls.MidiSong()) return "no MIDI song is open";
    const std::string error = m_controls.Midi().SaveMidi();
    SetStatus(error, Tr("MidiSavedIntoSong", "Saved into the song."));
    return error;
}

std::string MidiEq::RestoreMidi() {
    if (!m_controls.MidiSong()) return "no MIDI song is open";
    const std::string error = m_controls.Midi().RestoreMidi();
    if (error.empty()) {
        m_controls.SongOpened();
        Refresh();
    }
    SetStatus(error, Tr("MidiRestoredFromSong", "Restored from the song."));
    return error;
}

void MidiEq::MuteAll(bool mute) {
    if (!m_controls.MidiSong()) return;
    MidiPlayer& midi = m_controls.Midi();
    for (int ch = 0; ch < kMidiChannels; ++ch) {
        if (midi.Channels()[static_cast<std::size_t>(ch)].Locked) continue;
        midi.ChannelEnabled(ch, !mute);
    }
    ShowStrips();
}

void MidiEq::SetStatus(const std::string& error, const QString& done) {
    // Said in the window: a message box would stop the song's keys.
    m_status->setText(error.empty() ? done : QString::fromStdString(error));
}

QString MidiEq::StatusText() const {
    return m_status->text();
}

void MidiEq::ShowInfo() {
    if (!m_controls.MidiSong()) return;
    if (!m_info) {
        m_info = new MIDIInfo(this);
        m_info->setWindowTitle(Tr("MidiInfo", "MIDI information"));
    }
    const auto& path = m_controls.Midi().SongPath();
    const ReadResult read = ReadWholeFile(path, kMaxSmfBytes);
    const QString name = QString::fromStdString(path.filename().string());
    if (!read.bytes) {
        m_info->ShowReport(name, {}, QString::fromStdString(read.error));
    } else {
        const bool words = m_services.wordsLoaded && m_services.wordsLoaded();
        const auto described = DescribeMidiSong(*read.bytes, m_services.codepage, words);
        if (described.report)
            m_info->ShowReport(name, ReportRowsOf(*described.report));
        else
            m_info->ShowReport(name, {}, QString::fromStdString(described.error));
    }
    m_info->show();
    m_info->raise();
}

MIDIInfo* MidiEq::InfoDialog() const {
    return m_info;
}

QString MidiEq::PositionText() const {
    const QRect g = geometry();
    return QString::fromStdString(FormatWindowRect({g.x(), g.y(), g.width(), g.height()}));
}

void MidiEq::ApplyPosition(const QString& text) {
    const auto rect = ParseWindowRect(text.toStdString());
    if (!rect) return;
    // Client area as stored (move() would place the frame there and creep);
    // the window keeps at least the size its controls need.
    setGeometry(rect->left, rect->top, std::max(rect->width, minimumSizeHint().width()),
                std::max(rect->height, minimumSizeHint().height()));
}

void MidiEq::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MidiEq::showEvent(QShowEvent* event) {
    MakeVoicePanel();
    Refresh();
    QWidget::showEvent(event);
}

}  // namespace cx
