// The song details dialog and the picture editor offscreen, driven through
// their hooks instead of message boxes and file dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <map>

#include "KaraokeTestSupport.h"
#include "karaoke/gui/Details.h"
#include "karaoke/gui/PicEdit.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

void SaveShot(QWidget& w, const char* name) {
    // Screenshots for a person to look at, only when asked for.
    const char* dir = std::getenv("CX_SHOT_DIR");
    if (!dir || !*dir) return;
    w.adjustSize();
    w.grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
}

class DetailsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings = test::TestSettings();
        m_pic = (m_dir / "blue.png").string();
        ASSERT_TRUE(test::Solid(40, 30, Qt::blue).save(QString::fromStdString(m_pic)));
    }
    Details* Make(const SongLook& look) {
        Details::Hooks hooks;
        hooks.Apply = [this](const SongLook& l) {
            m_applied = l;
            ++m_applies;
        };
        hooks.Save = [this](const DisplayBlock& b) {
            m_saved = b;
            return m_saveOk;
        };
        hooks.Message = [this](const QString& text) { m_messages << text; };
        hooks.Ask = [this](const QString& title, const QString& text) {
            m_questions << title + "|" + text;
            return m_answer;
        };
        // The texts of the English file for the checks' messages.
        static const std::map<std::string, std::string> kEnglish = {
            {"PictureCaption", "Picture details"},
            {"PictureNotAssigned",
             "Picture file is not assigned. Picture settings won't be affected."},
            {"PictureNotExists", "Picture file doesn't exist."},
            {"PictureNotChanged", "Current settings won't be affected"},
            {"PictureContinue", "Do you want to continue?"}};
        auto translate = [](const std::string& key) {
            const auto found = kEnglish.find(key);
            return found == kEnglish.end() ? std::string() : found->second;
        };
        auto* d = new Details(look, m_settings, translate, hooks);
        m_made.emplace_back(d);
        return d;
    }
    void TearDown() override {
        for (auto& d : m_made) delete d.data();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    test::TempDir m_dir;
    std::string m_pic;
    KaraokeSettings m_settings;
    SongLook m_applied;
    int m_applies = 0;
    DisplayBlock m_saved;
    bool m_saveOk = true;
    bool m_answer = true;
    QStringList m_messages, m_questions;
    std::vector<QPointer<Details>> m_made;
};

TEST_F(DetailsDialog, LoadsTheLookAndStoresOnlyColoursThatDifferFromTheSettings) {
    SongLook look;
    look.Title = "Old";
    look.ForeColor = 0x0000FF;
    look.Alignment = 1;
    Details* d = Make(look);
    EXPECT_EQ(d->findChild<QLineEdit*>("xTitle")->text(), "Old");
    EXPECT_EQ(d->Colour(SongColour::Normal), 0x0000FFu);
    // A missing colour shows the setting's and says so.
    EXPECT_EQ(d->Colour(SongColour::Highlight), m_settings.LyricsHighlightColor);
    EXPECT_TRUE(d->ColourIsSetting(SongColour::Highlight));
    EXPECT_TRUE(d->findChild<QRadioButton*>("AL1")->isChecked());
    EXPECT_EQ(d->findChild<QButtonGroup*>("LAY")->checkedId(), kSettingUnset);

    // Choosing exactly the preference colours stores none in the block.
    d->SetColour(SongColour::Normal, m_settings.LyricsColor);
    d->SetColour(SongColour::Back, 0x123456);
    d->findChild<QLineEdit*>("xTitle")->setText("New");
    const DisplayBlock b = d->Block();
    EXPECT_EQ(b.ForeColor, kColorUnset);
    EXPECT_EQ(b.HighlightColor, kColorUnset);
    EXPECT_EQ(b.BackColor, 0x123456);
    EXPECT_EQ(b.Alignment, 1);
    EXPECT_EQ(b.Layout, kSettingUnset);
    // The karaoke window followed each change.
    EXPECT_GE(m_applies, 3);
    EXPECT_EQ(m_applied.Title, "New");
    EXPECT_EQ(m_applied.BackColor, 0x123456);
    SaveShot(*d, "details-general");
    d->OK_Click();
    EXPECT_EQ(m_applied.ForeColor, -1);
}

TEST_F(DetailsDialog, CancelPutsTheSongsLookBackAndSaveWritesTheBlock) {
    SongLook look;
    look.Title = "Keep";
    Details* d = Make(look);
    d->findChild<QLineEdit*>("xTitle")->setText("Changed");
    EXPECT_EQ(m_applied.Title, "Changed");
    d->reject();
    EXPECT_EQ(m_applied.Title, "Keep");

    Details* s = Make(look);
    s->findChild<QLineEdit*>("PicPath")->setText(QString::fromStdString(m_pic));
    s->findChild<QRadioButton*>("LAY1")->setChecked(true);
    m_saveOk = false;  // a refused write keeps the dialog and its values
    EXPECT_FALSE(s->Save_Click());
    EXPECT_EQ(s->result(), 0);
    m_saveOk = true;
    EXPECT_TRUE(s->Save_Click());
    EXPECT_EQ(m_saved.Picture, m_pic);
    EXPECT_EQ(m_saved.Layout, 1);
    EXPECT_EQ(m_saved.Title, "Keep");
}

TEST_F(DetailsDialog, TimelineTakesThreePicturesWithTransitionsInTimeOrder) {
    Details* d = Make({});
    const struct {
        int time;
        const char *effect, *variant;
    } rows[] = {{30, "Slide Bar", "Vertical2"}, {0, "", ""}, {75, "Wipe Box", "Inside"}};
    for (const auto& r : rows) {
        PicEdit* e = d->OpenPictureEditor(-1);
        ASSERT_NE(e, nullptr);
        e->SetPath(QString::fromStdString(m_pic));
        e->SetTime(r.time);
        ASSERT_TRUE(!*r.effect || e->SetEffect(r.effect, r.variant));
        e->SetSpeed(8);
        EXPECT_TRUE(e->OK_Click());
    }
    ASSERT_EQ(d->TimelineRows(), 3);
    auto* list = d->findChild<QTreeWidget*>("KARList");
    const auto cell = [list](int row, int column) { return list->topLevelItem(row)->text(column); };
    EXPECT_EQ((QStringList{cell(0, 1), cell(1, 1), cell(1, 2), cell(2, 4)}),
              (QStringList{"00:30", "00:00", "None", "Inside"}));
    SaveShot(*d, "details-images");
    // The display gets them ordered by time.
    ASSERT_EQ(m_applied.Schedule.size(), 3u);
    EXPECT_EQ(m_applied.Schedule[0].Time, 0);
    EXPECT_EQ(m_applied.Schedule[1].Effect, "Slide Bar");
    EXPECT_EQ(m_applied.Schedule[1].EffectDetail, "Vertical2");
    EXPECT_EQ(m_applied.Schedule[2].Speed, 8);

    // Edit replaces its row; Remove takes it out.
    PicEdit* e = d->OpenPictureEditor(0);
    EXPECT_EQ(e->Values().Time, 30);
    EXPECT_EQ(e->Values().Effect, "Slide Bar");
    e->SetTime(40);
    EXPECT_TRUE(e->OK_Click());
    EXPECT_EQ(cell(0, 1), "00:40");
    d->RemoveTimelineRow(1);
    EXPECT_EQ(d->TimelineRows(), 2);
    EXPECT_EQ(d->Block().Images.size(), 3u);
}

TEST_F(DetailsDialog, PictureEditorRefusesEntriesWithoutAnExistingFile) {
    Details* d = Make({});
    PicEdit* e = d->OpenPictureEditor(-1);
    // Cancel: back to the editor, nothing taken.
    m_answer = false;
    EXPECT_FALSE(e->OK_Click());
    ASSERT_EQ(m_questions.size(), 1);
    EXPECT_EQ(m_questions[0],
              "Picture details|Picture file is not assigned. Picture settings won't be affected.\n"
              "Do you want to continue?");
    const QString missing = QString::fromStdString((m_dir / "missing.png").string());
    e->SetPath(missing);
    EXPECT_FALSE(e->OK_Click());
    ASSERT_EQ(m_questions.size(), 2);
    EXPECT_EQ(m_questions[1],
              "Picture details|Picture file doesn't exist. Current settings won't be affected\n"
              "Do you want to continue?");
    e->SetPath(QString::fromStdString(m_dir.Path().string()));  // a folder is no picture file
    EXPECT_FALSE(e->OK_Click());
    EXPECT_EQ(m_questions.size(), 3);
    // OK leaves the editor without a change.
    m_answer = true;
    EXPECT_TRUE(e->OK_Click());
    EXPECT_EQ(d->TimelineRows(), 0);
    // A preview of a missing picture says so.
    EXPECT_FALSE(d->PreviewPicture(missing));
    EXPECT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(d->PreviewPicture(QString::fromStdString(m_pic)));
}

TEST_F(DetailsDialog, PictureEditorOffersExactlyEachEffectsVariants) {
    Details* d = Make({});
    PicEdit* e = d->OpenPictureEditor(-1);
    for (const std::string& effect : TransitionEffects()) {
        ASSERT_TRUE(e->SetEffect(effect)) << effect;
        QStringList expected;
        for (const auto& v : TransitionVariants(effect)) expected << QString::fromStdString(v);
        EXPECT_EQ(e->Variants(), expected) << effect;
    }
    EXPECT_TRUE(e->Variants().isEmpty());  // the last, Custom Checkboard, has none
    EXPECT_FALSE(e->SetEffect("Dissolve"));
    e->ClearEffect();
    EXPECT_TRUE(e->Values().Effect.empty());
    EXPECT_TRUE(e->Values().EffectDetail.empty());
}

TEST_F(DetailsDialog, PreviewPlaysTheEffectFromThePictureBeforeToThisOne) {
    Details* d = Make({});
    PicEdit* e = d->OpenPictureEditor(-1);
    e->SetPath(QString::fromStdString(m_pic));
    ASSERT_TRUE(e->SetEffect("Slide Bar", "Vertical2"));
    e->SetSpeed(10);
    e->PlayPreview();
    ASSERT_TRUE(e->PreviewRunning());
    // The frames come on the editor's timer: let it run.
    QImage middle;
    QElapsedTimer clock;
    clock.start();
    while (e->PreviewRunning() && clock.elapsed() < 20000) {
        QEventLoop wait;
        QTimer::singleShot(1, &wait, &QEventLoop::quit);
        wait.exec();
        if (e->PreviewFrameCount() >= 41 && middle.isNull()) middle = e->PreviewImage();
    }
    EXPECT_FALSE(e->PreviewRunning());
    const QRgb kBlue = qRgb(0, 0, 255);
    // Slide Bar Vertical2 takes 80 steps in the 112 x 80 preview.
    EXPECT_EQ(e->PreviewFrameCount(), 81);
    const QImage last = e->PreviewImage();
    EXPECT_EQ(last.size(), QSize(kPreviewWidth, kPreviewHeight));
    EXPECT_EQ(std::pair(last.pixel(5, 5), last.pixel(100, 70)), std::pair(kBlue, kBlue));
    // Half way, the bottom of the left half and the top of the right half are new.
    ASSERT_FALSE(middle.isNull());
    EXPECT_EQ(std::pair(middle.pixel(5, 75), middle.pixel(100, 5)), std::pair(kBlue, kBlue));
    EXPECT_NE(middle.pixel(5, 5), kBlue);
    SaveShot(*e, "picedit");
}

}  // namespace
}  // namespace cx
