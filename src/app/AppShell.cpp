#include "app/AppShell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QStandardPaths>
#include <cstdio>

#include "app/Application.h"
#include "app/ErrorReport.h"
#include "app/FontChoice.h"
#include "app/LyricsFileType.h"
#include "app/SingleInstance.h"

namespace cx {
namespace {

// The raw command line: everything after the program name.
QString CommandLine(const QStringList& args) {
    return args.mid(1).join(' ');
}

// A relative path means nothing to a player started elsewhere: make it absolute.
QString AbsoluteIfFile(const QString& commandLine) {
    if (!SingleInstance::NamesFile(commandLine)) return commandLine;
    return QFileInfo(commandLine).absoluteFilePath();
}

std::string DialogFont() {
    const QStringList families = QFontDatabase::families();
    return ChooseFont(
        kDialogFontChain,
        [&](const std::string& name) { return families.contains(QString::fromStdString(name)); },
        QApplication::font().family().toStdString());
}

}  // namespace

int RunPlayer(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Sonoferia");
    QApplication::setApplicationName("Cantabilex");
    QApplication::setQuitOnLastWindowClosed(true);

    const QString commandLine = AbsoluteIfFile(CommandLine(QApplication::arguments()));
    SingleInstance instance;
    // Hand the file over before anything else starts: a second start needs
    // neither sound nor windows.
    if (SingleInstance::NamesFile(commandLine) && instance.PassToRunningInstance(commandLine)) {
        std::fprintf(stdout, "cantabilex: handed %s to the running player\n",
                     commandLine.toLocal8Bit().constData());
        return 0;
    }

    const std::string dialogFont = DialogFont();
    if (dialogFont != QApplication::font().family().toStdString()) {
        QApplication::setFont(QFont(QString::fromStdString(dialogFont)));
    }
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty()) {
        RegisterLyricsFileType(dataHome.toStdString(), ".lrs", "Cantabilex file",
                               QApplication::applicationFilePath().toStdString());
    }

    instance.Listen();
    Application application(instance);
    if (!application.Start(commandLine)) return 1;
    return QApplication::exec();
}

}  // namespace cx
