// Scans folders into the song library on a worker thread with its own
// database connection, so the window goes on searching meanwhile.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <thread>

#include "library/SongLibrary.h"

namespace cx {

class LibraryScanJob : public QObject {
    Q_OBJECT
public:
    explicit LibraryScanJob(std::string databasePath, QObject* parent = nullptr);
    // Stops a running scan and waits for its thread.
    ~LibraryScanJob() override;

    void SetLoudnessMeasurer(LoudnessMeasurer measurer) { m_measure = std::move(measurer); }
    // Scans the folders one after the other; folders asked for while a scan
    // runs are scanned after it.
    void Scan(const QStringList& folders);
    void Stop();
    bool Running() const { return m_running; }

signals:
    void Progress(const QString& folder, qulonglong filesSeen, qulonglong songsFound,
                  qulonglong songsRead);
    // One folder done; `error` empty when it could be read.
    void FolderDone(const QString& folder, qulonglong songs, qulonglong added, qulonglong updated,
                    qulonglong missing, const QString& error);
    void Finished();

private:
    void StartNext();
    void Join();

    std::string m_path;
    LoudnessMeasurer m_measure;
    QStringList m_queue;
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
};

}  // namespace cx
