// Where the user's guide is: beside an installed program, or in the source
// tree of a build that was never installed.
#pragma once

#include <QString>
#include <QUrl>

namespace cx {

// The README as a local file URL; invalid when none can be found.
// `programFolder` is the folder of the running program.
QUrl HelpPage(const QString& programFolder);

}  // namespace cx
