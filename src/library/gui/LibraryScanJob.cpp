#include "library/gui/LibraryScanJob.h"

#include <QMetaObject>

namespace cx {

LibraryScanJob::LibraryScanJob(std::string databasePath, QObject* parent)
    : QObject(parent), m_path(std::move(databasePath)) {}

LibraryScanJob::~LibraryScanJob() {
    m_queue.clear();
    m_cancel = true;
    Join();
}

void LibraryScanJob::Join() {
    if (m_thread.joinable()) m_thread.join();
}

void LibraryScanJob::Scan(const QStringList& folders) {
    for (const QString& folder : folders)
        if (!m_queue.contains(folder)) m_queue.append(folder);
    if (!m_running) StartNext();
}

void LibraryScanJob::Stop() {
    m_queue.clear();
    m_cancel = true;
}

void LibraryScanJob::StartNext() {
    Join();
    if (m_queue.isEmpty()) {
        m_running = false;
        emit Finished();
        return;
    }
    m_running = true;
    m_cancel = false;
    const QString folder = m_queue.takeFirst();
    m_thread = std::thread([this, folder, measure = m_measure] {
        SongLibrary library(m_path);
        LibraryScanReport report;
        if (library.Open()) {
            library.SetLoudnessMeasurer(measure);
            report = library.ScanFolder(
                folder.toStdString(),
                [this, folder](const LibraryScanProgress& p) {
                    QMetaObject::invokeMethod(this, [this, folder, p] {
                        emit Progress(folder, p.FilesSeen, p.SongsFound, p.SongsRead);
                    });
                },
                m_cancel);
        } else {
            report.Error = library.Note().Message;
        }
        // Back on the window's thread: report, then the next folder.
        QMetaObject::invokeMethod(this, [this, folder, report] {
            emit FolderDone(folder, report.Songs, report.Added, report.Updated,
                            report.MarkedMissing, QString::fromStdString(report.Error));
            StartNext();
        });
    });
}

}  // namespace cx
