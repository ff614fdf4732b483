#include <QGuiApplication>

#include "app/AppShell.h"

int main(int argc, char** argv) {
    // Wayland matches windows to the installed desktop entry (and its icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.sonoferia.Cantabilex"));
    return cx::RunPlayer(argc, argv);
}
