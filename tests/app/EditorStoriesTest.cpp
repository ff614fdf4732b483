// The lyrics editor in the real player: opened by its command while a song
// plays, its capture times a piece and the karaoke window follows.
#include <gtest/gtest.h>

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
    ASSERT_TRUE(h.Start(test::QPath(song)));
    const LyricsModel& model = h.app->Song().Model;
    ASSERT_GT(model.UpperBound(), 4);

    ASSERT_TRUE(h.app->Run(Command::Editor));
    Editor* editor = h.app->EditorWindow();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->Document().MediaFile(), song.string());
    EXPECT_EQ(editor->List()->topLevelItemCount(), model.UpperBound());

    // Between pieces 2 and 3 (half a second apart in the demo), capture piece 3
    // early: the karaoke window moves on to it at once.
    const double at = model.Lyrics[2].StartTime + 0.3;
    ASSERT_GT(model.Lyrics[3].StartTime, at + 0.1);
    h.app->SeekTo(at - 0.5);
    h.Advance(0.5);
    KaraokeDisplay& display = h.app->LyricWindow()->Display();
    EXPECT_EQ(display.CurrentPiece(), 2);
    editor->SelectRow(3);
    test::SendKey(editor->List(), Qt::Key_QuoteLeft, Qt::NoModifier, "`");
    const double captured = editor->Document().Piece(3).StartTime;
    EXPECT_NEAR(captured, at - kCaptureReactionSeconds, 0.03);
    EXPECT_DOUBLE_EQ(model.Lyrics[3].StartTime, captured);  // the song's own lyrics
    EXPECT_EQ(editor->SelectedRow(), 4);
    h.Advance(0.01);
    EXPECT_EQ(display.CurrentPiece(), 3);

    // While the editor is open, Stop keeps the song open at its start.
    ASSERT_TRUE(h.app->Run(Command::Stop));
    EXPECT_TRUE(h.app->Transport().IsOpen());
    editor->close();
    ASSERT_TRUE(h.app->Run(Command::Stop));
    EXPECT_FALSE(h.app->Transport().IsOpen());

    h.app.reset();
    EXPECT_NE(h.StoredSettings().find("editor%20position"), std::string::npos);
}

}  // namespace
}  // namespace cx
