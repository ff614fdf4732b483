#include "app/AppShell.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <cstdio>
#include <memory>

#include "app/AudioCheck.h"
#include "app/ErrorReport.h"
#include "app/FontChoice.h"
#include "app/LyricsFileType.h"
#include "app/SingleInstance.h"
#include "platform/PrivateTemp.h"

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

class PlayerShell : public QMainWindow {
public:
    PlayerShell() {
        setWindowTitle(kProgramTitle);
        resize(480, 160);
        auto* menu = new QMenu(this);
        menu->addAction("Restore", this, [this] { RestoreFromTray(); });
        menu->addAction("Exit", this, [this] {
            m_exiting = true;
            close();
        });
        m_tray = new QSystemTrayIcon(QApplication::windowIcon(), this);
        m_tray->setContextMenu(menu);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](auto reason) {
            if (reason == QSystemTrayIcon::DoubleClick) RestoreFromTray();
        });
        if (QSystemTrayIcon::isSystemTrayAvailable()) m_tray->show();
    }

    void RestoreFromTray() {
        showNormal();
        raise();
        activateWindow();
    }

private:
    QSystemTrayIcon* m_tray = nullptr;
    bool m_exiting = false;
};

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

    PrivateTemp temp;
    const std::string dialogFont = DialogFont();
    (void)dialogFont;
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty()) {
        RegisterLyricsFileType(dataHome.toStdString(), ".lrs", "Cantabilex file",
                               QApplication::applicationFilePath().toStdString());
    }

    if (!AudioOutputOpens()) {
        QMessageBox::critical(nullptr, kProgramTitle, kAudioInitFailedMessage);
        return 1;
    }
    instance.Listen();

    PlayerShell window;
    QObject::connect(&instance, &SingleInstance::FileReceived, &window, [](const QString& file) {
        std::fprintf(stdout, "cantabilex: received %s\n", file.toLocal8Bit().constData());
        std::fflush(stdout);
    });
    window.show();
    return QApplication::exec();
}

}  // namespace cx
