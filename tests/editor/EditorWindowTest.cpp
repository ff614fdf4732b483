// The editor window offscreen over a stand-in player: it opens with the
// song's lyrics, its keys capture and correct, and its menus do their work.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "../lyrics/MediaFixtures.h"
#include "FakePlayer.h"
#include "app/Translations.h"
#include "editor/gui/Editor.h"
#include "editor/gui/TimeSpinner.h"
#include "lyrics/LyricsLoader.h"
#include "support/TestSupport.h"

namespace cx {
namespace {

using test::FakePlayer;

struct Answers {
    QString file;
    std::vector<QString> messages;
    std::vector<QString> titles;
    std::vector<QString> questions;
    bool yes = true;
};

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* piece : {"Twin", "kle ", "twinkle"})
            player.model.Lyrics.push_back({"Twinkle twinkle", piece, 0, *piece == 't'});
        Editor::Hooks hooks;
        hooks.translate = [this](const std::string& key) { return tr.Translate(key); };
        hooks.chooseFile = [this](const QString& title, const QString&, const QString&, bool) {
            answers.titles.push_back(title);
            return answers.file;
        };
        hooks.message = [this](const QString& text, bool) { answers.messages.push_back(text); };
        hooks.confirm = [this](const QString& q) {
            answers.questions.push_back(q);
            return answers.yes;
        };
        hooks.chooseLrcFlavour = [] { return std::optional<LrcFlavour>(LrcFlavour::Extended); };
        hooks.seekTo = [this](double s) { seeks.push_back(s); };
        hooks.nowMs = [this] { return clockMs; };
        editor = std::make_unique<Editor>(player.Link(), hooks, Codepage::Cp1252);
        editor->OpenWindow();
        QApplication::processEvents();
    }

    void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
             const QString& text = {}, QEvent::Type type = QEvent::KeyPress,
             bool autoRepeat = false) {
        QKeyEvent e(type, key, mods, text, autoRepeat);
        QApplication::sendEvent(w, &e);
    }
    // One column of the list (or its tooltips), its rows joined by "|".
    QString Column(int column, bool tips = false) {
        QStringList rows;
        for (int i = 0; i < editor->List()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = editor->List()->topLevelItem(i);
            rows << (tips ? row->toolTip(column) : row->text(column));
        }
        return rows.join('|');
    }

    Translator tr;
    FakePlayer player;
    Answers answers;
    std::vector<double> seeks;
    std::int64_t clockMs = 0;
    std::unique_ptr<Editor> editor;
};

TEST_F(EditorWindow, OpensWithTheSongAndTheCaptureKeyTimesTheSelectedPiece) {
    QTreeWidget* list = editor->List();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(editor->windowTitle(), "Karaoke editor");
    EXPECT_EQ(list->headerItem()->text(0), "Text");
    EXPECT_EQ(list->headerItem()->text(1), "Time");
    EXPECT_EQ(editor->PieceText()->text(), "Twin");
    EXPECT_EQ(list->topLevelItem(2)->text(2), "break");

    // Nothing plays: the key does nothing.
    Key(list, Qt::Key_QuoteLeft, Qt::NoModifier, "`");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "00:00,000");

    player.position = 10.0;
    Key(list, Qt::Key_QuoteLeft, Qt::NoModifier, "`");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "00:09,750");
    EXPECT_DOUBLE_EQ(player.model.Lyrics[1].StartTime, 9.75);
    EXPECT_EQ(editor->SelectedRow(), 2);

    // Space in the list, and the key from the text editor, capture too.
    player.position = 10.5;
    Key(list, Qt::Key_Space, Qt::NoModifier, " ");
    player.position = 11.0;
    Key(editor->TextEditor(), Qt::Key_QuoteLeft, Qt::NoModifier, "`");
    EXPECT_EQ(Column(1), "00:09,750|00:10,250|00:10,750");
    EXPECT_EQ(editor->SelectedRow(), 3);  // the last row keeps the selection
    EXPECT_TRUE(editor->TextEditor()->toPlainText().isEmpty());

    // Double-click plays from a little before the piece, through the player's seek.
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    ASSERT_EQ(seeks.size(), 1u);
    EXPECT_DOUBLE_EQ(seeks[0], 9.75 - kReplayLeadSeconds);

    const QString shot = QString::fromUtf8(CX_BINARY_DIR) + "/editor-window.png";
    EXPECT_TRUE(editor->grab().save(shot));
}

TEST_F(EditorWindow, BracketsCannotBeTypedIntoThePieceText) {
    QLineEdit* text = editor->PieceText();
    text->setFocus();
    text->end(false);
    Key(text, Qt::Key_BracketLeft, Qt::NoModifier, "[");
    Key(text, Qt::Key_BracketRight, Qt::NoModifier, "]");
    EXPECT_EQ(text->text(), "Twin");
    Key(text, Qt::Key_S, Qt::NoModifier, "s");
    EXPECT_EQ(text->text(), "Twins");
    EXPECT_EQ(editor->Document().Piece(1).PieceText, "Twins");
    EXPECT_EQ(editor->List()->topLevelItem(0)->text(3), "Twinskle twinkle");
}

TEST_F(EditorWindow, HeldKeypadPlusCorrectsByTheTimeHeldWhateverTheKeyboardRepeats) {
    editor->Document().SetTime(1, 5.0);
    editor->Refill(1);
    QTreeWidget* list = editor->List();
    // Held 1.5 s: the keyboard repeats every 30 ms, the timer gets through only now and then.
    Key(list, Qt::Key_Plus, Qt::KeypadModifier, "+");
    for (int ms = 30; ms < 1500; ms += 30) {
        clockMs += 30;
        Key(list, Qt::Key_Plus, Qt::KeypadModifier, "+", QEvent::KeyRelease, true);
        Key(list, Qt::Key_Plus, Qt::KeypadModifier, "+", QEvent::KeyPress, true);
        if (ms % 420 == 0) editor->CorrectionTick();
    }
    clockMs += 30;
    Key(list, Qt::Key_Plus, Qt::KeypadModifier, "+", QEvent::KeyRelease);
    clockMs += 600;
    editor->CorrectionTick();  // released: no more change
    EXPECT_NEAR(editor->Document().Piece(1).StartTime, 5.61, 1e-9);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "00:05,610");
    EXPECT_EQ(editor->CorrectSpinner()->text(), "00:05,610");
    EXPECT_NEAR(player.model.Lyrics[1].StartTime, 5.61, 1e-9);

    // The Down arrow in the time spinner is the same correction.
    QLineEdit* field = editor->CorrectSpinner()->Field();
    Key(field, Qt::Key_Down);
    clockMs += kCorrectionTickMs;
    Key(field, Qt::Key_Down, Qt::NoModifier, {}, QEvent::KeyRelease);
    EXPECT_NEAR(editor->Document().Piece(1).StartTime, 5.609, 1e-9);
}

TEST_F(EditorWindow, SplitOffsetAndRowKeysEditTheList) {
    editor->ClearLyrics();
    editor->TextEditor()->setPlainText("Hello big world");
    editor->SplitText();
    QTreeWidget* list = editor->List();
    EXPECT_EQ(Column(0), "Hello |big |world");
    EXPECT_EQ(list->topLevelItem(2)->text(2), "break");
    EXPECT_EQ(player.model.UpperBound(), 3);

    editor->Document().SetTime(2, 3);
    editor->Document().SetTime(3, 4);
    editor->Refill(2);
    list->topLevelItem(2)->setSelected(true);
    editor->OffsetSpinner()->setValue(-0.5);
    editor->ApplyOffset();
    EXPECT_EQ(Column(1), "00:00,000|00:02,500|00:03,500");

    Key(list, Qt::Key_Insert);
    EXPECT_EQ(list->topLevelItemCount(), 4);
    Key(list, Qt::Key_F12);
    EXPECT_EQ(list->topLevelItemCount(), 5);
    editor->SelectRow(5);
    Key(list, Qt::Key_Delete);
    EXPECT_EQ(list->topLevelItemCount(), 4);

    editor->MergeText();
    EXPECT_EQ(editor->TextEditor()->toPlainText(), "Hello \nbig world\n");
}

TEST_F(EditorWindow, SaveWritesAfterTheCommandReturnsAndExportsReadBack) {
    test::TempDir dir;
    const auto song = dir / "song.mp3";
    test::WriteBytes(song, test::MakeMp3(8));
    player.song = song.string();
    editor->OpenWindow();  // the song's lyrics, now of this file
    editor->Document().SetTime(1, 1.5);
    editor->Save();
    EXPECT_EQ(test::ReadBytes(song).size(), 8u * 417u);  // not yet
    QApplication::processEvents();
    LyricsModel back;
    ASSERT_TRUE(LoadLyrics(song, back, {}, Codepage::Cp1252).ok);
    EXPECT_EQ(back.UpperBound(), 3);
    EXPECT_DOUBLE_EQ(back.Lyrics[1].StartTime, 1.5);

    answers.file = QString::fromStdString((dir / "out.lrc").string());
    editor->ExportLrcFile();
    EXPECT_EQ(answers.titles.back(), "CBX: Export LRC");
    const std::string lrc = test::ReadBytes(dir / "out.lrc");
    EXPECT_EQ(lrc.substr(0, 14), "[00:01.50]Twin");
    EXPECT_TRUE(lrc.ends_with("twinkle\r\n") && !lrc.ends_with("\r\n\r\n")) << lrc;

    editor->ClearLyrics();
    editor->Save();
    ASSERT_FALSE(answers.messages.empty());
    EXPECT_EQ(answers.messages.back(), "There is nothing to save.");
}

TEST_F(EditorWindow, UntimedAndOutOfOrderRowsAreMarkedAndSavingAsksFirst) {
    test::TempDir dir;
    editor->Document().SetTime(1, 2.0);
    editor->Document().SetTime(2, 1.5);  // tapped before the piece above it
    editor->Refill(1);
    QTreeWidget* list = editor->List();
    EXPECT_EQ(Column(1, true), "|Earlier than a piece above it|Not timed yet");

    // Refused: nothing is written. Saving anyway writes.
    answers.file = QString::fromStdString((dir / "x.lrc").string());
    answers.yes = false;
    editor->ExportLrcFile();
    editor->ExportKokFile();
    editor->SaveAs();
    editor->Save();
    ASSERT_EQ(answers.questions.size(), 4u);
    EXPECT_TRUE(answers.questions[0].contains("2, 3")) << answers.questions[0].toStdString();
    EXPECT_TRUE(answers.titles.empty());
    answers.yes = true;
    editor->ExportLrcFile();
    EXPECT_TRUE(std::filesystem::exists(dir / "x.lrc"));

    // Put in order and timed, the marks go and nothing is asked.
    editor->Document().SetTime(2, 2.5);
    editor->Document().SetTime(3, 3.0);
    editor->Refill(1);
    EXPECT_TRUE(list->topLevelItem(1)->toolTip(1).isEmpty());
    answers.questions.clear();
    editor->ExportLrcFile();
    EXPECT_TRUE(answers.questions.empty());
}

TEST_F(EditorWindow, EveryMenuItemHasItsCaptionAndThePlaceIsKept) {
    const QStringList keys = QStringLiteral(
                                 "MenuNew MenuLyricsOpen MenuLyricsImport MenuSave MenuSaveAs "
                                 "MenuExport ExportLrc ExportKok MenuTextOpen MenuTextSave "
                                 "MenuUpdate MenuExit MenuCut MenuCopy MenuPaste MenuDelete "
                                 "MenuSelectAll MenuRemoveAll MenuFontSettings MenuDetails "
                                 "MenuSplitText MenuMergeText MenuInsert MenuAddNew MenuClear "
                                 "Play Pause Stop MenuTutorial MenuSupport MenuVersion About")
                                 .split(' ');
    for (const QString& k : keys) {
        const std::string key = k.toStdString();
        QAction* a = editor->Action(key);
        ASSERT_NE(a, nullptr) << key;
        EXPECT_FALSE(a->text().isEmpty()) << key;
        if (k.startsWith("Menu") || k.startsWith("Export")) {
            EXPECT_FALSE(a->text().startsWith(k)) << key;
        }
    }
    EXPECT_EQ(editor->Action("MenuNew")->text(), "&New\tCtrl +N");
    EXPECT_EQ(editor->Action("MenuInsert")->text(), "&Insert line\tInsert");

    editor->setGeometry(120, 90, 700, 420);
    const QString place = editor->PositionText();
    editor->setGeometry(0, 0, 300, 200);
    editor->ApplyPosition(place);
    EXPECT_EQ(editor->PositionText(), place);
    editor->ApplyPosition("nonsense");
    EXPECT_EQ(editor->PositionText(), place);
}

}  // namespace
}  // namespace cx

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
