#include "app/gui/Preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Registry.h"
#include "app/gui/CalibrationDialog.h"
#include "app/gui/ColourButton.h"
#include "karaoke/Pictures.h"
#include "karaoke/Transitions.h"
#include "scoring/Latency.h"
#include "scoring/Scorer.h"

namespace cx {
namespace {

constexpr const char* kSoundFontValue = "soundfont";
constexpr const char* kConverterValue = "midi converter";
constexpr const char* kPitchEngineValue = "pitch engine";
constexpr int kPicturePreviewWidth = 192;
constexpr int kPicturePreviewHeight = 120;
constexpr int kRecordRates[] = {11025, 22050, 44100};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QString& s) {
    return s.toStdString();
}

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromUtf8(name));
    return w;
}

QCheckBox* Check(const QString& caption, const char* name) {
    return Named(new QCheckBox(caption), name);
}

QSpinBox* Spin(int lo, int hi, const char* name) {
    auto* s = Named(new QSpinBox, name);
    s->setRange(lo, hi);
    return s;
}

// Selects the item whose data is `value`, or the first.
void SelectData(QComboBox* c, const QVariant& value) {
    const int i = c->findData(value);
    c->setCurrentIndex(i >= 0 ? i : 0);
}

}  // namespace

PreferenceExtras ReadPreferenceExtras(const RegistryStore& store) {
    PreferenceExtras e;
    e.Language = ReadRegistryText(store, kSettingsKey, "language");
    e.SoundFont = ReadRegistryText(store, kSettingsKey, kSoundFontValue);
    e.MidiConverter = ReadRegistryText(store, kSettingsKey, kConverterValue);
    e.PitchEngine = ReadRegistryText(store, kSettingsKey, kPitchEngineValue);
    return e;
}

void WritePreferenceExtras(RegistryStore& store, const PreferenceExtras& e) {
    WriteRegistryText(store, kSettingsKey, "language", e.Language);
    WriteRegistryText(store, kSettingsKey, kSoundFontValue, e.SoundFont);
    WriteRegistryText(store, kSettingsKey, kConverterValue, e.MidiConverter);
    WriteRegistryText(store, kSettingsKey, kPitchEngineValue, e.PitchEngine);
}

QString Preferences::Translate(const char* key) const {
    const std::string text = m_translate ? m_translate(key) : std::string();
    return text.empty() ? QString::fromUtf8(key) : Q(text);
}

Preferences::Preferences(const ThemeClass& settings, const PreferenceExtras& extras,
                         const PreferenceChoices& choices, Lookup translate, Hooks hooks,
                         QWidget* parent)
    : QDialog(parent),
      m_base(settings),
      m_extras(extras),
      m_choices(choices),
      m_translate(std::move(translate)),
      m_hooks(std::move(hooks)) {
    setObjectName("Preferences");
    setWindowTitle(Translate("PreferencesCaption"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumWidth(680);  // every tab caption in view
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(KaraokePage(), Translate("PrefKaraoke"));
    m_tabs->addTab(DisplayPage(), Translate("PrefDisplay"));
    m_tabs->addTab(PicturePage(), Translate("PrefPicture"));
    m_tabs->addTab(PlaybackPage(), Translate("Playback"));
    m_tabs->addTab(RecordingPage(), Translate("PrefRecording"));
    m_tabs->addTab(MidiPage(), Translate("PrefMidi"));
    m_tabs->addTab(PlaylistPage(), Translate("UserList"));
    m_tabs->addTab(LanguagePage(), Translate("PrefLanguage"));
    m_tabs->addTab(SingingPage(), Translate("PrefSinging"));
    for (const Binding& b : m_bindings) b.load(m_base);
    UpdatePicturePreview();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Translate("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("OK");
    QPushButton* apply = buttons->addButton(Translate("Apply"), QDialogButtonBox::ApplyRole);
    apply->setObjectName("Apply");
    QPushButton* cancel = buttons->addButton(Translate("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName("Cancel");
    connect(ok, &QPushButton::clicked, this, &Preferences::OK_Click);
    connect(apply, &QPushButton::clicked, this, &Preferences::Apply_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

void Preferences::Bind(QWidget* control, std::function<void(const ThemeClass&)> load,
                       std::function<void(ThemeClass&)> store) {
    m_bindings.push_back({control, std::move(load), std::move(store)});
}

QList<QWidget*> Preferences::SettingControls() const {
    QList<QWidget*> out;
    for (const Binding& b : m_bindings) out << b.control;
    return out;
}

ThemeClass Preferences::Settings() const {
    ThemeClass t = m_base;
    for (const Binding& b : m_bindings) b.store(t);
    return t;
}

PreferenceExtras Preferences::Extras() const {
    PreferenceExtras e = m_extras;
    if (m_storeExtras) m_storeExtras(e);
    return e;
}

void Preferences::Apply_Click() {
    m_base = Settings();
    m_extras = Extras();
    if (m_hooks.Apply) m_hooks.Apply(m_base, m_extras);
}

void Preferences::OK_Click() {
    Apply_Click();
    accept();
}

QWidget* Preferences::PathRow(QLineEdit* edit, bool folder, const QString& filter) {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* browse = new QPushButton(Translate("PictureBrowse"));
    h->addWidget(edit, 1);
    h->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, [this, edit, folder, filter] {
        QString chosen;
        if (folder) {
            const QString title = Translate("DialogSelectFolder");
            chosen = m_hooks.ChooseFolder
                         ? m_hooks.ChooseFolder(title)
                         : QFileDialog::getExistingDirectory(this, title, edit->text());
        } else {
            const QString title = QStringLiteral("CBX: ") + Translate("DialogOpenFile");
            chosen = m_hooks.ChooseFile
                         ? m_hooks.ChooseFile(title, filter)
                         : QFileDialog::getOpenFileName(this, title, edit->text(), filter);
        }
        if (!chosen.isEmpty()) edit->setText(chosen);
    });
    return row;
}

// --- karaoke text and colours ------------------------------------------------

QWidget* Preferences::KaraokePage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* font = Named(new QFontComboBox, "karaoke font name");
    Bind(
        font, [font](const ThemeClass& t) { font->setCurrentFont(QFont(Q(t.LyricsFont))); },
        [font](ThemeClass& t) { t.LyricsFont = S(font->currentFont().family()); });
    form->addRow(Translate("PrefFont"), font);
    auto* size = Spin(6, 200, "karaoke font size");
    Bind(
        size, [size](const ThemeClass& t) { size->setValue(t.LyricsFontSize); },
        [size](ThemeClass& t) { t.LyricsFontSize = static_cast<std::int16_t>(size->value()); });
    form->addRow(Translate("PrefFontSize"), size);
    auto* bold = Check(Translate("PrefBold"), "karaoke font bold");
    Bind(
        bold, [bold](const ThemeClass& t) { bold->setChecked(t.LyricsFontBold); },
        [bold](ThemeClass& t) { t.LyricsFontBold = bold->isChecked(); });
    auto* italic = Check(Translate("PrefItalic"), "karaoke font italic");
    Bind(
        italic, [italic](const ThemeClass& t) { italic->setChecked(t.LyricsFontItalic); },
        [italic](ThemeClass& t) { t.LyricsFontItalic = italic->isChecked(); });
    auto* styles = new QHBoxLayout;
    styles->addWidget(bold);
    styles->addWidget(italic);
    form->addRow(QString(), styles);
    auto* outline = Spin(1, 4, "karaoke outline width");
    Bind(
        outline, [outline](const ThemeClass& t) { outline->setValue(t.LyricsOutlineWidth); },
        [outline](ThemeClass& t) {
            t.LyricsOutlineWidth = static_cast<std::int16_t>(outline->value());
        });
    form->addRow(Translate("PrefOutlineWidth"), outline);

    auto colour = [this, form](const char* key, const char* name, Colour ThemeClass::*member) {
        auto* b = Named(new ColourButton(Translate(key)), name);
        Bind(
            b, [b, member](const ThemeClass& t) { b->SetColour(t.*member); },
            [b, member](ThemeClass& t) { t.*member = b->Colour(); });
        form->addRow(Translate(key), b);
        return b;
    };
    colour("PrefTextColor", "karaoke font color", &ThemeClass::LyricsColor);
    colour("PrefHighlightColor", "karaoke highlight color", &ThemeClass::LyricsHighlightColor);
    auto* outlines = new QHBoxLayout;
    Colour ThemeClass::*members[] = {
        &ThemeClass::LyricsOutlineColor1, &ThemeClass::LyricsOutlineColor2,
        &ThemeClass::LyricsOutlineColor3, &ThemeClass::LyricsOutlineColor4};
    for (int i = 0; i < 4; ++i) {
        auto* b = new ColourButton(Translate("PrefOutlineColor"));
        b->setObjectName(QStringLiteral("karaoke outline color#%1").arg(i + 1));
        b->setMinimumWidth(70);
        const auto member = members[i];
        Bind(
            b, [b, member](const ThemeClass& t) { b->SetColour(t.*member); },
            [b, member](ThemeClass& t) { t.*member = b->Colour(); });
        outlines->addWidget(b);
    }
    form->addRow(Translate("PrefOutlineColor"), outlines);
    colour("PrefBackColor", "karaoke background color", &ThemeClass::LyricsBackColor);
    colour("PrefBallColor", "karaoke ball color", &ThemeClass::LyricsBallColor);

    auto* minimum = Spin(0, 100, "karaoke minimum font percent");
    minimum->setSuffix(QStringLiteral(" %"));
    minimum->setToolTip(Translate("PrefMinFontPercentTip"));
    Bind(
        minimum, [minimum](const ThemeClass& t) { minimum->setValue(t.LyricsMinFontPercent); },
        [minimum](ThemeClass& t) {
            t.LyricsMinFontPercent = static_cast<std::int16_t>(minimum->value());
        });
    form->addRow(Translate("PrefMinFontPercent"), minimum);
    auto* sweep = Check(Translate("PrefSmoothSweep"), "karaoke smooth sweep");
    sweep->setToolTip(Translate("PrefSmoothSweepTip"));
    Bind(
        sweep, [sweep](const ThemeClass& t) { sweep->setChecked(t.LyricsSmoothSweep); },
        [sweep](ThemeClass& t) { t.LyricsSmoothSweep = sweep->isChecked(); });
    form->addRow(QString(), sweep);
    return page;
}

// --- display mode, ball, offset, fitting, monitor ----------------------------

QWidget* Preferences::DisplayPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* mode = Named(new QComboBox, "karaoke display mode");
    for (const char* key : {"PrefDisplay0", "PrefDisplay1", "PrefDisplay2", "PrefDisplay3"})
        mode->addItem(Translate(key));
    Bind(
        mode,
        [mode](const ThemeClass& t) {
            mode->setCurrentIndex(std::clamp<int>(t.DisplayMode, 0, 3));
        },
        [mode](ThemeClass& t) { t.DisplayMode = static_cast<std::int16_t>(mode->currentIndex()); });
    form->addRow(Translate("PrefDisplayMode"), mode);
    auto* align = Named(new QComboBox, "karaoke alignment");
    align->addItem(Translate("DetailsTextCenter"), 0);
    align->addItem(Translate("DetailsTextTop"), 1);
    align->addItem(Translate("DetailsTextBottom"), 2);
    Bind(
        align, [align](const ThemeClass& t) { SelectData(align, int(t.LyricsAlignment)); },
        [align](ThemeClass& t) {
            t.LyricsAlignment = static_cast<std::int16_t>(align->currentData().toInt());
        });
    form->addRow(Translate("PrefAlignment"), align);

    auto check = [this, form](const char* key, const char* name, bool ThemeClass::*member) {
        auto* c = Check(Translate(key), name);
        Bind(
            c, [c, member](const ThemeClass& t) { c->setChecked(t.*member); },
            [c, member](ThemeClass& t) { t.*member = c->isChecked(); });
        form->addRow(QString(), c);
    };
    check("PrefLineMode", "karaoke mode", &ThemeClass::LyricsMode);
    check("PrefShowBall", "karaoke ball", &ThemeClass::LyricsShowBall);
    check("PrefFitFont", "fit font to window", &ThemeClass::LyricsFitFont);
    check("PrefShowTitle", "show lyrics title", &ThemeClass::ShowLyricsTitle);

    auto* offset = Named(new QDoubleSpinBox, "karaoke offset");
    offset->setRange(-30, 30);
    offset->setDecimals(2);
    offset->setSingleStep(0.1);
    Bind(
        offset, [offset](const ThemeClass& t) { offset->setValue(t.LyricsOffset); },
        [offset](ThemeClass& t) { t.LyricsOffset = offset->value(); });
    form->addRow(Translate("PrefOffset"), offset);

    auto* monitor = Named(new QComboBox, "fullscreen monitor");
    for (const std::string& m : m_choices.Monitors) monitor->addItem(Q(m), Q(m));
    Bind(
        monitor,
        [monitor](const ThemeClass& t) {
            if (monitor->findData(Q(t.Monitor)) < 0) monitor->addItem(Q(t.Monitor), Q(t.Monitor));
            SelectData(monitor, Q(t.Monitor));
        },
        [monitor](ThemeClass& t) { t.Monitor = S(monitor->currentData().toString()); });
    form->addRow(Translate("PrefMonitor"), monitor);
    return page;
}

// --- background picture, layout and effects ---------------------------------

QWidget* Preferences::PicturePage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* kind = Named(new QComboBox, "karaoke background picture");
    kind->addItem(Translate("PictureDefault"), QString::fromUtf8(kDefaultPicturePath));
    kind->addItem(Translate("PictureClear"), QString::fromUtf8(kNoPicturePath));
    kind->addItem(Translate("PictureFromFile"), QString());
    auto* path = Named(new QLineEdit, "PicturePath");
    const QString filter =
        Translate("FilterPictures") + QStringLiteral(" (*.bmp *.jpg *.jpeg *.png *.gif)");
    QWidget* pathRow = PathRow(path, false, filter);
    Bind(
        kind,
        [kind, path](const ThemeClass& t) {
            const QString p = Q(t.LyricsPicPath);
            const int i = kind->findData(p);
            kind->setCurrentIndex(i >= 0 ? i : 2);
            path->setText(i >= 0 ? QString() : p);
        },
        [kind, path](ThemeClass& t) {
            const QString fixed = kind->currentData().toString();
            const bool file = fixed.isEmpty() && !path->text().isEmpty();
            t.LyricsPicPath =
                file ? S(path->text())
                     : S(fixed.isEmpty() ? QString::fromUtf8(kDefaultPicturePath) : fixed);
            if (file) {
                t.LyricsPicture = {StoredPicture::Kind::File, t.LyricsPicPath};
            } else if (t.LyricsPicPath == kNoPicturePath) {
                t.LyricsPicture = {StoredPicture::Kind::None, {}};
            } else {
                t.LyricsPicture = {StoredPicture::Kind::BuiltIn, {}};
            }
        });
    connect(kind, &QComboBox::currentIndexChanged, this, [this, kind, pathRow] {
        pathRow->setEnabled(kind->currentData().toString().isEmpty());
        UpdatePicturePreview();
    });
    connect(path, &QLineEdit::textChanged, this, [this, kind](const QString& text) {
        if (!text.isEmpty()) kind->setCurrentIndex(2);
        UpdatePicturePreview();
    });
    form->addRow(Translate("DetailsPicture"), kind);
    form->addRow(QString(), pathRow);

    auto* layout = Named(new QComboBox, "background picture layout");
    layout->addItem(Translate("PictureOriginal"), kLayoutActualSize);
    layout->addItem(Translate("PictureTile"), kLayoutTile);
    layout->addItem(Translate("PictureStretch"), kLayoutStretch);
    Bind(
        layout, [layout](const ThemeClass& t) { SelectData(layout, int(t.LyricsPicLayout)); },
        [layout](ThemeClass& t) {
            t.LyricsPicLayout = static_cast<std::int16_t>(layout->currentData().toInt());
        });
    connect(layout, &QComboBox::currentIndexChanged, this, &Preferences::UpdatePicturePreview);
    form->addRow(Translate("DetailsLayout"), layout);
    m_picturePreview = Named(new QLabel, "PicturePreview");
    m_picturePreview->setFixedSize(kPicturePreviewWidth, kPicturePreviewHeight);
    form->addRow(Translate("DetailsPreview"), m_picturePreview);

    auto* effect = Named(new QComboBox, "image effect");
    effect->addItem(Translate("PictureClearEffect"), QString());
    // Shown translated, stored by their own names.
    const auto caption = [this](const std::string& name) {
        const std::string text = m_translate ? m_translate(TransitionCaptionKey(name)) : "";
        return Q(text.empty() ? name : text);
    };
    for (const std::string& e : TransitionEffects()) effect->addItem(caption(e), Q(e));
    auto* detail = Named(new QComboBox, "effect detail");
    auto fillVariants = [effect, detail, caption] {
        const QVariant keep = detail->currentData();
        detail->clear();
        for (const std::string& v : TransitionVariants(S(effect->currentData().toString())))
            detail->addItem(caption(v), Q(v));
        const int i = detail->findData(keep);
        if (i >= 0) detail->setCurrentIndex(i);
        detail->setEnabled(detail->count() > 0);
    };
    connect(effect, &QComboBox::currentIndexChanged, this, fillVariants);
    Bind(
        effect,
        [effect, fillVariants](const ThemeClass& t) {
            SelectData(effect, Q(t.ImageEffect));
            fillVariants();
        },
        [effect](ThemeClass& t) { t.ImageEffect = S(effect->currentData().toString()); });
    Bind(
        detail,
        [detail](const ThemeClass& t) {
            const int i = detail->findData(Q(t.EffectDetail));
            if (i >= 0) detail->setCurrentIndex(i);
        },
        [detail](ThemeClass& t) { t.EffectDetail = S(detail->currentData().toString()); });
    form->addRow(Translate("PictureEffect"), effect);
    form->addRow(Translate("PictureVariant"), detail);
    auto* speed = Spin(1, 10, "effect speed");
    Bind(
        speed, [speed](const ThemeClass& t) { speed->setValue(t.EffectSpeed); },
        [speed](ThemeClass& t) { t.EffectSpeed = static_cast<std::int16_t>(speed->value()); });
    form->addRow(Translate("PictureSpeed"), speed);
    return page;
}

void Preferences::UpdatePicturePreview() {
    if (!m_picturePreview) return;
    const ThemeClass t = Settings();
    const QImage bg = LayoutBackground(QSize(kPicturePreviewWidth * 2, kPicturePreviewHeight * 2),
                                       t.LyricsBackColor, DecodePicture(t.LyricsPicPath),
                                       t.LyricsPicLayout, QImage());
    m_picturePreview->setPixmap(
        QPixmap::fromImage(bg.scaled(kPicturePreviewWidth, kPicturePreviewHeight,
                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

// --- playback ------------------------------------------------------------------

QWidget* Preferences::PlaybackPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* device = Named(new QComboBox, "audio device");
    device->addItem(Translate("PrefSystemDefault"), 0);
    for (std::size_t i = 0; i < m_choices.AudioDevices.size(); ++i)
        device->addItem(Q(m_choices.AudioDevices[i]), static_cast<int>(i + 1));
    Bind(
        device,
        [device](const ThemeClass& t) {
            if (device->findData(int(t.AudioDevice)) < 0)
                device->addItem(QStringLiteral("#%1").arg(t.AudioDevice), int(t.AudioDevice));
            SelectData(device, int(t.AudioDevice));
        },
        [device](ThemeClass& t) {
            t.AudioDevice = static_cast<std::int16_t>(device->currentData().toInt());
        });
    form->addRow(Translate("PrefAudioDevice"), device);
    auto* engine = Named(new QComboBox, "pitch engine");
    engine->addItem(QStringLiteral("SoundTouch"), QStringLiteral("soundtouch"));
    engine->addItem(QStringLiteral("Rubber Band"), QStringLiteral("rubberband"));
    SelectData(engine, Q(m_extras.PitchEngine));
    form->addRow(Translate("PrefPitchEngine"), engine);
    auto* note = new QLabel(Translate("PrefNextStart"));
    note->setWordWrap(true);
    form->addRow(QString(), note);

    auto* autoPlay = Check(Translate("PrefAutoPlay"), "auto play");
    Bind(
        autoPlay, [autoPlay](const ThemeClass& t) { autoPlay->setChecked(t.AutoPlay); },
        [autoPlay](ThemeClass& t) { t.AutoPlay = autoPlay->isChecked(); });
    form->addRow(QString(), autoPlay);
    auto* onTop = Check(Translate("PrefOnTop"), "on top");
    Bind(
        onTop, [onTop](const ThemeClass& t) { onTop->setChecked(t.OnTop); },
        [onTop](ThemeClass& t) { t.OnTop = onTop->isChecked(); });
    form->addRow(QString(), onTop);
    auto* scroll = Check(Translate("PrefScrollTitle"), "scroll title");
    Bind(
        scroll, [scroll](const ThemeClass& t) { scroll->setChecked(t.Scroll); },
        [scroll](ThemeClass& t) { t.Scroll = scroll->isChecked(); });
    form->addRow(QString(), scroll);

    auto slider = [this, form](const char* key, const char* name,
                               std::int32_t ThemeClass::*member) {
        auto* s = Named(new QSlider(Qt::Horizontal), name);
        s->setRange(0, 100);
        Bind(
            s, [s, member](const ThemeClass& t) { s->setValue(t.*member); },
            [s, member](ThemeClass& t) { t.*member = s->value(); });
        form->addRow(Translate(key), s);
    };
    slider("Bass", "bass and treble#1", &ThemeClass::CustomBass);
    slider("Treble", "bass and treble#2", &ThemeClass::CustomTreble);

    // Every song at one loudness; the target means nothing with the switch off.
    auto* level = Check(Translate("PrefLoudnessNormalise"), "loudness normalise");
    auto* target = Named(new QDoubleSpinBox, "loudness target");
    target->setRange(kLoudnessTargetMin, kLoudnessTargetMax);
    target->setDecimals(1);
    target->setSingleStep(0.5);
    target->setSuffix(QStringLiteral(" LUFS"));
    auto follow = [level, target, this](bool on) {
        target->setEnabled(on);
        target->setToolTip(on ? QString() : Translate("PrefLoudnessOff"));
    };
    connect(level, &QCheckBox::toggled, target, follow);
    Bind(
        level,
        [level, follow](const ThemeClass& t) {
            level->setChecked(t.LoudnessNormalise);
            follow(t.LoudnessNormalise);
        },
        [level](ThemeClass& t) { t.LoudnessNormalise = level->isChecked(); });
    Bind(
        target, [target](const ThemeClass& t) { target->setValue(t.LoudnessTargetLufs); },
        [target](ThemeClass& t) { t.LoudnessTargetLufs = target->value(); });
    form->addRow(QString(), level);
    form->addRow(Translate("PrefLoudnessTarget"), target);

    auto* music = Named(new QLineEdit, "music files path");
    Bind(
        music, [music](const ThemeClass& t) { music->setText(Q(t.MusicPath)); },
        [music](ThemeClass& t) { t.MusicPath = S(music->text()); });
    form->addRow(Translate("PrefMusicFolder"), PathRow(music, true, QString()));
    auto previous = m_storeExtras;
    m_storeExtras = [previous, engine](PreferenceExtras& e) {
        if (previous) previous(e);
        e.PitchEngine = S(engine->currentData().toString());
    };
    return page;
}

// --- recording -------------------------------------------------------------------

QWidget* Preferences::RecordingPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* device = Named(new QComboBox, "record device");
    device->addItem(Translate("PrefSystemDefault"), -1);
    for (std::size_t i = 0; i < m_choices.RecordDevices.size(); ++i)
        device->addItem(Q(m_choices.RecordDevices[i]), static_cast<int>(i));
    Bind(
        device,
        [device](const ThemeClass& t) {
            if (device->findData(int(t.RecordDevice)) < 0)
                device->addItem(QStringLiteral("#%1").arg(t.RecordDevice), int(t.RecordDevice));
            SelectData(device, int(t.RecordDevice));
        },
        [device](ThemeClass& t) { t.RecordDevice = device->currentData().toInt(); });
    form->addRow(Translate("PrefRecordDevice"), device);
    auto* quality = Named(new QComboBox, "rec quality");
    for (int i = 0; i < 3; ++i) {
        const std::string key = "RecordQuality" + std::to_string(i);
        quality->addItem(Translate(key.c_str()), kRecordRates[i]);
    }
    Bind(
        quality, [quality](const ThemeClass& t) { SelectData(quality, int(t.RecordQuality)); },
        [quality](ThemeClass& t) { t.RecordQuality = quality->currentData().toInt(); });
    form->addRow(Translate("PrefRecordQuality"), quality);
    auto* mode = Spin(0, 3, "rec mode");
    Bind(
        mode, [mode](const ThemeClass& t) { mode->setValue(t.RecordMode); },
        [mode](ThemeClass& t) { t.RecordMode = static_cast<std::int16_t>(mode->value()); });
    form->addRow(Translate("PrefRecordMode"), mode);
    auto* synchro = Spin(0, 10, "synchronization");
    Bind(
        synchro, [synchro](const ThemeClass& t) { synchro->setValue(t.RecordSynchro); },
        [synchro](ThemeClass& t) {
            t.RecordSynchro = static_cast<std::int16_t>(synchro->value());
        });
    form->addRow(Translate("PrefSynchro"), synchro);
    // The stored "rec folder" is true when takes go beside the songs.
    auto* where = Named(new QComboBox, "rec folder");
    where->addItem(Translate("PrefRecordFolder"), false);
    where->addItem(Translate("PrefRecordBeside"), true);
    Bind(
        where, [where](const ThemeClass& t) { SelectData(where, t.RecordFolder); },
        [where](ThemeClass& t) { t.RecordFolder = where->currentData().toBool(); });
    form->addRow(QString(), where);
    auto* folder = Named(new QLineEdit, "rec directory");
    Bind(
        folder, [folder](const ThemeClass& t) { folder->setText(Q(t.VoiceDirectory)); },
        [folder](ThemeClass& t) { t.VoiceDirectory = S(folder->text()); });
    QWidget* folderRow = PathRow(folder, true, QString());
    // The folder only matters while takes go to it.
    const auto folderUsed = [where, folderRow] {
        folderRow->setEnabled(!where->currentData().toBool());
    };
    connect(where, &QComboBox::currentIndexChanged, this, folderUsed);
    folderUsed();
    form->addRow(Translate("PrefRecordDirectory"), folderRow);
    return page;
}

// --- MIDI ------------------------------------------------------------------------

QWidget* Preferences::MidiPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* port = Named(new QComboBox, "midi device");
    port->addItem(Translate("PrefSystemDefault"), -1);
    for (std::size_t i = 0; i < m_choices.SoundFonts.size(); ++i)
        port->addItem(Q(m_choices.SoundFonts[i]), static_cast<int>(i + 1));
    Bind(
        port,
        [port](const ThemeClass& t) {
            if (port->findData(int(t.MidiDevice)) < 0)
                port->addItem(QStringLiteral("#%1").arg(t.MidiDevice), int(t.MidiDevice));
            SelectData(port, int(t.MidiDevice));
        },
        [port](ThemeClass& t) {
            t.MidiDevice = static_cast<std::int16_t>(port->currentData().toInt());
        });
    form->addRow(Translate("PrefMidiDevice"), port);
    auto* soundFont = Named(new QLineEdit(Q(m_extras.SoundFont)), "soundfont");
    form->addRow(
        Translate("PrefSoundFont"),
        PathRow(soundFont, false, Translate("FilterSoundFont") + QStringLiteral(" (*.sf2 *.sf3)")));
    auto* converter = Named(new QLineEdit(Q(m_extras.MidiConverter)), "midi converter");
    form->addRow(Translate("PrefConverter"), converter);
    auto* note = new QLabel(Translate("PrefConverterNote"));
    note->setWordWrap(true);
    form->addRow(QString(), note);
    auto previous = m_storeExtras;
    m_storeExtras = [previous, soundFont, converter](PreferenceExtras& e) {
        if (previous) previous(e);
        e.SoundFont = S(soundFont->text());
        e.MidiConverter = S(converter->text());
    };
    return page;
}

// --- playlist look -----------------------------------------------------------------

QWidget* Preferences::PlaylistPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* font = Named(new QFontComboBox, "playlist font name");
    Bind(
        font, [font](const ThemeClass& t) { font->setCurrentFont(QFont(Q(t.PlaylistFontName))); },
        [font](ThemeClass& t) { t.PlaylistFontName = S(font->currentFont().family()); });
    form->addRow(Translate("ListFontName"), font);
    auto* size = Spin(6, 48, "playlist font size");
    Bind(
        size, [size](const ThemeClass& t) { size->setValue(t.PlaylistFontSize); },
        [size](ThemeClass& t) { t.PlaylistFontSize = static_cast<std::int16_t>(size->value()); });
    form->addRow(Translate("ListFontSize"), size);
    auto colour = [this, form](const char* key, const char* name, Colour ThemeClass::*member) {
        auto* b = Named(new ColourButton(Translate(key)), name);
        Bind(
            b, [b, member](const ThemeClass& t) { b->SetColour(t.*member); },
            [b, member](ThemeClass& t) { t.*member = b->Colour(); });
        form->addRow(Translate(key), b);
    };
    colour("ListNormal", "playlist fore color", &ThemeClass::PlaylistForeColor);
    colour("ListHighlighted", "playlist sel color", &ThemeClass::PlaylistSelColor);
    colour("ListPlaying", "playlist play color", &ThemeClass::PlaylistPlayColor);
    colour("ListBorder", "playlist border color", &ThemeClass::PlaylistBorderColor);
    return page;
}

// --- language ----------------------------------------------------------------------

QWidget* Preferences::LanguagePage() {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* language = Named(new QComboBox, "language");
    language->addItem(QStringLiteral("English"), QString());
    language->addItem(QStringLiteral("Polski"), QStringLiteral("pl"));
    language->addItem(QString::fromUtf8("Fran\xC3\xA7"
                                        "ais"),
                      QStringLiteral("fr"));
    SelectData(language, Q(m_extras.Language));
    v->addWidget(language);
    auto* note = Named(new QLabel(Translate("LanguageChange")), "LanguageNote");
    note->setWordWrap(true);
    v->addWidget(note);
    v->addStretch(1);
    auto previous = m_storeExtras;
    m_storeExtras = [previous, language](PreferenceExtras& e) {
        if (previous) previous(e);
        e.Language = S(language->currentData().toString());
    };
    return page;
}

// --- singing along ---------------------------------------------------------------

QWidget* Preferences::SingingPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* lane = Check(Translate("PrefPitchLane"), "pitch lane");
    Bind(
        lane, [lane](const ThemeClass& t) { lane->setChecked(t.PitchLane); },
        [lane](ThemeClass& t) { t.PitchLane = lane->isChecked(); });
    form->addRow(QString(), lane);
    auto* difficulty = Named(new QComboBox, "score difficulty");
    for (const char* key : {"PrefScoreEasy", "PrefScoreMedium", "PrefScoreHard"})
        difficulty->addItem(Translate(key));
    Bind(
        difficulty,
        [difficulty](const ThemeClass& t) {
            difficulty->setCurrentIndex(std::clamp<int>(t.ScoreDifficulty, 0, 2));
        },
        [difficulty](ThemeClass& t) {
            t.ScoreDifficulty = static_cast<std::int16_t>(difficulty->currentIndex());
        });
    form->addRow(Translate("PrefScoreDifficulty"), difficulty);
    auto* latency = Spin(-kMaxVoiceLatencyMs, kMaxVoiceLatencyMs, "voice latency ms");
    latency->setSuffix(QStringLiteral(" ms"));
    latency->setToolTip(Translate("PrefVoiceLatencyTip"));
    Bind(
        latency, [latency](const ThemeClass& t) { latency->setValue(t.VoiceLatencyMs); },
        [latency](ThemeClass& t) { t.VoiceLatencyMs = latency->value(); });
    auto* calibrate = Named(new QPushButton(Translate("PrefCalibrate")), "Calibrate");
    connect(calibrate, &QPushButton::clicked, this, [this, latency] { OpenCalibration(latency); });
    auto* row = new QHBoxLayout;
    row->addWidget(latency, 1);
    row->addWidget(calibrate);
    form->addRow(Translate("PrefVoiceLatency"), row);
    return page;
}

void Preferences::OpenCalibration(QSpinBox* latency) {
    if (auto* open = findChild<CalibrationDialog*>()) return open->raise();
    auto save = [this, latency](int ms) {
        latency->setValue(ms);
        if (m_hooks.SaveLatency) m_hooks.SaveLatency(ms);
    };
    auto* dialog = new CalibrationDialog(m_translate, m_hooks.MakeCalibration, save, this);
    dialog->show();
}

}  // namespace cx
