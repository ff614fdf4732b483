#include "app/ErrorReport.h"

#include <QMessageBox>

namespace cx {

std::string ErrorReportText(const std::string& text) {
    return text + "\nIf you want to learn more about this error\nplease send this description to " +
           kSupportMail;
}

void ShowErrorReport(QWidget* parent, const std::string& text) {
    QMessageBox::critical(parent, kProgramTitle, QString::fromStdString(ErrorReportText(text)));
}

}  // namespace cx
