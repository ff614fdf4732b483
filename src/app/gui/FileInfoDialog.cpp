#include "app/gui/FileInfoDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "lyrics/Id3v1.h"
#include "lyrics/TimeText.h"

namespace cx {
namespace {

constexpr const char* kFieldKeys[] = {"InfoTitle", "InfoArtist",  "InfoAlbum",
                                      "InfoYear",  "InfoComment", "InfoTrack"};
constexpr const char* kFieldNames[] = {"Title", "Artist", "Album", "Year", "Comment", "Track"};
constexpr const char* kBadTrackText =
    "The track number must be a number (from 0 to 255 for ID3v1); nothing was saved.";
constexpr const char* kLossyText =
    "The ID3v1 tag cannot hold some characters of: %1. They were written as \"?\".";
// ID3v1 field widths: longer text would be cut when written.
constexpr int kId3v1Widths[] = {30, 30, 30, 4, 28, 3};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::array<std::string*, 6> Fields(TagValues& v) {
    return {&v.Title, &v.Artist, &v.Album, &v.Year, &v.Comment, &v.Track};
}

}  // namespace

const char* SaveTagErrorText(int code) {
    switch (code) {
        case kSaveTagV1Failed:
            return "Can't write ID3v1 tag.";
        case kSaveTagV2Failed:
            return "Can't write ID3v2 tag.";
        case kSaveTagBothFailed:
            return "Can't write both ID3v1 and Id3v2 tag.";
        default:
            return "";
    }
}

QString FileInfoDialog::Translate(const char* key, const char* fallback) const {
    const std::string t = m_translate ? m_translate(key) : std::string();
    return t.empty() ? QString::fromUtf8(fallback) : Q(t);
}

FileInfoDialog::FileInfoDialog(const std::string& path, Codepage cp, Lookup translate, Hooks hooks,
                               QWidget* parent)
    : QDialog(parent),
      m_path(path),
      m_cp(cp),
      m_translate(std::move(translate)),
      m_hooks(std::move(hooks)) {
    setObjectName("frmInfo");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Translate("FileInfo", "File information"));

    MP3Class mp3(cp);
    mp3.SetMidiInspector(m_hooks.Midi);
    mp3.SetFilename(path);
    const bool readable = mp3.ReadFile();
    if (readable) mp3.ReadTag();
    m_info = mp3.Info();
    m_editable = readable && m_info.format == "MP3";

    auto* v = new QVBoxLayout(this);
    auto* pathEdit = new QLineEdit(Q(path));
    pathEdit->setObjectName("Path");
    pathEdit->setReadOnly(true);
    v->addWidget(pathEdit);
    m_facts = new QPlainTextEdit;
    m_facts->setObjectName("Facts");
    m_facts->setReadOnly(true);
    m_facts->setMaximumHeight(150);
    QString facts;
    if (!readable) {
        facts = Translate("ErrorAudioFile", "Destination file is not an audio file!");
    } else if (m_info.format == "MIDI") {
        facts = QStringLiteral("Format: MIDI\nLength: %1\nTitle: %2\nArtist: %3")
                    .arg(Q(FormatMinSec(m_info.Length)), Q(m_info.Title), Q(m_info.Artist));
    } else if (m_info.format == "WAV") {
        facts = Q(m_info.WAVInfo);
    } else if (m_info.format == "MP3") {
        facts = Q(m_info.MPEGInfo);
    } else {
        facts = QStringLiteral("Length: %1\nSample rate: %2 Hz\nTitle: %3\nArtist: %4")
                    .arg(Q(FormatMinSec(m_info.Length)))
                    .arg(m_info.samplerate)
                    .arg(Q(m_info.Title), Q(m_info.Artist));
    }
    m_facts->setPlainText(facts.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    v->addWidget(m_facts);

    auto* columns = new QHBoxLayout;
    columns->addWidget(BuildColumn(0));
    auto* copy = new QPushButton(QStringLiteral("<<"));
    copy->setObjectName("IDBtn");
    copy->setToolTip(Translate("InfoCopyTags", "Copy the ID3v2 values into ID3v1"));
    connect(copy, &QPushButton::clicked, this, &FileInfoDialog::CopyTags);
    columns->addWidget(copy, 0, Qt::AlignVCenter);
    columns->addWidget(BuildColumn(1));
    v->addLayout(columns);
    if (!m_editable) {
        auto* note = new QLabel(
            Translate("InfoTagsReadOnly", "The tags of this file are not written here."));
        note->setObjectName("ReadOnlyNote");
        v->addWidget(note);
        copy->setEnabled(false);
    }

    auto* buttons = new QDialogButtonBox;
    QPushButton* save =
        buttons->addButton(Translate("DetailsSave", "Save"), QDialogButtonBox::AcceptRole);
    save->setObjectName("Save");
    save->setEnabled(m_editable);
    QPushButton* close =
        buttons->addButton(Translate("Close", "Close"), QDialogButtonBox::RejectRole);
    connect(save, &QPushButton::clicked, this, [this] { Save_Click(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    v->addWidget(buttons);

    SetValues(1, {m_info.Title1, m_info.Artist1, m_info.Album1, m_info.Year1, m_info.Comment1,
                  m_info.Track1, m_info.Genre1});
    SetValues(2, {m_info.Title2, m_info.Artist2, m_info.Album2, m_info.Year2, m_info.Comment2,
                  m_info.Track2, m_info.Genre2});
    // A tag the file has is written back; a new file gets both.
    const bool none = !m_info.ID3v1Exist && !m_info.ID3v2Exist;
    SetWrite(1, m_editable && (m_info.ID3v1Exist || none));
    SetWrite(2, m_editable && (m_info.ID3v2Exist || none));
}

QWidget* FileInfoDialog::BuildColumn(int index) {
    const bool v1 = index == 0;
    Column& c = m_columns[static_cast<std::size_t>(index)];
    auto* box = new QGroupBox(v1 ? QStringLiteral("ID3v1") : QStringLiteral("ID3v2"));
    auto* form = new QFormLayout(box);
    c.Write = new QCheckBox(Translate("InfoWriteTag", "Write this tag"));
    c.Write->setObjectName(v1 ? "Check1" : "Check2");
    c.Write->setEnabled(m_editable);
    form->addRow(QString(), c.Write);
    for (std::size_t i = 0; i < c.Fields.size(); ++i) {
        auto* e = new QLineEdit;
        e->setObjectName(QStringLiteral("%1%2").arg(v1 ? "ID1" : "ID2", kFieldNames[i]));
        if (v1) e->setMaxLength(kId3v1Widths[i]);
        e->setEnabled(m_editable);
        c.Fields[i] = e;
        form->addRow(Translate(kFieldKeys[i], kFieldNames[i]), e);
    }
    c.Genre = new QComboBox;
    c.Genre->setObjectName(v1 ? "Combo1" : "Combo2");
    c.Genre->setEditable(!v1);  // ID3v2 takes any genre text, ID3v1 only the table
    c.Genre->addItem(QString());
    for (int g = 0; g < kGenreCount; ++g) c.Genre->addItem(Q(GenreName(g)));
    c.Genre->setEnabled(m_editable);
    form->addRow(Translate("InfoGenre", "Genre"), c.Genre);
    return box;
}

TagValues FileInfoDialog::Values(int column) const {
    const Column& c = m_columns[static_cast<std::size_t>(column - 1)];
    TagValues v;
    const auto fields = Fields(v);
    for (std::size_t i = 0; i < fields.size(); ++i) *fields[i] = c.Fields[i]->text().toStdString();
    v.Genre = c.Genre->currentText().toStdString();
    if (column == 1) {
        for (std::string* f : fields) *f = CutSp(*f);
    }
    return v;
}

void FileInfoDialog::SetValues(int column, const TagValues& values) {
    Column& c = m_columns[static_cast<std::size_t>(column - 1)];
    TagValues v = values;
    const auto fields = Fields(v);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        c.Fields[i]->setText(Q(column == 1 ? CutSp(*fields[i]) : *fields[i]));
    }
    const int g = c.Genre->findText(Q(v.Genre), Qt::MatchFixedString);
    if (g >= 0) {
        c.Genre->setCurrentIndex(g);
    } else if (c.Genre->isEditable()) {
        c.Genre->setEditText(Q(v.Genre));
    } else {
        c.Genre->setCurrentIndex(0);
    }
}

void FileInfoDialog::SetWrite(int column, bool write) {
    m_columns[static_cast<std::size_t>(column - 1)].Write->setChecked(write);
}

QString FileInfoDialog::Facts() const {
    return m_facts->toPlainText();
}

void FileInfoDialog::CopyTags() {
    SetValues(1, Values(2));
}

void FileInfoDialog::Tell(const QString& title, const QString& text, bool error) {
    if (m_hooks.Error) {
        m_hooks.Error(title, text);
    } else if (error) {
        QMessageBox::critical(this, title, text);
    } else {
        QMessageBox::warning(this, title, text);
    }
}

int FileInfoDialog::Save_Click() {
    if (!m_editable) return kSaveTagOk;
    const bool w1 = m_columns[0].Write->isChecked();
    const bool w2 = m_columns[1].Write->isChecked();
    const QString title = QString::fromUtf8(kSaveErrorTitle);
    if ((w1 && !ValidTrackText(Values(1).Track, true)) ||
        (w2 && !ValidTrackText(Values(2).Track, false))) {
        Tell(title, Translate("InfoBadTrack", kBadTrackText), true);
        return kSaveTagBadTrack;
    }
    MP3Class mp3(m_cp);
    mp3.SetFilename(m_path);
    const int code = mp3.SaveId3Tag(Values(1), Values(2), w1, w2);
    if (code != kSaveTagOk) {
        Tell(title, QString::fromUtf8(SaveTagErrorText(code)), true);
        return code;
    }
    if (m_hooks.Saved) m_hooks.Saved(m_path);
    if (!mp3.LossyId3v1Fields().empty()) {
        QStringList names;
        for (const std::string& field : mp3.LossyId3v1Fields()) {
            const auto* at = std::find(std::begin(kFieldNames), std::end(kFieldNames), field);
            const auto i = static_cast<std::size_t>(at - std::begin(kFieldNames));
            names << (i < std::size(kFieldKeys) ? Translate(kFieldKeys[i], kFieldNames[i])
                                                : Q(field));
        }
        Tell(windowTitle(),
             Translate("InfoTagCodepage", kLossyText).arg(names.join(QStringLiteral(", "))), false);
    }
    accept();
    return code;
}

}  // namespace cx
