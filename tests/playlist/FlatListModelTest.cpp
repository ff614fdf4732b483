#include "playlist/FlatListModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

TEST(FlatListModel, RemoveDropsSelectedAndKeepsMarksOnSurvivors) {
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
    list.SetCurrentPlaying(17);
    const auto playingId = list.Item(17).id;
    std::mt19937 rng(7);
    list.SortRandom(rng);
    auto texts = Texts(list);
    EXPECT_NE(texts[0] + texts[1] + texts[2], "012");
    std::sort(texts.begin(), texts.end());
    std::vector<std::string> expected;
    for (int i = 0; i < 50; ++i) expected.push_back(std::to_string(i));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(list.Item(list.CurrentPlaying()).id, playingId);
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
    list.MoveUp();
    list.MoveUp();
    list.MoveUp();
    EXPECT_EQ(list.TopIndex(), 1);

    list.SetTopIndex(100);
    EXPECT_EQ(list.TopIndex(), 3);
    list.ScrollUp();
    EXPECT_EQ(list.TopIndex(), 2);
    list.SetTopIndex(-5);
    EXPECT_EQ(list.TopIndex(), 0);
}

TEST(FlatListModel, MoveItMovesTheSelectionMarkToTheNeighbour) {
    auto list = ListOf({"a", "b", "c"});
    list.SelectOnly(1);
    list.MoveItDown();
    EXPECT_FALSE(list.Selected(1));
    EXPECT_TRUE(list.Selected(2));
    list.MoveItDown();  // already last
    EXPECT_TRUE(list.Selected(2));
    list.MoveItUp();
    list.MoveItUp();
    EXPECT_TRUE(list.Selected(0));
    EXPECT_EQ(list.ListIndex(), 0);
}

std::string Joined(const FlatListModel& list) {
    std::string out;
    for (const auto& item : list.Items()) out += item.ListString;
    return out;
}

// Moving items by key and by drag: the moved items keep their order, and the
// playing mark stays on its song ("c").
TEST(FlatListModel, SelectedItemsMoveAndThePlayingMarkFollows) {
    struct Case {
        const char* name;
        std::vector<int> selected;
        std::function<void(FlatListModel&)> move;
        const char* expected;
    };
    const auto up = [](FlatListModel& l) { l.MoveSelected(-1); };
    const auto down = [](FlatListModel& l) { l.MoveSelected(1); };
    const auto to = [](int before) {
        return [before](FlatListModel& l) { l.MoveSelectedTo(before); };
    };
    const Case cases[] = {
        {"one up", {2}, up, "acbdef"},
        {"a block down", {1, 2}, down, "adbcef"},
        {"the top item holds, the other moves", {0, 3}, up, "abdcef"},
        {"the last item cannot go further", {5}, down, "abcdef"},
        {"dragged to the top", {3, 5}, to(0), "dfabce"},
        {"dragged below the last", {0, 2}, to(6), "bdefac"},
        {"dropped where it stands", {2}, to(3), "abcdef"},
        {"dragged down between two", {1}, to(4), "acdbef"},
        {"nothing selected", {}, down, "abcdef"},
    };
    for (const Case& c : cases) {
        auto list = ListOf({"a", "b", "c", "d", "e", "f"});
        list.SetCurrentPlaying(2);
        for (int i : c.selected) list.SetSelected(i, true);
        if (!c.selected.empty()) list.SetListIndex(c.selected.front());
        c.move(list);
        EXPECT_EQ(Joined(list), c.expected) << c.name;
        EXPECT_EQ(list.ListString(list.CurrentPlaying()), "c") << c.name;
        for (const auto& item : list.Items()) {
            const bool wasSelected = std::find(c.selected.begin(), c.selected.end(),
                                               item.ListString[0] - 'a') != c.selected.end();
            EXPECT_EQ(list.Selected(list.IndexOfId(item.id)), wasSelected) << c.name;
        }
    }
}

// Where Next and Previous start after the list was edited under the playing song.
TEST(FlatListModel, NextAndPreviousStartFromThePlayingSongWhereverItNowIs) {
    struct Case {
        const char* name;
        int playing;
        std::vector<int> removed;
        std::function<void(FlatListModel&)> edit;
        const char* next;
        const char* previous;
    };
    const auto none = [](FlatListModel&) {};
    const Case cases[] = {
        {"unchanged", 2, {}, none, "d", "b"},
        {"an entry above removed", 2, {0}, none, "d", "b"},
        {"sorted descending",
         2,
         {},
         [](FlatListModel& l) { l.SortFlatList(SortOrder::Descending); },
         "b",
         "d"},
        {"moved up",
         2,
         {},
         [](FlatListModel& l) {
             l.SelectOnly(2);
             l.MoveSelected(-1);
         },
         "b",
         "a"},
        {"the playing entry removed", 2, {2}, none, "d", "b"},
        {"it and the one after removed", 2, {2, 3}, none, "e", "b"},
        {"the last, playing, removed", 4, {4}, none, "a", "d"},
        {"... and a song added after it",
         4,
         {4},
         [](FlatListModel& l) { l.AddItem("f", "", "/songs/f.mp3"); },
         "f",
         "d"},
        {"nothing playing", -1, {}, none, "a", "e"},
    };
    for (const Case& c : cases) {
        auto list = ListOf({"a", "b", "c", "d", "e"});
        list.SetCurrentPlaying(c.playing);
        for (int i : c.removed) list.SetSelected(i, true);
        list.RemoveItem();
        c.edit(list);
        EXPECT_EQ(list.ListString(list.NextCandidate(1)), c.next) << c.name;
        EXPECT_EQ(list.ListString(list.NextCandidate(-1)), c.previous) << c.name;
    }
    EXPECT_EQ(FlatListModel().NextCandidate(1), -1);
}

TEST(FlatListModel, FieldAccessOutsideTheListIsHarmless) {
    auto list = ListOf({"a"});
    EXPECT_EQ(list.ListPath(5), "");
    EXPECT_EQ(list.ListString(-1), "");
    list.SetListString(3, "x");
    list.SetCurrentPlaying(9);
    EXPECT_EQ(list.CurrentPlaying(), -1);
    EXPECT_EQ(list.IndexOfId(list.Item(0).id), 0);
    EXPECT_EQ(list.IndexOfId(999), -1);
}

}  // namespace
}  // namespace cx
