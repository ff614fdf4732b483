// The about box: version, licence, the guide and the libraries in use.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace cx {

struct AboutFacts {
    std::string Version;
    std::string Licence;
    QUrl Homepage;  // the project's guide
    // Library name and version, in the order shown.
    std::vector<std::pair<std::string, std::string>> Libraries;
};

class About : public QDialog {
    Q_OBJECT
public:
    using Lookup = std::function<std::string(const std::string& key)>;
    About(const AboutFacts& facts, Lookup translate, std::function<void(const QUrl&)> openUrl = {},
          QWidget* parent = nullptr);

    // The text shown, for tests and copy and paste.
    QString Text() const;

private:
    QString m_text;
};

}  // namespace cx
