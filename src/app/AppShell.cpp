#include "app/AppShell.h"

#include <QApplication>
#include <QMainWindow>

namespace cx {

int RunPlayer(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Sonoferia");
    QApplication::setApplicationName("Cantabilex");
    QMainWindow window;
    window.setWindowTitle("Cantabilex");
    window.show();
    return QApplication::exec();
}

}  // namespace cx
