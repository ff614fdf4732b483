#include "video/gui/ExportVideoDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "platform/ReadOnlyFolders.h"

namespace cx {

namespace {

constexpr int kPollMs = 100;
constexpr int kProgressSteps = 1000;
constexpr double kMaxSongSeconds = 24 * 3600;
const QSize kSizes[] = {{1280, 720}, {1920, 1080}, {854, 480}, {640, 360}};
const int kRates[] = {0, 24, 25, 30, 50, 60};

// The video beside the song (beside its archive when it was unpacked from
// one); in the user's videos folder when that folder cannot take it.
QString DefaultOutput(const std::string& song) {
    const QFileInfo info(QString::fromStdString(BesideArchive(song).string()));
    QString folder = info.absolutePath();
    if (!QFileInfo(folder).isWritable())
        folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    return QDir(folder).filePath(info.completeBaseName() + ".mp4");
}

}  // namespace

ExportVideoDialog::ExportVideoDialog(const std::string& song, const VideoExportOptions& base,
                                     const std::string& voiceFile, Translate tr, QWidget* parent)
    : QDialog(parent), m_song(song), m_base(base), m_voiceFile(voiceFile), m_tr(std::move(tr)) {
    setObjectName("ExportVideoDialog");
    setModal(false);
    setWindowTitle(T("VideoDialogTitle"));
    Build();
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &ExportVideoDialog::Poll);
}

ExportVideoDialog::~ExportVideoDialog() {
    CancelExport();
    if (m_worker.joinable()) m_worker.join();
}

QString ExportVideoDialog::T(const char* key) const {
    const std::string text = m_tr ? m_tr(key) : std::string();
    return QString::fromStdString(text.empty() ? key : text);
}

void ExportVideoDialog::Build() {
    auto* form = new QFormLayout;
    form->addRow(T("VideoSong"), new QLabel(QFileInfo(QString::fromStdString(m_song)).fileName()));
    m_output = new QLineEdit(DefaultOutput(m_song));
    m_browse = new QPushButton(T("VideoBrowse"));
    connect(m_browse, &QPushButton::clicked, this, &ExportVideoDialog::ChooseOutput);
    auto* file = new QHBoxLayout;
    file->addWidget(m_output, 1);
    file->addWidget(m_browse);
    form->addRow(T("VideoFile"), file);

    m_size = new QComboBox;
    for (const QSize s : kSizes) m_size->addItem(QString("%1 x %2").arg(s.width()).arg(s.height()));
    form->addRow(T("VideoSize"), m_size);
    m_fps = new QComboBox;
    for (const int r : kRates) m_fps->addItem(r ? QString::number(r) : T("VideoFpsSong"));
    form->addRow(T("VideoFps"), m_fps);
    m_from = new QDoubleSpinBox;
    m_to = new QDoubleSpinBox;
    for (QDoubleSpinBox* box : {m_from, m_to}) {
        box->setRange(0, kMaxSongSeconds);
        box->setDecimals(1);
    }
    form->addRow(T("VideoFrom"), m_from);
    form->addRow(T("VideoTo"), m_to);
    m_quality = new QSpinBox;
    m_quality->setRange(0, kVideoMaxQuality);
    m_quality->setValue(kVideoDefaultQuality);
    form->addRow(T("VideoQuality"), m_quality);
    m_key = new QSpinBox;
    m_key->setRange(-int(kVideoMaxKey), int(kVideoMaxKey));
    m_key->setValue(int(m_base.key));
    form->addRow(T("VideoKey"), m_key);
    m_tempo = new QSpinBox;
    m_tempo->setRange(-int(kVideoMaxTempo), int(kVideoMaxTempo));
    m_tempo->setValue(int(m_base.tempo));
    form->addRow(T("VideoTempo"), m_tempo);
    m_withVoice = new QCheckBox(T("VideoWithVoice"));
    m_withVoice->setEnabled(!m_voiceFile.empty());
    if (m_voiceFile.empty()) m_withVoice->setToolTip(T("VideoNoVoice"));
    form->addRow(m_withVoice);
    m_smooth = new QCheckBox(T("VideoSmooth"));
    m_smooth->setChecked(m_base.smooth);
    form->addRow(m_smooth);

    m_progress = new QProgressBar;
    m_progress->setRange(0, kProgressSteps);
    m_progress->setValue(0);
    m_status = new QLabel;
    m_status->setWordWrap(true);
    m_start = new QPushButton(T("VideoStart"));
    m_start->setDefault(true);
    m_cancel = new QPushButton(T("VideoClose"));
    connect(m_start, &QPushButton::clicked, this, &ExportVideoDialog::StartExport);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (Running()) return CancelExport();
        close();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);

    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(m_progress);
    all->addWidget(m_status);
    all->addLayout(buttons);
}

void ExportVideoDialog::ChooseOutput() {
    const QString chosen =
        QFileDialog::getSaveFileName(this, T("VideoSaveTitle"), m_output->text(), T("VideoFilter"));
    if (!chosen.isEmpty()) m_output->setText(chosen);
}

QString ExportVideoDialog::Output() const {
    return m_output->text();
}

QString ExportVideoDialog::Status() const {
    return m_status->text();
}

VideoExportOptions ExportVideoDialog::Chosen() const {
    VideoExportOptions o = m_base;
    const QSize size = kSizes[std::max(0, m_size->currentIndex())];
    o.width = size.width();
    o.height = size.height();
    o.fps = kRates[std::max(0, m_fps->currentIndex())];
    o.from = m_from->value();
    o.to = m_to->value() > 0 ? m_to->value() : -1;
    o.quality = m_quality->value();
    o.key = m_key->value();
    o.tempo = m_tempo->value();
    o.voiceFile = m_withVoice->isChecked() ? m_voiceFile : std::string();
    o.smooth = m_smooth->isChecked();
    return o;
}

void ExportVideoDialog::SetRunning(bool running) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_output, m_browse, m_size, m_fps, m_from, m_to, m_quality,
                                         m_key, m_tempo, m_smooth, m_start})
        w->setEnabled(!running);
    m_withVoice->setEnabled(!running && !m_voiceFile.empty());
    m_cancel->setText(running ? T("VideoCancel") : T("VideoClose"));
}

void ExportVideoDialog::StartExport() {
    if (Running()) return;
    const VideoExportOptions options = Chosen();
    const std::string output = m_output->text().toStdString();
    if (const std::string problem = VideoOptionsProblem(options); !problem.empty()) {
        m_status->setText(T("VideoFailed").arg(QString::fromStdString(problem)));
        return;
    }
    m_cancelFlag = false;
    m_done = 0;
    m_over = false;
    m_progress->setValue(0);
    m_status->setText(T("VideoWorking"));
    SetRunning(true);
    m_worker = std::thread([this, options, output, song = m_song] {
        m_result = ExportVideo(
            song, output, options, [this](double done) { m_done = done; }, &m_cancelFlag);
        m_over = true;
    });
    m_poll.start();
}

void ExportVideoDialog::CancelExport() {
    m_cancelFlag = true;
}

void ExportVideoDialog::Poll() {
    m_progress->setValue(static_cast<int>(m_done.load() * kProgressSteps));
    if (m_over) Finished();
}

void ExportVideoDialog::Finished() {
    m_poll.stop();
    m_worker.join();
    SetRunning(false);
    if (m_result.ok) {
        m_progress->setValue(kProgressSteps);
        m_status->setText(T("VideoDone").arg(m_output->text()));
    } else if (m_result.cancelled) {
        m_progress->setValue(0);
        m_status->setText(T("VideoCancelled"));
    } else {
        m_status->setText(T("VideoFailed").arg(QString::fromStdString(m_result.error)));
    }
}

void ExportVideoDialog::closeEvent(QCloseEvent* event) {
    CancelExport();
    QDialog::closeEvent(event);
}

void ExportVideoDialog::reject() {
    CancelExport();
    QDialog::reject();
}

ExportVideoDialog* ShowExportVideo(QWidget* owner, const std::string& song,
                                   const VideoExportOptions& base, const std::string& voiceFile,
                                   ExportVideoDialog::Translate tr) {
    auto* dialog = owner ? owner->findChild<ExportVideoDialog*>("ExportVideoDialog") : nullptr;
    // A window left from another song gives way; a running export stays.
    if (dialog && !dialog->Running()) {
        delete dialog;
        dialog = nullptr;
    }
    if (!dialog) {
        dialog = new ExportVideoDialog(song, base, voiceFile, std::move(tr), owner);
        dialog->setWindowFlag(Qt::Window);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

}  // namespace cx
