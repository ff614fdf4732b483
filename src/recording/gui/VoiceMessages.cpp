#include "recording/gui/VoiceMessages.h"

#include <QMessageBox>
#include <cstdio>

namespace cx {

VoiceDeskHooks VoiceMessageHooks(std::function<QWidget*()> parent,
                                 std::function<std::string(const std::string&)> translate,
                                 std::function<void()> lights) {
    VoiceDeskHooks hooks;
    hooks.lightsChanged = std::move(lights);
    hooks.message = [parent = std::move(parent), translate = std::move(translate)](
                        const std::string& key, const std::string& detail, bool critical) {
        QString text = key.empty() ? QString() : QString::fromStdString(translate(key));
        if (text.isEmpty()) text = QString::fromStdString(key);
        if (text.contains(QLatin1String("%1"))) {
            text = text.arg(QString::fromStdString(detail));
        } else if (!detail.empty()) {
            text += text.isEmpty() ? QString::fromStdString(detail)
                                   : QStringLiteral("\n") + QString::fromStdString(detail);
        }
        std::fprintf(stderr, "cantabilex: %s\n", text.toLocal8Bit().constData());
        auto* box = new QMessageBox(critical ? QMessageBox::Critical : QMessageBox::Information,
                                    QStringLiteral("Cantabilex"), text, QMessageBox::Ok,
                                    parent ? parent() : nullptr);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    };
    return hooks;
}

}  // namespace cx
