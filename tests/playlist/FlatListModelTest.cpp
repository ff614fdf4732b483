#include "playlist/FlatListModel.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace cx {
namespace {

FlatListModel ListOf(std::initializer_list<const char*> texts) {
    FlatListModel list;
    int n = 0;
    for (const char* t : texts) list.AddItem(t, "", "/songs/" + std::to_string(n++) + ".mp3");
    return list;
}

std::vector<std::string> Texts(const FlatListModel& list) {
    std::vector<std::string> out;
    for (const auto& item : list.Items()) out.push_back(item.ListString);
    return out;
}

TEST(FlatListModel, RemoveDropsSelectedKeepsMarksOnSurvivorsAndNothingReachesOutside) {
    auto list = ListOf({"a", "b", "c", "d"});
    EXPECT_EQ(list.RemoveItem(), 0) << "nothing selected removes nothing";
    EXPECT_EQ(list.ListCount(), 4);

    list.SetCurrentPlaying(3);
    list.SetListIndex(1);
    list.SetSelected(1, true);
    list.SetSelected(2, true);
    EXPECT_EQ(list.RemoveItem(), 2);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(list.CurrentPlaying(), 1) << "the playing song keeps its mark";
    EXPECT_EQ(list.ListIndex(), 1) << "focus moves to the next survivor";
    EXPECT_EQ(list.FirstSelected(), -1);

    list.SetSelected(1, true);
    list.RemoveItem();
    EXPECT_EQ(list.CurrentPlaying(), -1) << "removing the playing song clears the mark";
    EXPECT_EQ(list.ListIndex(), 0);

    list.SelectAll();
    list.RemoveItem();
    EXPECT_EQ(list.ListCount(), 0);
    EXPECT_EQ(list.ListIndex(), -1);

    // Fields outside the list read empty and take no writes.
    list.AddItem("a", "", "/a.mp3");
    EXPECT_EQ(list.ListPath(5), "");
    EXPECT_EQ(list.ListString(-1), "");
    list.SetListString(3, "x");
    list.SetCurrentPlaying(9);
    EXPECT_EQ(list.CurrentPlaying(), -1);
    EXPECT_EQ(list.IndexOfId(list.Item(0).id), 0);
    EXPECT_EQ(list.IndexOfId(999), -1);
}

TEST(FlatListModel, SortIsByteOrderAndMarksFollowTheirItems) {
    auto list = ListOf({"beta", "Zulu", "alpha", "Beta", "beta"});
    const auto playingId = list.Item(2).id;  // "alpha"
    const auto focusId = list.Item(4).id;    // the second "beta"
    list.SetCurrentPlaying(2);
    list.SetListIndex(4);
    list.SetSelected(1, true);  // "Zulu"

    list.SortFlatList(SortOrder::Ascending);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"Beta", "Zulu", "alpha", "beta", "beta"}));
    EXPECT_EQ(list.Item(list.CurrentPlaying()).id, playingId);
    EXPECT_EQ(list.Item(list.ListIndex()).id, focusId);
    EXPECT_EQ(list.Item(4).id, focusId) << "equal texts keep their order";
    EXPECT_TRUE(list.Selected(1));

    list.SortFlatList(SortOrder::Descending);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"beta", "beta", "alpha", "Zulu", "Beta"}));
    EXPECT_EQ(list.Item(list.CurrentPlaying()).id, playingId);
    EXPECT_TRUE(list.Selected(3));
}

TEST(FlatListModel, ShuffleIsAPermutationThatKeepsThePlayingMark) {
    FlatListModel list;
    for (int i = 0; i < 50; ++i) list.AddItem(std::to_string(i), "", "/p/" + std::to_string(i));
    const auto before = Texts(list);
    list.SetCurrentPlaying(17);
    std::mt19937 rng(7);
    list.SortRandom(rng);
    const auto texts = Texts(list);
    EXPECT_NE(texts[0] + texts[1] + texts[2], "012");
    EXPECT_TRUE(std::is_permutation(texts.begin(), texts.end(), before.begin(), before.end()));
    EXPECT_EQ(list.ListString(list.CurrentPlaying()), "17");
}

TEST(FlatListModel, FocusMovesScrollAndStayInside) {
    auto list = ListOf({"a", "b", "c", "d", "e"});
    list.SetVisibleRows(2);
    list.MoveDown();
    EXPECT_EQ(list.ListIndex(), 0);
    for (int i = 0; i < 10; ++i) list.MoveDown();
    EXPECT_EQ(list.ListIndex(), 4);
    EXPECT_TRUE(list.Selected(4));
    EXPECT_EQ(list.FirstSelected(), 4) << "the selection mark moves with the focus";
    EXPECT_EQ(list.TopIndex(), 3) << "the focus row stays visible";
    for (int i = 0; i < 3; ++i) list.MoveUp();
    EXPECT_EQ(list.TopIndex(), 1);

    list.SetTopIndex(100);
    EXPECT_EQ(list.TopIndex(), 3);
    list.ScrollUp();
    EXPECT_EQ(list.TopIndex(), 2);
    list.SetTopIndex(-5);
    EXPECT_EQ(list.TopIndex(), 0);

    // Moving "it" moves the focus and the selection mark to the neighbour.
    list.SelectOnly(1);
    list.MoveItDown();
    EXPECT_FALSE(list.Selected(1));
    EXPECT_TRUE(list.Selected(2));
    for (int i = 0; i < 3; ++i) list.MoveItDown();  // the last time: already last
    EXPECT_TRUE(list.Selected(4));
    for (int i = 0; i < 5; ++i) list.MoveItUp();
    EXPECT_TRUE(list.Selected(0));
    EXPECT_EQ(list.ListIndex(), 0);
}

// Moving items by key (step) and by drag (before): the moved items keep their
// order and their selection, and the playing mark stays on its song ("c").
TEST(FlatListModel, SelectedItemsMoveAndThePlayingMarkFollows) {
    struct Case {
        const char* name;
        std::vector<int> selected;
        int step;    // MoveSelected(step) when not 0
        int before;  // else MoveSelectedTo(before)
        const char* expected;
    };
    const Case cases[] = {
        {"one up", {2}, -1, 0, "acbdef"},
        {"a block down", {1, 2}, 1, 0, "adbcef"},
        {"the top item holds, the other moves", {0, 3}, -1, 0, "abdcef"},
        {"the last item cannot go further", {5}, 1, 0, "abcdef"},
        {"nothing selected", {}, 1, 0, "abcdef"},
        {"dragged to the top", {3, 5}, 0, 0, "dfabce"},
        {"dragged below the last", {0, 2}, 0, 6, "bdefac"},
        {"dropped where it stands", {2}, 0, 3, "abcdef"},
        {"dragged down between two", {1}, 0, 4, "acdbef"},
    };
    for (const Case& c : cases) {
        auto list = ListOf({"a", "b", "c", "d", "e", "f"});
        list.SetCurrentPlaying(2);
        for (int i : c.selected) list.SetSelected(i, true);
        c.step ? (void)list.MoveSelected(c.step) : list.MoveSelectedTo(c.before);
        std::string order, selected;
        for (int i = 0; i < list.ListCount(); ++i) {
            order += list.ListString(i);
            if (list.Selected(i)) selected += list.ListString(i);
        }
        EXPECT_EQ(order, c.expected) << c.name;
        EXPECT_EQ(list.ListString(list.CurrentPlaying()), "c") << c.name;
        std::string wanted;
        for (char ch : order)
            if (std::count(c.selected.begin(), c.selected.end(), ch - 'a')) wanted += ch;
        EXPECT_EQ(selected, wanted) << c.name;
    }
}

// Where Next and Previous start after the list was edited under the playing song.
TEST(FlatListModel, NextAndPreviousStartFromThePlayingSongWhereverItNowIs) {
    enum Edit { None, SortDown, MoveUp, Append };
    struct Case {
        const char* name;
        int playing;
        std::vector<int> removed;
        Edit edit;
        const char* next;
        const char* previous;
    };
    const Case cases[] = {
        {"unchanged", 2, {}, None, "d", "b"},
        {"an entry above removed", 2, {0}, None, "d", "b"},
        {"sorted descending", 2, {}, SortDown, "b", "d"},
        {"moved up", 2, {}, MoveUp, "b", "a"},
        {"the playing entry removed", 2, {2}, None, "d", "b"},
        {"it and the one after removed", 2, {2, 3}, None, "e", "b"},
        {"the last, playing, removed", 4, {4}, None, "a", "d"},
        {"... and a song added after it", 4, {4}, Append, "f", "d"},
        {"nothing playing", -1, {}, None, "a", "e"},
    };
    for (const Case& c : cases) {
        auto list = ListOf({"a", "b", "c", "d", "e"});
        list.SetCurrentPlaying(c.playing);
        for (int i : c.removed) list.SetSelected(i, true);
        list.RemoveItem();
        if (c.edit == SortDown) list.SortFlatList(SortOrder::Descending);
        if (c.edit == MoveUp) list.SelectOnly(2), list.MoveSelected(-1);
        if (c.edit == Append) list.AddItem("f", "", "/songs/f.mp3");
        EXPECT_EQ(list.ListString(list.NextCandidate(1)), c.next) << c.name;
        EXPECT_EQ(list.ListString(list.NextCandidate(-1)), c.previous) << c.name;
    }
    EXPECT_EQ(FlatListModel().NextCandidate(1), -1);
}

}  // namespace
}  // namespace cx
