// probe serve NAME       listens and prints "got TEXT" for the first hand-off
// probe send NAME TEXT   hands TEXT over; exit 0 when acknowledged, 3 when not
#include <QCoreApplication>
#include <cstdio>

#include "app/SingleInstance.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    const QString mode = argv[1];
    cx::SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    if (mode == "send" && argc >= 4) {
        return instance.PassToRunningInstance(QString::fromLocal8Bit(argv[3]), 2000) ? 0 : 3;
    }
    if (mode != "serve" || !instance.Listen()) return 2;
    QObject::connect(&instance, &cx::SingleInstance::FileReceived, &app, [&](const QString& t) {
        std::printf("got %s\n", t.toLocal8Bit().constData());
        std::fflush(stdout);
        app.quit();
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
