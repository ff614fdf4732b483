// The Export video window: the song's video choices, a progress bar and
// Cancel. Not modal: the export runs on a worker thread while the player
// stays usable. Closing the window (or quitting) cancels a running export,
// which leaves no file behind.
#pragma once

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "video/VideoExport.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace cx {

class ExportVideoDialog : public QDialog {
    Q_OBJECT
public:
    using Translate = std::function<std::string(const std::string& key)>;

    // `song` is the open song; `base` holds the karaoke look and code page it
    // is painted with; `voiceFile` its voice recording (empty: none).
    ExportVideoDialog(const std::string& song, const VideoExportOptions& base,
                      const std::string& voiceFile, Translate tr, QWidget* parent);
    ~ExportVideoDialog() override;

    // Asks for the video file's name (a modal file dialog).
    void ChooseOutput();
    // Starts the export with the choices shown.
    void StartExport();
    void CancelExport();
    bool Running() const { return m_worker.joinable(); }
    QString Output() const;
    // The last outcome shown to the user.
    QString Status() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QString T(const char* key) const;
    void Build();
    VideoExportOptions Chosen() const;
    void Poll();
    void Finished();
    void SetRunning(bool running);

    std::string m_song;
    VideoExportOptions m_base;
    std::string m_voiceFile;
    Translate m_tr;

    QLineEdit* m_output = nullptr;
    QPushButton* m_browse = nullptr;
    QComboBox* m_size = nullptr;
    QComboBox* m_fps = nullptr;
    QDoubleSpinBox* m_from = nullptr;
    QDoubleSpinBox* m_to = nullptr;
    QSpinBox* m_quality = nullptr;
    QSpinBox* m_key = nullptr;
    QSpinBox* m_tempo = nullptr;
    QCheckBox* m_withVoice = nullptr;
    QCheckBox* m_smooth = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;

    // Shared with the worker.
    std::thread m_worker;
    std::atomic<bool> m_cancelFlag{false};
    std::atomic<double> m_done{0};
    std::atomic<bool> m_over{false};
    VideoExportResult m_result;  // written by the worker before m_over
    QTimer m_poll;
};

// Shows the Export video window of `owner` for `song`, raising the one
// already open.
ExportVideoDialog* ShowExportVideo(QWidget* owner, const std::string& song,
                                   const VideoExportOptions& base, const std::string& voiceFile,
                                   ExportVideoDialog::Translate tr);

}  // namespace cx
