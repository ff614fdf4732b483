#include "karaoke/gui/Details.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "karaoke/LyricLayout.h"
#include "karaoke/Pictures.h"
#include "karaoke/gui/PicEdit.h"

namespace cx {
namespace {

constexpr const char* kColourKeys[kSongColourCount] = {
    "DetailsNormal",   "DetailsHighlight", "DetailsOutline1",  "DetailsOutline2",
    "DetailsOutline3", "DetailsOutline4",  "DetailsBackground"};
constexpr int kPreviewSide = 320;

enum Column { kColFile, kColTime, kColEffect, kColSpeed, kColVariant, kColumns };

std::uint32_t FromQColor(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

QString Details::Translate(const char* key) const {
    const std::string text = m_translate ? m_translate(key) : std::string();
    return text.empty() ? QString::fromUtf8(key) : Q(text);
}

Details::Details(const SongLook& look, const KaraokeSettings& settings, Lookup translate,
                 Hooks hooks, QWidget* parent)
    : QDialog(parent),
      m_original(look),
      m_settings(settings),
      m_translate(std::move(translate)),
      m_hooks(std::move(hooks)) {
    setObjectName("Details");
    setWindowTitle(Translate("DetailsCaption"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* tabs = new QTabWidget(this);
    tabs->addTab(BuildGeneral(), Translate("DetailsGeneral"));
    tabs->addTab(BuildImages(), Translate("DetailsImages"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Translate("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("OK");
    QPushButton* save = buttons->addButton(Translate("DetailsSave"), QDialogButtonBox::ApplyRole);
    save->setObjectName("Save");
    QPushButton* cancel = buttons->addButton(Translate("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName("Cancel");
    connect(ok, &QPushButton::clicked, this, &Details::OK_Click);
    connect(save, &QPushButton::clicked, this, [this] { Save_Click(); });
    connect(cancel, &QPushButton::clicked, this, &Details::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);

    // Loading fills every control from the song's look.
    const DisplayBlock block = BlockFromLook(look);
    m_artist->setText(Q(block.Artist));
    m_title->setText(Q(block.Title));
    m_picPath->setText(Q(block.Picture));
    for (int i = 0; i < kSongColourCount; ++i) {
        const auto which = static_cast<SongColour>(i);
        m_colours[static_cast<std::size_t>(i)] =
            ShownColour(BlockColour(block, which), SettingColour(m_settings, which));
        ShowSwatch(which);
    }
    if (auto* b = m_alignment->button(block.Alignment)) b->setChecked(true);
    if (auto* b = m_layout->button(block.Layout)) b->setChecked(true);
    m_codepage->setCurrentIndex(std::max(0, m_codepage->findData(block.Codepage)));
    for (std::size_t i = 1; i < block.Schedule.size(); ++i) {
        const PictureEntry& e = block.Images[static_cast<std::size_t>(block.Schedule[i].Index)];
        PutRow(new QTreeWidgetItem(m_list),
               {e.Path, block.Schedule[i].Time, e.Effect, e.EffectDetail, e.Speed});
    }
    UpdateTimelineButtons();
    m_loading = false;
}

Details::~Details() {
    if (m_editor) m_editor->close();
    if (m_preview) m_preview->close();
}

QWidget* Details::BuildGeneral() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    m_artist = new QLineEdit;
    m_artist->setObjectName("xArtist");
    m_title = new QLineEdit;
    m_title->setObjectName("xTitle");
    grid->addWidget(new QLabel(Translate("DetailsArtist")), row, 0);
    grid->addWidget(m_artist, row++, 1, 1, 3);
    grid->addWidget(new QLabel(Translate("DetailsTitle")), row, 0);
    grid->addWidget(m_title, row++, 1, 1, 3);
    connect(m_artist, &QLineEdit::textChanged, this, &Details::Changed);
    connect(m_title, &QLineEdit::textChanged, this, &Details::Changed);

    auto* colours = new QGroupBox(Translate("PrefColors"));
    auto* cg = new QGridLayout(colours);
    for (int i = 0; i < kSongColourCount; ++i) {
        auto* swatch = new QPushButton;
        swatch->setObjectName(QStringLiteral("Colour%1").arg(i));
        swatch->setMinimumWidth(130);
        const auto which = static_cast<SongColour>(i);
        connect(swatch, &QPushButton::clicked, this, [this, which] { ChooseColour(which); });
        m_swatches[static_cast<std::size_t>(i)] = swatch;
        cg->addWidget(new QLabel(Translate(kColourKeys[i])), i % 4, (i / 4) * 2);
        cg->addWidget(swatch, i % 4, (i / 4) * 2 + 1);
    }
    grid->addWidget(colours, row++, 0, 1, 4);

    auto options = [this](const char* title, QButtonGroup*& group, const char* name,
                          std::initializer_list<std::pair<int, const char*>> items) {
        auto* box = new QGroupBox(Translate(title));
        auto* h = new QHBoxLayout(box);
        group = new QButtonGroup(this);
        group->setObjectName(name);
        for (const auto& [id, key] : items) {
            auto* r = new QRadioButton(Translate(key));
            r->setObjectName(QStringLiteral("%1%2").arg(name).arg(id));
            group->addButton(r, id);
            h->addWidget(r);
        }
        connect(group, &QButtonGroup::idClicked, this, &Details::Changed);
        return box;
    };
    // Option indices as stored: 1 top, 0 centre, 2 bottom; 0 actual size, 1 tile, 2 stretch.
    grid->addWidget(options("DetailsAlignment", m_alignment, "AL",
                            {{1, "DetailsTextTop"},
                             {0, "DetailsTextCenter"},
                             {2, "DetailsTextBottom"},
                             {kSettingUnset, "DetailsAsSetting"}}),
                    row++, 0, 1, 4);

    auto* pic = new QGroupBox(Translate("DetailsPicture"));
    auto* ph = new QHBoxLayout(pic);
    m_picPath = new QLineEdit;
    m_picPath->setObjectName("PicPath");
    auto* browse = new QPushButton(Translate("PictureBrowse"));
    browse->setObjectName("Browse");
    auto* noPic = new QPushButton(Translate("PictureClear"));
    noPic->setObjectName("NoPic");
    auto* preview = new QPushButton(Translate("DetailsPreview"));
    preview->setObjectName("bPreview");
    ph->addWidget(m_picPath, 1);
    ph->addWidget(browse);
    ph->addWidget(noPic);
    ph->addWidget(preview);
    connect(m_picPath, &QLineEdit::textChanged, this, &Details::Changed);
    connect(browse, &QPushButton::clicked, this, [this] { BrowsePicture(m_picPath); });
    connect(noPic, &QPushButton::clicked, this, [this] { m_picPath->clear(); });
    connect(preview, &QPushButton::clicked, this, [this] { PreviewPicture(m_picPath->text()); });
    grid->addWidget(pic, row++, 0, 1, 4);
    grid->addWidget(options("DetailsLayout", m_layout, "LAY",
                            {{0, "PictureOriginal"},
                             {1, "PictureTile"},
                             {2, "PictureStretch"},
                             {kSettingUnset, "DetailsAsSetting"}}),
                    row++, 0, 1, 4);
    // How the song's lyrics and tags are read when they are not UTF-8.
    m_codepage = new QComboBox;
    m_codepage->setObjectName("Codepage");
    m_codepage->setToolTip(Translate("DetailsCodepageTip"));
    m_codepage->addItem(Translate("DetailsCodepageAuto"), 0);
    m_codepage->addItem(Translate("DetailsCodepage1250"), 1250);
    m_codepage->addItem(Translate("DetailsCodepage28592"), 28592);
    m_codepage->addItem(Translate("DetailsCodepage1252"), 1252);
    connect(m_codepage, &QComboBox::currentIndexChanged, this, &Details::Changed);
    grid->addWidget(new QLabel(Translate("DetailsCodepage")), row, 0);
    grid->addWidget(m_codepage, row++, 1, 1, 3);
    grid->setRowStretch(row, 1);
    return page;
}

QWidget* Details::BuildImages() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    m_list = new QTreeWidget;
    m_list->setObjectName("KARList");
    m_list->setRootIsDecorated(false);
    m_list->setColumnCount(kColumns);
    m_list->setHeaderLabels({Translate("DetailsFile"), Translate("DetailsTime"),
                             Translate("DetailsEffect"), Translate("DetailsSpeed"),
                             Translate("DetailsVariant")});
    m_list->header()->setSectionResizeMode(kColFile, QHeaderView::Stretch);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    v->addWidget(m_list, 1);
    auto* h = new QHBoxLayout;
    m_add = new QPushButton(Translate("DetailsAdd"));
    m_add->setObjectName("AddPic");
    auto* edit = new QPushButton(Translate("DetailsEdit"));
    edit->setObjectName("EditPic");
    auto* remove = new QPushButton(Translate("DetailsRemove"));
    remove->setObjectName("RemPic");
    h->addWidget(m_add);
    h->addWidget(edit);
    h->addWidget(remove);
    h->addStretch(1);
    v->addLayout(h);
    auto current = [this] { return m_list->indexOfTopLevelItem(m_list->currentItem()); };
    connect(m_add, &QPushButton::clicked, this, [this] { OpenPictureEditor(-1); });
    connect(edit, &QPushButton::clicked, this, [this, current] {
        if (current() >= 0) OpenPictureEditor(current());
    });
    connect(remove, &QPushButton::clicked, this, [this, current] {
        if (current() >= 0) RemoveTimelineRow(current());
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        OpenPictureEditor(m_list->indexOfTopLevelItem(item));
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this, current](const QPoint& at) {
        QMenu menu(this);
        const int row = current();
        menu.addAction(Translate("DetailsAdd"), this, [this] { OpenPictureEditor(-1); })
            ->setEnabled(m_add->isEnabled());
        menu.addAction(Translate("DetailsEdit"), this, [this, row] { OpenPictureEditor(row); })
            ->setEnabled(row >= 0);
        menu.addAction(Translate("DetailsRemove"), this, [this, row] { RemoveTimelineRow(row); })
            ->setEnabled(row >= 0);
        menu.addAction(Translate("DetailsPreview"), this,
                       [this, row] { PreviewPicture(Q(TimelineRow(row).Path)); })
            ->setEnabled(row >= 0);
        menu.exec(m_list->viewport()->mapToGlobal(at));
    });
    return page;
}

void Details::PutRow(QTreeWidgetItem* item, const TimelinePicture& p) {
    item->setText(kColFile, Q(p.Path));
    item->setData(kColFile, Qt::UserRole, Q(p.Path));
    item->setText(kColTime, Q(FormatPictureTime(p.Time)));
    const bool none = p.Effect.empty() || p.Effect == "No effect";
    item->setText(kColEffect, none ? QStringLiteral("None") : Q(p.Effect));
    item->setText(kColSpeed, QString::number(p.Speed));
    item->setText(kColVariant, Q(p.EffectDetail));
}

int Details::TimelineRows() const {
    return m_list->topLevelItemCount();
}

TimelinePicture Details::TimelineRow(int row) const {
    TimelinePicture p;
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item) return p;
    p.Path = item->data(kColFile, Qt::UserRole).toString().toStdString();
    p.Time = ParsePictureTime(item->text(kColTime).toStdString());
    const QString effect = item->text(kColEffect);
    p.Effect = effect == QLatin1String("None") ? std::string() : effect.toStdString();
    p.Speed = item->text(kColSpeed).toInt();
    p.EffectDetail = item->text(kColVariant).toStdString();
    return p;
}

QImage Details::PictureBefore(int row) const {
    // The picture that is on show before this one: the row above, or the
    // song's or preferred picture at the start.
    const int above = row < 0 ? TimelineRows() - 1 : row - 1;
    QImage img = above >= 0 ? DecodePicture(TimelineRow(above).Path) : QImage();
    if (img.isNull()) img = DecodePicture(m_picPath->text().toStdString());
    if (img.isNull()) img = DecodePicture(m_settings.LyricsPicPath);
    if (img.isNull()) {
        img = QImage(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
        img.fill(ToQColor(Colour(SongColour::Back)));
    }
    return img;
}

PicEdit* Details::OpenPictureEditor(int row) {
    if (m_editor) m_editor->close();
    if (row >= TimelineRows()) return nullptr;
    if (row < 0 && !m_add->isEnabled()) return nullptr;
    TimelinePicture initial;
    if (row >= 0) initial = TimelineRow(row);
    PicEdit::Hooks hooks;
    hooks.Accepted = [this, row](const TimelinePicture& p) {
        QTreeWidgetItem* item = row >= 0 ? m_list->topLevelItem(row) : new QTreeWidgetItem(m_list);
        if (!item) return;
        PutRow(item, p);
        UpdateTimelineButtons();
        Changed();
    };
    hooks.Ask = m_hooks.Ask;
    hooks.ChoosePicture = m_hooks.ChoosePicture;
    m_editor = new PicEdit(initial, row >= 0, PictureBefore(row), m_translate, hooks, this);
    m_editor->show();
    return m_editor;
}

void Details::RemoveTimelineRow(int row) {
    delete m_list->takeTopLevelItem(row);
    UpdateTimelineButtons();
    Changed();
}

void Details::UpdateTimelineButtons() {
    if (!m_add) return;
    DisplayBlock b = Block();
    m_add->setEnabled(TimelineRows() < TimelineCapacity(b));
}

bool Details::PreviewPicture(const QString& path) {
    const QImage img = DecodePicture(path.toStdString());
    if (path.isEmpty() || !QFileInfo::exists(path) || img.isNull()) {
        if (m_hooks.Message) {
            m_hooks.Message(Translate("DetailsError"));
        } else {
            QMessageBox::information(this, windowTitle(), Translate("DetailsError"));
        }
        return false;
    }
    if (m_preview) m_preview->close();
    auto* label = new QLabel(this, Qt::Tool);
    label->setObjectName("PicPreview");
    label->setAttribute(Qt::WA_DeleteOnClose);
    label->setWindowTitle(QFileInfo(path).fileName());
    label->setPixmap(QPixmap::fromImage(
        img.scaled(kPreviewSide * 2, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    label->show();
    m_preview = label;
    return true;
}

void Details::BrowsePicture(QLineEdit* edit) {
    const QString title = QStringLiteral("CBX: ") + Translate("DialogOpenPicture");
    const QString filter = Translate("FilterPictures") +
                           QStringLiteral(" (*.bmp *.jpg *.jpeg *.png *.gif);;") +
                           Translate("FilterAll") + QStringLiteral(" (*)");
    const QString file = m_hooks.ChoosePicture
                             ? m_hooks.ChoosePicture(title, filter)
                             : QFileDialog::getOpenFileName(this, title, edit->text(), filter);
    if (!file.isEmpty()) edit->setText(file);
}

void Details::ShowSwatch(SongColour which) {
    const auto i = static_cast<std::size_t>(which);
    const std::uint32_t c = m_colours[i];
    QPushButton* b = m_swatches[i];
    const QColor q = ToQColor(c);
    const bool setting = ColourIsSetting(which);
    b->setText(setting ? Translate("DetailsAsSetting") : q.name());
    b->setToolTip(q.name());
    const QColor ink = q.lightness() > 128 ? Qt::black : Qt::white;
    b->setStyleSheet(QStringLiteral("background-color: %1; color: %2;%3")
                         .arg(q.name(), ink.name(),
                              setting ? QStringLiteral(" font-style: italic;") : QString()));
}

void Details::ChooseColour(SongColour which) {
    const QColor chosen = QColorDialog::getColor(ToQColor(Colour(which)), this,
                                                 Translate(kColourKeys[static_cast<int>(which)]));
    if (chosen.isValid()) SetColour(which, FromQColor(chosen));
}

void Details::SetColour(SongColour which, std::uint32_t colour) {
    m_colours[static_cast<std::size_t>(which)] = colour & 0xFFFFFFu;
    ShowSwatch(which);
    Changed();
}

std::uint32_t Details::Colour(SongColour which) const {
    return m_colours[static_cast<std::size_t>(which)];
}

bool Details::ColourIsSetting(SongColour which) const {
    return StoredColour(Colour(which), SettingColour(m_settings, which)) == kColorUnset;
}

DisplayBlock Details::Block() const {
    DisplayBlock b;
    b.Artist = m_artist->text().toStdString();
    b.Title = m_title->text().toStdString();
    b.Picture = m_picPath->text().toStdString();
    for (int i = 0; i < kSongColourCount; ++i) {
        const auto which = static_cast<SongColour>(i);
        SetBlockColour(b, which, StoredColour(Colour(which), SettingColour(m_settings, which)));
    }
    b.Alignment = m_alignment->checkedId() >= 0 ? m_alignment->checkedId() : kSettingUnset;
    b.Layout = m_layout->checkedId() >= 0 ? m_layout->checkedId() : kSettingUnset;
    b.Codepage = m_codepage->currentData().toInt();
    for (int r = 0; r < TimelineRows(); ++r) {
        const TimelinePicture p = TimelineRow(r);
        b.Images.push_back({p.Path, p.Time, p.Effect, p.EffectDetail, p.Speed});
    }
    BuildSchedule(b);
    return b;
}

void Details::ChooseCodepage(int number) {
    m_codepage->setCurrentIndex(std::max(0, m_codepage->findData(number)));
}

void Details::Changed() {
    if (m_loading || m_done) return;
    UpdateTimelineButtons();
    if (m_hooks.Apply) m_hooks.Apply(LookFromBlock(Block(), m_original));
}

void Details::OK_Click() {
    if (m_hooks.Apply) m_hooks.Apply(LookFromBlock(Block(), m_original));
    m_done = true;
    accept();
}

bool Details::Save_Click() {
    const DisplayBlock block = Block();
    if (m_hooks.Apply) m_hooks.Apply(LookFromBlock(block, m_original));
    // A refused write keeps the dialog open: nothing the user set is lost.
    if (m_hooks.Save && !m_hooks.Save(block)) return false;
    m_done = true;
    accept();
    return true;
}

void Details::reject() {
    if (!m_done && m_hooks.Apply) m_hooks.Apply(m_original);
    m_done = true;
    QDialog::reject();
}

}  // namespace cx
