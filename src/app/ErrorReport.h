// The program-wide error report shown when an operation fails unexpectedly.
#pragma once

#include <string>

class QWidget;

namespace cx {

inline constexpr char kProgramTitle[] = "Cantabilex";
inline constexpr char kSupportMail[] = "support@cantabilex.org";

// The text of the report: the given text, then the request to send it to us.
std::string ErrorReportText(const std::string& text);

// Shows the report in a critical message box titled with the program title.
void ShowErrorReport(QWidget* parent, const std::string& text);

}  // namespace cx
