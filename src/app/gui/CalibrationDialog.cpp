#include "app/gui/CalibrationDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "scoring/VoiceCalibration.h"

namespace cx {
namespace {

constexpr int kTickMs = 10;

int Ms(double seconds) {
    return static_cast<int>(std::lround(seconds * 1000));
}

}  // namespace

CalibrationDialog::CalibrationDialog(Lookup translate, Maker make, std::function<void(int)> save,
                                     QWidget* parent)
    : QDialog(parent),
      m_translate(std::move(translate)),
      m_make(std::move(make)),
      m_save(std::move(save)) {
    setObjectName("CalibrationDialog");
    setWindowTitle(Translate("CalibrateCaption"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* intro = new QLabel(Translate("CalibrateIntro"));
    intro->setWordWrap(true);
    m_progress = new QProgressBar;
    m_progress->setRange(0, 100);
    m_text = new QLabel;
    m_text->setObjectName("CalibrationResult");
    m_text->setWordWrap(true);
    auto* buttons = new QDialogButtonBox;
    m_start = buttons->addButton(Translate("CalibrateStart"), QDialogButtonBox::ActionRole);
    m_start->setObjectName("Start");
    m_saveButton = buttons->addButton(Translate("CalibrateSave"), QDialogButtonBox::AcceptRole);
    m_saveButton->setObjectName("Save");
    m_saveButton->setEnabled(false);
    m_saveButton->setToolTip(Translate("CalibrateSaveTip"));
    QPushButton* close = buttons->addButton(Translate("Close"), QDialogButtonBox::RejectRole);
    connect(m_start, &QPushButton::clicked, this, &CalibrationDialog::Start_Click);
    connect(m_saveButton, &QPushButton::clicked, this, &CalibrationDialog::Save_Click);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_timer, &QTimer::timeout, this, &CalibrationDialog::Tick);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_progress);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
}

CalibrationDialog::~CalibrationDialog() = default;

QString CalibrationDialog::Translate(const char* key) const {
    const std::string text = m_translate ? m_translate(key) : std::string();
    return text.empty() ? QString::fromUtf8(key) : QString::fromStdString(text);
}

QString CalibrationDialog::ResultText() const {
    return m_text->text();
}

void CalibrationDialog::Start_Click() {
    m_timer.stop();
    m_run.reset();
    m_result = {};
    m_saveButton->setEnabled(false);
    std::string error;
    m_run = m_make ? m_make(error) : nullptr;
    if (m_run && !m_run->Start(error)) m_run.reset();
    if (!m_run) {
        // Nothing measured, nothing changed: the saved delay stays.
        m_text->setText(Translate("CalibrateNoMicrophone").arg(QString::fromStdString(error)));
        return;
    }
    m_start->setEnabled(false);
    m_progress->setValue(0);
    m_text->setText(Translate("CalibrateListening"));
    m_timer.start(kTickMs);
}

void CalibrationDialog::Tick() {
    if (!m_run) return;
    const bool going = m_run->Tick();
    m_progress->setValue(static_cast<int>(m_run->Progress() * 100));
    if (going) return;
    m_timer.stop();
    Show(m_run->Finish());
    m_run.reset();
    m_start->setEnabled(true);
}

void CalibrationDialog::Show(const CalibrationResult& result) {
    m_result = result;
    m_progress->setValue(100);
    const QString found = Translate("CalibrateResult")
                              .arg(Ms(result.DelaySeconds))
                              .arg(Ms(result.SpreadSeconds))
                              .arg(result.Answered)
                              .arg(result.Beeps);
    if (result.Ok) {
        m_text->setText(found);
    } else if (result.Answered == 0) {
        m_text->setText(Translate(result.Reason.c_str()));
    } else {
        m_text->setText(found + QStringLiteral("\n") + Translate(result.Reason.c_str()));
    }
    m_saveButton->setEnabled(result.Ok);
}

void CalibrationDialog::Save_Click() {
    if (!m_result.Ok) return;
    const int ms = std::clamp(Ms(m_result.DelaySeconds), -kMaxVoiceLatencyMs, kMaxVoiceLatencyMs);
    if (m_save) m_save(ms);
    accept();
}

}  // namespace cx
