#include "app/gui/About.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace cx {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

About::About(const AboutFacts& facts, Lookup translate, std::function<void(const QUrl&)> openUrl,
             QWidget* parent)
    : QDialog(parent) {
    auto tr = [&translate](const char* key, const char* fallback) {
        const std::string t = translate ? translate(key) : std::string();
        return t.empty() ? QString::fromUtf8(fallback) : Q(t);
    };
    setObjectName("About");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("About", "About"));
    setMinimumWidth(380);
    auto* v = new QVBoxLayout(this);
    auto* name =
        new QLabel(QStringLiteral("<h2>%1 %2</h2>")
                       .arg(tr("ProgramTitle", "Cantabilex"), Q(facts.Version).toHtmlEscaped()));
    name->setObjectName("Version");
    v->addWidget(name);
    const QString about = tr("AboutText", "");
    auto* description = new QLabel(QString(about).replace('\n', QStringLiteral("<br>")));
    description->setWordWrap(true);
    v->addWidget(description);
    auto* licence =
        new QLabel(tr("AboutLicence", "Licence") + QStringLiteral(": ") + Q(facts.Licence));
    licence->setObjectName("Licence");
    v->addWidget(licence);
    // The description may name the licence already.
    if (about.contains(Q(facts.Licence))) licence->hide();
    auto* page = new QPushButton(tr("Homepage", "Home page"));
    page->setObjectName("Homepage");
    page->setToolTip(facts.Homepage.toString());
    page->setEnabled(facts.Homepage.isValid());
    const QUrl url = facts.Homepage;
    connect(page, &QPushButton::clicked, this, [url, openUrl] {
        if (openUrl) {
            openUrl(url);
        } else {
            QDesktopServices::openUrl(url);
        }
    });
    v->addWidget(page, 0, Qt::AlignLeft);
    auto* libs = new QTreeWidget;
    libs->setObjectName("Libraries");
    libs->setRootIsDecorated(false);
    libs->setHeaderLabels({tr("AboutLibrary", "Library"), tr("AboutLibraryVersion", "Version")});
    for (const auto& [lib, version] : facts.Libraries)
        new QTreeWidgetItem(libs, {Q(lib), Q(version)});
    libs->resizeColumnToContents(0);
    libs->setMinimumHeight(220);
    v->addWidget(libs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    v->addWidget(buttons);

    m_text = QStringLiteral("Cantabilex ") + Q(facts.Version) + "\n" + Q(facts.Licence) + "\n" +
             facts.Homepage.toString() + "\n";
    for (const auto& [lib, version] : facts.Libraries) m_text += Q(lib) + " " + Q(version) + "\n";
}

QString About::Text() const {
    return m_text;
}

}  // namespace cx
