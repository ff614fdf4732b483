#include "midi/gui/Advance.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "midi/SoundControls.h"
#include "midi/gui/MidiIcons.h"
#include "midi/gui/Thumb.h"

namespace cx {
namespace {

constexpr const char* kEffectKeys[kVoiceEffectCount + 1] = {"", "Reverb", "Echo", "Chorus",
                                                            "Flanger"};
constexpr int kDefaultEffectThumb = kEffectThumbMin + 50;

QString Db(int db) {
    return QString::fromStdString(SignedText(db)) + QStringLiteral(" dB");
}

QLabel* ValueLabel(QWidget* parent, int ems) {
    auto* l = new QLabel(parent);
    l->setMinimumWidth(parent->fontMetrics().horizontalAdvance(QLatin1Char('0')) * ems);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

}  // namespace

Advance::Advance(SoundControls& controls, TranslateFn translate, QWidget* parent)
    : QWidget(parent), m_controls(controls), m_translate(std::move(translate)) {
    const int em = fontMetrics().height();
    const QColor ink = palette().color(QPalette::WindowText);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);

    // Bass and treble: vertical, the top is the most.
    auto* eq = new QGroupBox(this);
    auto* eqGrid = new QGridLayout(eq);
    auto makeEq = [&](const char* key, const char* fallback, int column, QLabel*& label) {
        auto* t = new Thumb(Qt::Vertical, kEqThumbTop, kEqThumbBottom, kEqThumbNeutral, eq);
        t->setInvertedAppearance(true);
        t->setInvertedControls(true);
        t->setMinimumHeight(em * 5);
        t->setPageStep(6);
        t->setAccessibleName(Tr(key, fallback));
        auto* caption = new QLabel(Tr(key, fallback), eq);
        caption->setBuddy(t);
        label = ValueLabel(eq, 6);
        eqGrid->addWidget(caption, 0, column, Qt::AlignHCenter);
        eqGrid->addWidget(t, 1, column, Qt::AlignHCenter);
        eqGrid->addWidget(label, 2, column, Qt::AlignHCenter);
        return t;
    };
    m_bass = makeEq("Bass", "Bass", 0, m_bassLabel);
    m_treble = makeEq("Treble", "Treble", 1, m_trebleLabel);
    m_bass->onMoved = [this](int y) {
        m_controls.MoveBass(y);
        ShowLabels();
    };
    m_treble->onMoved = [this](int y) {
        m_controls.MoveTreble(y);
        ShowLabels();
    };
    auto* resetAll = new QPushButton(Tr("ResetAll", "Reset bass and treble"), eq);
    connect(resetAll, &QPushButton::clicked, this, [this] { ResetAll(); });
    eqGrid->addWidget(resetAll, 3, 0, 1, 2);
    row->addWidget(eq);

    // Balance, the effects and the vocal remover.
    auto* right = new QGroupBox(this);
    auto* grid = new QGridLayout(right);
    auto* balanceCaption = new QLabel(Tr("Balance", "Balance"), right);
    m_balanceThumb = new Thumb(Qt::Horizontal, kBalanceThumbLeft, kBalanceThumbRight,
                               kBalanceThumbCentre, right);
    m_balanceThumb->setAccessibleName(Tr("Balance", "Balance"));
    balanceCaption->setBuddy(m_balanceThumb);
    m_balanceLabel = ValueLabel(right, 5);
    m_balanceThumb->onMoved = [this](int x) {
        m_controls.MoveBalance(x);
        ShowLabels();
    };
    auto* centre = new QPushButton(Tr("ResetBalance", "Center balance"), right);
    connect(centre, &QPushButton::clicked, this, [this] { ResetBalance(); });
    grid->addWidget(balanceCaption, 0, 0);
    grid->addWidget(m_balanceThumb, 0, 1);
    grid->addWidget(m_balanceLabel, 0, 2);
    grid->addWidget(centre, 0, 3);

    for (int k = 1; k <= kVoiceEffectCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        auto* sw = new QToolButton(right);
        sw->setCheckable(true);
        sw->setIcon(PowerIcon(ink));
        sw->setText(Tr(kEffectKeys[k], kEffectKeys[k]));
        sw->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        sw->setAutoRaise(true);
        sw->setAccessibleName(sw->text());
        connect(sw, &QToolButton::toggled, this, [this, k](bool on) {
            m_controls.SwitchEffect(k, on);
            ShowLabels();
        });
        auto* amount =
            new Thumb(Qt::Horizontal, kEffectThumbMin, kEffectThumbMax, kDefaultEffectThumb, right);
        amount->setAccessibleName(sw->text());
        amount->setPageStep(10);
        amount->onMoved = [this, k](int position) {
            m_controls.MoveEffectAmount(k, position);
            ShowLabels();
        };
        m_efo[i] = sw;
        m_ef[i] = amount;
        m_efLabel[i] = ValueLabel(right, 5);
        grid->addWidget(sw, k, 0);
        grid->addWidget(amount, k, 1);
        grid->addWidget(m_efLabel[i], k, 2);
    }
    m_vocal = new QToolButton(right);
    m_vocal->setCheckable(true);
    m_vocal->setIcon(PowerIcon(ink));
    m_vocal->setText(Tr("VocalRemover", "Vocal remover"));
    m_vocal->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_vocal->setAutoRaise(true);
    connect(m_vocal, &QToolButton::clicked, this, [this] {
        m_controls.ToggleVocalCut();
        Refresh();
    });
    grid->addWidget(m_vocal, 1, 3, 2, 1, Qt::AlignTop);
    grid->setColumnMinimumWidth(1, em * 8);
    row->addWidget(right, 1);
    Refresh();
}

QString Advance::Tr(const char* key, const char* fallback) const {
    const std::string text = m_translate ? m_translate(key) : std::string();
    return QString::fromStdString(text.empty() ? fallback : text);
}

void Advance::Refresh() {
    m_bass->Show(m_controls.BassThumb());
    m_treble->Show(m_controls.TrebleThumb());
    m_balanceThumb->Show(m_controls.BalanceThumb());
    for (int k = 1; k <= kVoiceEffectCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        m_ef[i]->Show(m_controls.EffectThumb(k));
        const QSignalBlocker block(m_efo[i]);
        m_efo[i]->setChecked(m_controls.EffectOn(k));
    }
    const QSignalBlocker block(m_vocal);
    m_vocal->setChecked(m_controls.VocalCutOn());
    m_vocal->setEnabled(m_controls.VocalCutAvailable());
    ShowLabels();
}

void Advance::ResetAll() {
    m_controls.ResetAll();
    Refresh();
}

void Advance::ResetBalance() {
    m_controls.ResetBalance();
    Refresh();
}

QString Advance::BassText() const {
    return Db(m_controls.BassDb());
}

QString Advance::TrebleText() const {
    return Db(m_controls.TrebleDb());
}

QString Advance::BalanceText() const {
    const int pan = m_controls.Pan();
    if (pan == 0) return QStringLiteral("0");
    return pan < 0 ? QStringLiteral("L %1").arg(-pan) : QStringLiteral("R %1").arg(pan);
}

QString Advance::EffectText(int index) const {
    return QStringLiteral("%1 %").arg(m_controls.EffectAmount(index));
}

void Advance::ShowLabels() {
    m_bassLabel->setText(BassText());
    m_trebleLabel->setText(TrebleText());
    m_balanceLabel->setText(BalanceText());
    for (int k = 1; k <= kVoiceEffectCount; ++k) {
        m_efLabel[static_cast<std::size_t>(k)]->setText(EffectText(k));
        // An effect that is off keeps its amount for when it comes on.
        m_efLabel[static_cast<std::size_t>(k)]->setEnabled(m_controls.EffectOn(k));
    }
}

}  // namespace cx
