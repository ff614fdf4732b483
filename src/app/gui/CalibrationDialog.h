// Measures the voice's delay: the player beeps, the singer claps back, the
// dialog shows the delay found and how even the claps were, and Save keeps
// it. Not modal: the beeps need the player running.
#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "scoring/Latency.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace cx {

class VoiceCalibration;

class CalibrationDialog : public QDialog {
    Q_OBJECT
public:
    using Lookup = std::function<std::string(const std::string& key)>;
    using Maker = std::function<std::unique_ptr<VoiceCalibration>(std::string& error)>;

    CalibrationDialog(Lookup translate, Maker make, std::function<void(int ms)> save,
                      QWidget* parent = nullptr);
    ~CalibrationDialog() override;

    void Start_Click();
    void Save_Click();
    // The timer's step: follows the run and shows the result at its end.
    void Tick();
    // The run, while one is going (tests push the claps into its capture).
    VoiceCalibration* Run() const { return m_run.get(); }
    QString ResultText() const;

private:
    QString Translate(const char* key) const;
    void Show(const CalibrationResult& result);

    Lookup m_translate;
    Maker m_make;
    std::function<void(int)> m_save;
    std::unique_ptr<VoiceCalibration> m_run;
    QTimer m_timer;
    CalibrationResult m_result;
    QLabel* m_text = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_saveButton = nullptr;
};

}  // namespace cx
