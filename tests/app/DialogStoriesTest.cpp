// User stories of the dialogs over the real assembly: song details, the
// preferences, file information and the about box, offscreen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include "AppHarness.h"
#include "app/gui/About.h"
#include "app/gui/ColourButton.h"
#include "app/gui/FileInfoDialog.h"
#include "app/gui/Preferences.h"
#include "karaoke/gui/Details.h"
#include "karaoke/gui/Lyric.h"
#include "karaoke/gui/PicEdit.h"
#include "lyrics/MediaFixtures.h"
#include "lyrics/Mp3Class.h"
#include "playback/player/MediaTransport.h"
#include "playlist/gui/UserList.h"

namespace cx {
namespace {

using test::AppHarness;
using test::DemoDir;
using test::SaveShot;
using namespace std::string_literals;

// Answers the next modal message box, keeping its text.
QString* AnswerNextMessage() {
    auto* text = new QString;
    QTimer::singleShot(0, [text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *text = box->text();
            box->accept();
        }
    });
    return text;
}

std::filesystem::path CopyDemoSong(const AppHarness& h) {
    for (const char* ext : {".lrs", ".wav"})
        std::filesystem::copy_file(DemoDir() / ("Twinkle Twinkle Little Star"s + ext),
                                   h.Home() / ("Twinkle"s + ext));
    return h.Home() / "Twinkle.wav";
}

std::string MakePicture(const AppHarness& h, const char* name, QColor colour) {
    QImage img(64, 48, QImage::Format_RGB32);
    img.fill(colour);
    const auto path = (h.Home() / name).string();
    img.save(QString::fromStdString(path));
    return path;
}

TEST(DialogStories, SongDetailsFollowAtOnceAndComeBackAfterSaving) {
    AppHarness h;
    const auto song = CopyDemoSong(h);
    ASSERT_TRUE(h.Start(test::QPath(song)));
    Details* d = h.Open<Details>(Command::Details);
    ASSERT_NE(d, nullptr);
    KaraokeDisplay& display = h.app->LyricWindow()->Display();
    const ThemeClass& settings = h.app->Settings();

    d->findChild<QLineEdit*>("xTitle")->setText("Little Star");
    d->findChild<QLineEdit*>("xArtist")->setText("Our Choir");
    d->SetColour(SongColour::Normal, 0x0000FF);
    d->SetColour(SongColour::Highlight, settings.LyricsHighlightColor);
    EXPECT_EQ(display.Look().Title, "Little Star");
    EXPECT_EQ(display.Look().ForeColor, 0x0000FF);

    const struct {
        const char* name;
        Qt::GlobalColor colour;
        int time;
        const char *effect, *variant;
    } rows[] = {{"a.png", Qt::red, 0, "", ""},
                {"b.png", Qt::green, 2, "Slide Side", "Left"},
                {"c.png", Qt::blue, 4, "Wipe Box", "Inside"}};
    for (const auto& row : rows) {
        PicEdit* e = d->OpenPictureEditor(-1);
        ASSERT_NE(e, nullptr);
        e->SetPath(QString::fromStdString(MakePicture(h, row.name, row.colour)));
        e->SetTime(row.time);
        ASSERT_TRUE(!*row.effect || e->SetEffect(row.effect, row.variant));
        ASSERT_TRUE(e->OK_Click());
    }
    // The first picture is on show at once.
    EXPECT_TRUE(display.TimelinePictureShown());
    SaveShot(*d, "story-details");
    ASSERT_TRUE(d->Save_Click());
    QApplication::processEvents();
    const std::string bytes = test::ReadBytes(song);
    EXPECT_NE(bytes.find("#TITLE=Little Star\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("HIGHLIGHT COLOR"), std::string::npos);

    // Reopened, the song has them all.
    h.app.reset();
    ASSERT_TRUE(h.Start(test::QPath(song)));
    const SongLook& look = h.app->Song().Look;
    EXPECT_EQ(look.Title, "Little Star");
    EXPECT_EQ(look.Artist, "Our Choir");
    EXPECT_EQ(look.ForeColor, 0x0000FF);
    EXPECT_EQ(look.HighlightColor, -1);
    ASSERT_EQ(look.Schedule.size(), 3u);
    EXPECT_EQ(look.Schedule[1].Effect, "Slide Side");
    EXPECT_EQ(look.Schedule[1].EffectDetail, "Left");
    EXPECT_EQ(look.Schedule[2].Time, 4);
    EXPECT_EQ(h.app->LyricWindow()->Display().Look().Title, "Little Star");
    // The song still plays: the block did not spoil the audio.
    ASSERT_TRUE(h.app->Run(Command::Play));
    h.Advance(0.5);
    EXPECT_GT(h.app->Media().PositionSeconds(), 0.3);
}

TEST(DialogStories, SongDetailsNeedAnOpenSong) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    std::unique_ptr<QString> text(AnswerNextMessage());
    h.app->Run(Command::Details);
    QApplication::processEvents();
    EXPECT_EQ(test::ShownWindow<Details>(), nullptr);
    // The message comes as a box that waits for an answer or one that does not.
    const QString expected = QString::fromStdString(h.app->Tr("DetailsNoMedia"));
    EXPECT_TRUE(*text == expected || test::ShownMessages().contains(expected));
}

// Gives a setting control a value other than the one it shows.
void Poke(QWidget* w, const AppHarness& h) {
    if (auto* c = qobject_cast<QCheckBox*>(w)) {
        c->setChecked(!c->isChecked());
    } else if (auto* s = qobject_cast<QSpinBox*>(w)) {
        s->setValue(s->value() < s->maximum() ? s->value() + 1 : s->value() - 1);
    } else if (auto* f = qobject_cast<QDoubleSpinBox*>(w)) {
        f->setValue(f->value() + 0.5);
    } else if (auto* sl = qobject_cast<QSlider*>(w)) {
        sl->setValue(sl->value() < 90 ? sl->value() + 7 : sl->value() - 7);
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        if (cb->count() > 1) cb->setCurrentIndex((cb->currentIndex() + 1) % cb->count());
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(QString::fromStdString((h.Home() / w->objectName().toStdString()).string()));
    } else if (auto* b = dynamic_cast<ColourButton*>(w)) {
        b->SetColour(b->Colour() ^ 0x203040u);
    } else {
        ADD_FAILURE() << "no way to change " << w->objectName().toStdString();
    }
}

bool CanChange(QWidget* w) {
    auto* cb = qobject_cast<QComboBox*>(w);
    return !cb || cb->count() > 1;  // a single screen or device leaves no choice
}

TEST(DialogStories, EveryPreferenceReachesTheSettingsAndSurvivesARestart) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    Preferences* p = h.Open<Preferences>(Command::Preferences);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < p->Tabs()->count(); ++i) {
        p->Tabs()->setCurrentIndex(i);
        SaveShot(*p, QStringLiteral("preferences-%1").arg(i));
    }
    const ThemeClass before = h.app->Settings();
    std::vector<std::string> names;
    for (QWidget* w : p->SettingControls()) {
        Poke(w, h);
        const std::string name = w->objectName().section('#', 0, 0).toStdString();
        ASSERT_TRUE(before.ValueText(name).has_value()) << name;
        if (CanChange(w)) names.push_back(name);
    }
    EXPECT_GE(names.size(), 38u);
    p->OK_Click();
    const ThemeClass after = h.app->Settings();
    for (const std::string& name : names)
        EXPECT_NE(before.ValueText(name), after.ValueText(name)) << name;

    // The karaoke window shows them at once.
    const KaraokeSettings& shown = h.app->LyricWindow()->Display().Settings();
    EXPECT_EQ(shown.DisplayMode, after.DisplayMode);
    EXPECT_EQ(shown.LyricsColor, after.LyricsColor);
    EXPECT_EQ(shown.LyricsPicPath, after.LyricsPicPath);
    EXPECT_EQ(shown.LyricsFontSize, after.LyricsFontSize);

    // Written at exit, read at the next start.
    h.app.reset();
    EXPECT_NE(h.StoredSettings().find("karaoke%20display%20mode"), std::string::npos);
    ASSERT_TRUE(h.Start());
    for (const std::string& name : names)
        EXPECT_EQ(h.app->Settings().ValueText(name), after.ValueText(name)) << name;
}

TEST(DialogStories, PictureDisplayModeSweepAndSoundFontFromThePreferences) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    KaraokeDisplay& display = h.app->LyricWindow()->Display();
    EXPECT_EQ(display.Settings().LyricsPicPath, "default");
    Preferences* p = h.Open<Preferences>(Command::Options);
    ASSERT_NE(p, nullptr);
    const std::string pic = MakePicture(h, "back.png", Qt::darkCyan);
    p->findChild<QLineEdit*>("PicturePath")->setText(QString::fromStdString(pic));
    p->findChild<QComboBox*>("karaoke display mode")->setCurrentIndex(0);
    p->findChild<QCheckBox*>("karaoke smooth sweep")->setChecked(true);
    p->findChild<QSpinBox*>("karaoke minimum font percent")->setValue(80);
    dynamic_cast<ColourButton*>(p->findChild<QPushButton*>("karaoke font color"))
        ->SetColour(0x00FF00);
    const auto font = h.Home() / "Mine.sf2";
    test::WriteBytes(font, "RIFF");
    p->findChild<QLineEdit*>("soundfont")->setText(test::QPath(font));
    p->findChild<QComboBox*>("language")->setCurrentIndex(1);
    EXPECT_FALSE(p->findChild<QLabel*>("LanguageNote")->text().isEmpty());
    p->Apply_Click();
    EXPECT_EQ(display.Settings().LyricsPicPath, pic);
    EXPECT_EQ(display.ShownPicturePath(), pic);
    EXPECT_EQ(display.Settings().DisplayMode, 0);
    EXPECT_EQ(display.Settings().LyricsColor, 0x00FF00u);
    EXPECT_TRUE(display.Settings().LyricsSmoothSweep);
    EXPECT_EQ(display.Settings().LyricsMinFontPercent, 80);
    p->OK_Click();

    h.app.reset();
    const std::string stored = h.StoredSettings();
    EXPECT_NE(stored.find("Mine.sf2"), std::string::npos);
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.app->Settings().LyricsPicPath, pic);
    EXPECT_EQ(h.app->LyricWindow()->Display().ShownPicturePath(), pic);
    EXPECT_TRUE(h.app->LyricWindow()->Display().Settings().LyricsSmoothSweep);
    // The language takes effect at this start.
    EXPECT_EQ(h.app->Tr("Play"), "Odtwórz");
}

TEST(DialogStories, FileInformationWritesTheTagsAndRefreshesThePlaylist) {
    AppHarness h;
    const auto mp3 = h.Home() / "tagged.mp3";
    test::WriteBytes(mp3, test::MakeMp3(300) + test::MakeId3v1("Old title", "Old artist", 1, 8));
    ASSERT_TRUE(h.Start());
    h.app->PlaylistWindow()->AddFiles({test::QPath(mp3)}, false);
    h.app->List().SetListIndex(0);
    h.app->PlayerWindow()->Control().ChangeSong(0);
    ASSERT_EQ(h.app->Transport().CurrentPath(), mp3.string());
    FileInfoDialog* f = h.Open<FileInfoDialog>(Command::FileInfo);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->TagsEditable());
    EXPECT_TRUE(f->Facts().contains("Size: "));
    EXPECT_EQ(f->Values(1).Title, "Old title");
    SaveShot(*f, "frminfo");
    TagValues v2{"New title", "New artist", "Album", "2024", "note", "3", "Jazz"};
    f->SetValues(2, v2);
    f->CopyTags();
    EXPECT_EQ(f->Values(1).Title, "New title");
    f->SetWrite(1, true);
    f->SetWrite(2, true);
    EXPECT_EQ(f->Save_Click(), kSaveTagOk);

    MP3Class check;
    check.SetFilename(mp3.string());
    ASSERT_TRUE(check.ReadFile());
    check.ReadTag();
    const auto& tags = check.Info();
    EXPECT_EQ((std::vector<std::string>{tags.Title2, tags.Title1, tags.Genre1, tags.Album2}),
              (std::vector<std::string>{"New title", "New title", "Jazz", "Album"}));
    h.app->PlaylistWindow()->Tags().WaitForDone();
    QApplication::processEvents();
    EXPECT_NE(h.app->List().Items()[0].ListString.find("New title"), std::string::npos);
    // The open song's title follows at once in the player and in what MPRIS reads.
    EXPECT_EQ(h.app->PlayerWindow()->ShownTitle(), "New title");
    EXPECT_EQ(h.app->Transport().Labels().title, "New title");

    // A track that is not a number is refused with a message; nothing is written.
    f = h.Open<FileInfoDialog>(Command::FileInfo);
    ASSERT_NE(f, nullptr);
    const std::string before = test::ReadBytes(mp3);
    f->SetValues(1, {"\u0141\u00f3d\u017a", "Artist", "", "", "", "x3", ""});
    f->SetWrite(1, true);
    f->SetWrite(2, false);
    std::unique_ptr<QString> refused(AnswerNextMessage());
    EXPECT_EQ(f->Save_Click(), kSaveTagBadTrack);
    EXPECT_TRUE(refused->contains("track number")) << refused->toStdString();
    EXPECT_TRUE(test::ReadBytes(mp3) == before);
    // What no ID3v1 code page can hold is written as "?", with a word naming the field.
    f->SetValues(1, {"\u041f\u0435\u0441\u043d\u044f", "Artist", "", "", "", "4", ""});
    std::unique_ptr<QString> warned(AnswerNextMessage());
    EXPECT_EQ(f->Save_Click(), kSaveTagOk);
    EXPECT_TRUE(warned->contains("Title")) << warned->toStdString();

    // A file that went away: both tags fail, with the fixed message.
    f = h.Open<FileInfoDialog>(Command::FileInfo);
    ASSERT_NE(f, nullptr);
    std::filesystem::remove(mp3);
    f->SetWrite(1, true);
    f->SetWrite(2, true);
    std::unique_ptr<QString> text(AnswerNextMessage());
    EXPECT_EQ(f->Save_Click(), kSaveTagBothFailed);
    EXPECT_EQ(*text, "Can't write both ID3v1 and Id3v2 tag.");
    f->close();
}

TEST(DialogStories, FileInformationOfAMidiSongShowsItsFacts) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    h.app->PlaylistWindow()->AddFiles({test::QPath(DemoDir() / "Frere Jacques.kar")}, false);
    ASSERT_TRUE(h.app->PlaylistWindow()->onFileInfo);
    h.app->PlaylistWindow()->onFileInfo(0);  // Alt+3 in the playlist
    FileInfoDialog* f = test::ShownWindow<FileInfoDialog>();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->TagsEditable());
    EXPECT_TRUE(f->Facts().contains("MIDI"));
    SaveShot(*f, "frminfo-midi");
    f->close();
}

TEST(DialogStories, AboutNamesTheVersionLicenceAndLibraries) {
    AppHarness h;
    ASSERT_TRUE(h.Start());
    About* a = h.Open<About>(Command::About);
    ASSERT_NE(a, nullptr);
    const QString text = a->Text();
    EXPECT_TRUE(text.contains("GPL-3.0-or-later"));
    EXPECT_TRUE(text.contains(QStringLiteral("Qt ") + qVersion()));
    for (const char* lib : {"SDL2", "FluidSynth", "SoundFont", "SoundTouch", "Rubber Band",
                            "TagLib", "libsndfile", "mpg123"})
        EXPECT_TRUE(text.contains(lib)) << lib;
    EXPECT_FALSE(text.contains(" ?\n"));
    EXPECT_TRUE(text.contains("README.md"));
    SaveShot(*a, "about");
    a->close();
}

}  // namespace
}  // namespace cx
