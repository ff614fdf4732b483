#include "karaoke/gui/PicEdit.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "karaoke/Pictures.h"
#include "karaoke/SongDetails.h"

namespace cx {
namespace {

constexpr const char* kGroups[] = {"Push", "Slide", "Stretch", "Wipe", "Custom"};
constexpr int kMaxSeconds = 59 * 60 + 59;

QImage PreviewOf(const QImage& img) {
    if (img.isNull()) {
        QImage black(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
        black.fill(Qt::black);
        return black;
    }
    return img
        .scaled(kPreviewWidth, kPreviewHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QString PicEdit::Translate(const char* key) const {
    const std::string text = m_translate ? m_translate(key) : std::string();
    return text.empty() ? QString::fromUtf8(key) : QString::fromStdString(text);
}

QString PicEdit::NameCaption(const std::string& name, bool group) const {
    const std::string text = m_translate ? m_translate(TransitionCaptionKey(name, group)) : "";
    return QString::fromStdString(text.empty() ? name : text);
}

PicEdit::PicEdit(const TimelinePicture& initial, bool editing, const QImage& previous,
                 Lookup translate, Hooks hooks, QWidget* parent)
    : QDialog(parent, Qt::Dialog),
      m_translate(std::move(translate)),
      m_hooks(std::move(hooks)),
      m_previous(PreviewOf(previous)) {
    setObjectName("PicEdit");
    setWindowTitle(Translate("PictureCaption"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* grid = new QGridLayout(this);
    int row = 0;

    m_path = new QLineEdit(QString::fromStdString(initial.Path));
    m_path->setObjectName("PicPath");
    auto* browse = new QPushButton(Translate("PictureBrowse"));
    browse->setObjectName("Browse");
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString title = QStringLiteral("CBX: ") + Translate("DialogOpenPicture");
        const QString filter =
            Translate("FilterPicture") + QStringLiteral(" (*.bmp *.jpg *.jpeg *.png *.gif)");
        const QString file = m_hooks.ChoosePicture ? m_hooks.ChoosePicture(title, filter)
                                                   : QFileDialog::getOpenFileName(
                                                         this, title, m_path->text(), filter);
        if (!file.isEmpty()) m_path->setText(file);
    });
    grid->addWidget(new QLabel(Translate("PictureFile")), row, 0);
    grid->addWidget(m_path, row, 1, 1, 2);
    grid->addWidget(browse, row++, 3);

    m_time = new QTimeEdit;
    m_time->setObjectName("PicTime");
    m_time->setDisplayFormat(QStringLiteral("mm:ss"));
    m_time->setTime(QTime(0, 0).addSecs(std::clamp(initial.Time, 0, kMaxSeconds)));
    grid->addWidget(new QLabel(Translate("PictureTime")), row, 0);
    grid->addWidget(m_time, row++, 1);

    m_tree = new QTreeWidget;
    m_tree->setObjectName("TV");
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumSize(190, 240);
    for (const char* group : kGroups) {
        auto* top = new QTreeWidgetItem(m_tree, {NameCaption(group, true)});
        top->setFlags(Qt::ItemIsEnabled);
        for (const std::string& effect : TransitionEffects()) {
            if (TransitionGroup(effect) == group)
                (new QTreeWidgetItem(top, {NameCaption(effect)}))
                    ->setData(0, Qt::UserRole, QString::fromStdString(effect));
        }
    }
    m_tree->expandAll();
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &PicEdit::EffectChosen);
    grid->addWidget(new QLabel(Translate("PictureEffect")), row, 0, Qt::AlignTop);
    grid->addWidget(m_tree, row, 1, 4, 1);

    m_effectName = new QLabel;
    m_effectName->setObjectName("EffectName");
    grid->addWidget(m_effectName, row++, 2, 1, 2);
    m_variant = new QComboBox;
    m_variant->setObjectName("Variant");
    grid->addWidget(new QLabel(Translate("PictureVariant")), row, 2);
    grid->addWidget(m_variant, row++, 3);
    m_speed = new QSpinBox;
    m_speed->setObjectName("Speed");
    m_speed->setRange(1, 10);
    m_speed->setValue(std::clamp(initial.Speed > 0 ? initial.Speed : 5, 1, 10));
    grid->addWidget(new QLabel(Translate("PictureSpeed")), row, 2);
    grid->addWidget(m_speed, row++, 3);
    auto* clear = new QPushButton(Translate("PictureClearEffect"));
    clear->setObjectName("ClearEffect");
    connect(clear, &QPushButton::clicked, this, &PicEdit::ClearEffect);
    grid->addWidget(clear, row++, 2, 1, 2);

    m_preview = new QLabel;
    m_preview->setObjectName("PRV");
    m_preview->setFixedSize(kPreviewWidth, kPreviewHeight);
    auto* play = new QPushButton(Translate("PicturePreview"));
    play->setObjectName("Preview");
    connect(play, &QPushButton::clicked, this, &PicEdit::PlayPreview);
    auto* pv = new QVBoxLayout;
    pv->addWidget(m_preview);
    pv->addWidget(play);
    pv->addStretch(1);
    grid->addLayout(pv, row - 4, 4, 4, 1);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(editing ? Translate("OK") : Translate("DetailsAdd"),
                                         QDialogButtonBox::AcceptRole);
    ok->setObjectName("OK");
    QPushButton* cancel = buttons->addButton(Translate("Cancel"), QDialogButtonBox::RejectRole);
    connect(ok, &QPushButton::clicked, this, [this] { OK_Click(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    grid->addWidget(buttons, row, 0, 1, 5);

    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, &PicEdit::NextFrame);
    if (!SetEffect(initial.Effect, initial.EffectDetail)) ClearEffect();
    ShowFrame(m_previous);
}

bool PicEdit::SetEffect(const std::string& effect, const std::string& variant) {
    const QString name = QString::fromStdString(effect);
    for (int g = 0; g < m_tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = m_tree->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i) {
            if (group->child(i)->data(0, Qt::UserRole).toString() != name) continue;
            m_tree->setCurrentItem(group->child(i));
            const int v = m_variant->findData(QString::fromStdString(variant));
            if (v >= 0) m_variant->setCurrentIndex(v);
            return true;
        }
    }
    return false;
}

void PicEdit::ClearEffect() {
    m_tree->setCurrentItem(nullptr);
    m_effect.clear();
    m_variant->clear();
    m_variant->setEnabled(false);
    m_effectName->setText(Translate("PictureClearEffect"));
}

void PicEdit::EffectChosen() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item || !item->parent()) {
        ClearEffect();
        return;
    }
    m_effect = item->data(0, Qt::UserRole).toString().toStdString();
    m_effectName->setText(item->text(0));
    m_variant->clear();
    for (const std::string& v : TransitionVariants(m_effect))
        m_variant->addItem(NameCaption(v), QString::fromStdString(v));
    m_variant->setEnabled(m_variant->count() > 0);
}

QStringList PicEdit::Variants() const {
    QStringList out;
    for (int i = 0; i < m_variant->count(); ++i) out << m_variant->itemData(i).toString();
    return out;
}

void PicEdit::SetPath(const QString& path) {
    m_path->setText(path);
}
void PicEdit::SetTime(int seconds) {
    m_time->setTime(QTime(0, 0).addSecs(std::clamp(seconds, 0, kMaxSeconds)));
}
void PicEdit::SetSpeed(int speed) {
    m_speed->setValue(speed);
}

TimelinePicture PicEdit::Values() const {
    TimelinePicture p;
    p.Path = m_path->text().toStdString();
    p.Time = QTime(0, 0).secsTo(m_time->time());
    p.Effect = m_effect;
    p.EffectDetail =
        m_effect.empty() ? std::string() : m_variant->currentData().toString().toStdString();
    p.Speed = m_speed->value();
    return p;
}

void PicEdit::ShowFrame(const QImage& frame) {
    m_shown = frame;
    m_preview->setPixmap(QPixmap::fromImage(frame));
}

void PicEdit::PlayPreview() {
    m_frameTimer.stop();
    const TimelinePicture v = Values();
    m_from = m_previous;
    m_to = PreviewOf(DecodePicture(v.Path));
    m_spec = {v.Effect, v.EffectDetail, v.Speed};
    const QSize area(kPreviewWidth, kPreviewHeight);
    m_steps = IsKnownTransition(m_spec) ? std::max(1, TransitionSteps(m_spec, area, true)) : 0;
    m_frame = 0;
    if (m_steps == 0) {
        ShowFrame(m_to);
        return;
    }
    NextFrame();
}

void PicEdit::NextFrame() {
    if (m_frame > m_steps) return;
    ShowFrame(TransitionFrame(m_from, m_to, m_spec, m_frame, m_steps));
    if (m_frame == m_steps) {
        ++m_frame;
        return;
    }
    const int pause = PreviewPauseMs(m_spec, m_frame, m_steps);
    ++m_frame;
    m_frameTimer.start(std::max(0, pause));
}

bool PicEdit::Ask(const QString& text) {
    const QString title = Translate("PictureCaption");
    if (m_hooks.Ask) return m_hooks.Ask(title, text);
    return QMessageBox::question(this, title, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

bool PicEdit::OK_Click() {
    const TimelinePicture v = Values();
    switch (CheckTimelinePicture(v.Path)) {
        case PictureCheck::NotAssigned:
            // OK leaves without a change; Cancel goes back to the editor.
            if (!Ask(Translate("PictureNotAssigned") + "\n" + Translate("PictureContinue")))
                return false;
            reject();
            return true;
        case PictureCheck::Missing:
            if (!Ask(Translate("PictureNotExists") + " " + Translate("PictureNotChanged") + "\n" +
                     Translate("PictureContinue")))
                return false;
            reject();
            return true;
        case PictureCheck::Ok:
            break;
    }
    m_frameTimer.stop();
    if (m_hooks.Accepted) m_hooks.Accepted(v);
    accept();
    return true;
}

}  // namespace cx
