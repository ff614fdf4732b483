#include "midi/gui/MidiInfoDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace cx {

MIDIInfo::MIDIInfo(QWidget* parent) : QDialog(parent) {
    // Wide enough for a tempo map or an instrument on one line.
    setMinimumWidth(fontMetrics().averageCharWidth() * 56);
    auto* box = new QVBoxLayout(this);
    m_form = new QFormLayout();
    m_form->setLabelAlignment(Qt::AlignRight);
    box->addLayout(m_form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    box->addWidget(buttons);
}

void MIDIInfo::ShowReport(const QString& fileName, const ReportRows& rows, const QString& error) {
    m_rows = rows;
    while (m_form->rowCount() > 0) m_form->removeRow(0);
    auto* name = new QLabel(fileName, this);
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    m_form->addRow(name);
    if (!error.isEmpty()) m_form->addRow(new QLabel(error, this));
    for (const auto& [caption, value] : rows) {
        auto* v = new QLabel(QString::fromStdString(value), this);
        v->setWordWrap(true);
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_form->addRow(QString::fromStdString(caption) + QLatin1Char(':'), v);
    }
    adjustSize();
}

}  // namespace cx
