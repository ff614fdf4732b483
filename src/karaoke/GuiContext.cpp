#include "karaoke/GuiContext.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace cx {

namespace {

// Tools have no session: Qt's note about the missing runtime folder is noise there.
void QuietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    const QByteArray text = message.toLocal8Bit();
    if (std::strncmp(text.constData(), "QStandardPaths:", 15) == 0) return;
    std::cerr << text.constData() << "\n";
}

}  // namespace

void EnsureGuiContext() {
    if (QCoreApplication::instance()) return;
    qInstallMessageHandler(QuietHandler);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "cantabilex";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

}  // namespace cx

// Fontconfig keeps its caches until exit; sanitized builds of the tools and
// tests would otherwise report them as leaks. Weak, so a program may define its own.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6\n";
}

extern "C" __attribute__((weak)) const char* __lsan_default_options() {
    return "print_suppressions=0";
}
