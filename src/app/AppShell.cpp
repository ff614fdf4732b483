#include "app/AppShell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QStandardPaths>
#include <cstdio>
#include <string>

#include "app/Application.h"
#include "app/ErrorReport.h"
#include "app/FontChoice.h"
#include "app/LyricsFileType.h"
#include "app/SignalBridge.h"
#include "app/SingleInstance.h"
#include "app/StartupTrace.h"
#include "playback/player/gui/Player.h"

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

constexpr char kUsage[] =
    "Usage: cantabilex [OPTIONS] [FILE]\n"
    "Plays karaoke songs: audio with timed lyrics, MIDI and KAR, and CD+G.\n"
    "FILE is a song, a lyrics or .cdg file beside its song, or an M3U/PLS playlist.\n"
    "With a player already running, FILE is handed to it.\n\n"
    "  -h, --help                  show this text\n"
    "  -v, --version               show the version\n"
    "  --requests PORT             serve guests' request page on PORT (0: any free\n"
    "                              port) and print its address and join code\n"
    "  --requests-address ADDR     the address it listens on (default 0.0.0.0)\n"
    "  --accept-requests           the running player accepts every waiting request\n";

// The request page's options, taken out of the arguments: the rest names the song.
struct RequestOptions {
    int port = -1;
    std::string address = "0.0.0.0";
    bool acceptAll = false;
    std::string error;
};

RequestOptions TakeRequestOptions(QStringList& args) {
    RequestOptions o;
    for (int i = 1; i < args.size();) {
        const QString arg = args[i];
        if (arg == Application::kAcceptRequestsHandOver) {
            o.acceptAll = true;
            args.removeAt(i);
            continue;
        }
        if (arg != "--requests" && arg != "--requests-address") {
            ++i;
            continue;
        }
        if (i + 1 >= args.size()) {
            o.error = arg.toStdString() + " needs a value";
            return o;
        }
        const QString value = args[i + 1];
        args.remove(i, 2);
        if (arg == "--requests-address") {
            o.address = value.toStdString();
            continue;
        }
        bool ok = false;
        o.port = value.toInt(&ok);
        if (!ok || o.port < 0 || o.port > 65535) o.error = "--requests: a port from 0 to 65535";
    }
    return o;
}

// Answers --help and --version without starting anything; -1 otherwise.
int AnswerInformationOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version" || arg == "-v") {
            std::printf("cantabilex %s\n", CX_VERSION);
            return 0;
        }
    }
    return -1;
}

}  // namespace

int RunPlayer(int argc, char** argv) {
    if (const int code = AnswerInformationOptions(argc, argv); code >= 0) return code;
    StartupTrace trace;
    QApplication app(argc, argv);
    trace.Mark("toolkit");
    QApplication::setOrganizationName("Sonoferia");
    QApplication::setApplicationName("Cantabilex");
    QApplication::setApplicationVersion(CX_VERSION);
    // The player's own shut-down ends the program, after saving.
    QApplication::setQuitOnLastWindowClosed(false);

    QStringList args = QApplication::arguments();
    const RequestOptions requests = TakeRequestOptions(args);
    if (!requests.error.empty()) {
        std::fprintf(stderr, "cantabilex: %s\n", requests.error.c_str());
        return 2;
    }
    const QString commandLine = AbsoluteIfFile(CommandLine(args));
    SingleInstance instance;
    if (requests.acceptAll) {
        if (instance.PassToRunningInstance(Application::kAcceptRequestsHandOver)) return 0;
        std::fputs("cantabilex: no running player answered\n", stderr);
        return 1;
    }
    // Hand the file over before anything else starts: a second start needs
    // neither sound nor windows.
    if (SingleInstance::NamesFile(commandLine) && instance.PassToRunningInstance(commandLine)) {
        std::fprintf(stdout, "cantabilex: handed %s to the running player\n",
                     commandLine.toLocal8Bit().constData());
        // A script waiting for the page's address must not wait for ever.
        if (requests.port < 0) return 0;
        std::fputs(
            "cantabilex: --requests is not passed on to a running player; switch the "
            "page on in its Host window\n",
            stderr);
        return 1;
    }

    trace.Mark("single instance");
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
    trace.Mark("fonts, file type");
    ApplicationOptions options;
    options.startupMark = [&trace](const char* phase) { trace.Mark(phase); };
    options.songAfterFirstFrame = true;
    options.requestsPort = requests.port;
    options.requestsAddress = requests.address;
    Application application(&instance, options);
    // kill, log-out and Ctrl+C take the same road as Exit from the menu.
    SignalBridge signals_([&application](int) { application.RequestClose(); });
    if (!application.Start(commandLine)) return 1;
    trace.WatchFirstFrame(application.PlayerWindow(),
                          [&application] { application.RequestClose(); });
    if (!commandLine.isEmpty())
        trace.WatchFirstSound([&application] { return application.SongHeard(); });
    return QApplication::exec();
}

}  // namespace cx
