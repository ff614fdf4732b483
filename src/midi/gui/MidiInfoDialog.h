// The MIDI information dialog: the open song's format, tracks, division,
// tempo map, length, title and artist, where its words come from and the
// channels it plays with their instruments.
#pragma once

#include <QDialog>

#include "midi/MidiSongReport.h"

class QFormLayout;

namespace cx {

class MIDIInfo : public QDialog {
public:
    explicit MIDIInfo(QWidget* parent = nullptr);

    // Shows the report of `fileName`; an empty report shows `error` instead.
    void ShowReport(const QString& fileName, const ReportRows& rows, const QString& error = {});
    const ReportRows& Rows() const { return m_rows; }

private:
    QFormLayout* m_form;
    ReportRows m_rows;
};

}  // namespace cx
