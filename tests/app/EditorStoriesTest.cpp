// The lyrics editor in the real player: opened by its command while a song
// plays, its capture times a piece and the karaoke window follows.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include "AppHarness.h"
#include "editor/gui/Editor.h"
#include "karaoke/gui/Lyric.h"
#include "playback/player/MediaTransport.h"

namespace cx {
namespace {

using test::AppHarness;
using test::DemoDir;

TEST(EditorStories, TheEditorOpensOnThePlayingSongAndItsCaptureKeyTimesAPiece) {
    AppHarness h;
    const auto song = DemoDir() / "Twinkle Twinkle Little Star.wav";
    ASSERT_TRUE(h.Start(QString::fromStdString(song.string())));
    const LyricsModel& model = h.app->Song().Model;
    ASSERT_GT(model.UpperBound(), 4);

    ASSERT_TRUE(h.app->Run(Command::Editor));
    Editor* editor = h.app->EditorWindow();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->Document().MediaFile(), song.string());
    EXPECT_EQ(editor->List()->topLevelItemCount(), model.UpperBound());

    // Play on to a moment of our choosing and capture piece 2 there.
    const double at = model.Lyrics[2].StartTime + 0.6;
    h.app->SeekTo(at - 0.5);
    h.Advance(0.5);
    editor->SelectRow(2);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_QuoteLeft, Qt::NoModifier, "`");
    QApplication::sendEvent(editor->List(), &key);
    const double captured = editor->Document().Piece(2).StartTime;
    EXPECT_NEAR(captured, at - kCaptureReactionSeconds, 0.011);
    EXPECT_DOUBLE_EQ(model.Lyrics[2].StartTime, captured);  // the song's own lyrics
    EXPECT_EQ(editor->SelectedRow(), 3);

    // The karaoke window shows the captured piece on the next tick.
    h.Advance(0.01);
    EXPECT_EQ(h.app->LyricWindow()->Display().CurrentPiece(), 2);

    // While the editor is open, Stop keeps the song open at its start.
    ASSERT_TRUE(h.app->Run(Command::Stop));
    EXPECT_TRUE(h.app->Transport().IsOpen());
    editor->close();
    ASSERT_TRUE(h.app->Run(Command::Stop));
    EXPECT_FALSE(h.app->Transport().IsOpen());

    h.app.reset();
    EXPECT_NE(h.StoredSettings().find("editor position"), std::string::npos);
}

}  // namespace
}  // namespace cx
