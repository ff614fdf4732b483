#include "app/HelpPage.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace cx {

QUrl HelpPage(const QString& programFolder) {
    QStringList candidates;
    // An installed copy: <prefix>/bin/cantabilex and <prefix>/share/doc/cantabilex.
    candidates << QDir(programFolder).filePath(QStringLiteral("../share/doc/cantabilex/README.md"));
    const QString located = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                   QStringLiteral("doc/cantabilex/README.md"));
    if (!located.isEmpty()) candidates << located;
    // A build tree: the program sits in build/, the README in the source folder.
    candidates << QDir(programFolder).filePath(QStringLiteral("../README.md"));
#ifdef CX_README_PATH
    candidates << QStringLiteral(CX_README_PATH);
#endif
    for (const QString& path : candidates) {
        const QFileInfo info(path);
        if (info.isFile()) return QUrl::fromLocalFile(info.canonicalFilePath());
    }
    return {};
}

}  // namespace cx
