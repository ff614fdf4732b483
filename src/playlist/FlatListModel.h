// The playlist as data: ordered songs with a multiple selection, a focus item,
// a marked playing item and the first visible row. The list control draws it;
// the player walks it for next and previous.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace cx {

// More songs than this are refused, so a hostile playlist cannot exhaust memory.
inline constexpr std::size_t kMaxPlaylistItems = 200000;

struct PlaylistItem {
    std::string ListString;  // display text, normally "artist - title"
    std::string ListTime;    // "mm:ss" or empty
    std::string ListPath;    // full path of the media file
    std::uint64_t id = 0;    // stable identity, so late tag reads find their item after a sort
    bool missing = false;    // the file was not found when last looked for
};

enum class SortOrder { Ascending, Descending };

class FlatListModel {
public:
    // Appends an item and returns its id (0 when the list is full).
    std::uint64_t AddItem(std::string text, std::string time, std::string path);
    // Removes every selected item (everything when all are selected) and
    // returns how many went.
    int RemoveItem();
    void Clear();

    void SelectAll();
    void SelectNone();
    void ReverseSelection();
    bool Selected(int index) const;
    void SetSelected(int index, bool on);
    // Selects exactly one item and gives it the focus.
    void SelectOnly(int index);
    // First selected index, or -1.
    int FirstSelected() const;

    // Stable sort by display text, byte by byte (capitals before small letters).
    void SortFlatList(SortOrder order);
    // Random order; the playing mark, focus and selection follow their items.
    void SortRandom(std::mt19937& rng);

    // Focus one item up or down; the selection mark moves with it.
    void MoveUp();
    void MoveDown();
    // Moves the selection mark of the focus item to its neighbour.
    void MoveItUp();
    void MoveItDown();

    // Moves the selected items one place up (step < 0) or down, keeping their
    // order; items already at that end stay. False when nothing moved.
    bool MoveSelected(int step);
    // Moves the items at `rows` (any order) so they stand together, in list
    // order, before the item now at `before` (ListCount(): at the end).
    void MoveRowsTo(std::vector<int> rows, int before);
    // The selected items moved to `before`, as a drag within the list does.
    void MoveSelectedTo(int before);

    void ScrollUp();
    void ScrollDown();
    // Rows the control can show; keeps the focus row visible when it moves.
    void SetVisibleRows(int rows);
    int VisibleRows() const { return m_visibleRows; }

    int ListCount() const { return static_cast<int>(m_items.size()); }
    bool Valid(int index) const { return index >= 0 && index < ListCount(); }
    const PlaylistItem& Item(int index) const {
        return m_items.at(static_cast<std::size_t>(index));
    }
    const std::vector<PlaylistItem>& Items() const { return m_items; }
    // Index of the item with this id, or -1.
    int IndexOfId(std::uint64_t id) const;

    std::string ListPath(int index) const;
    std::string ListString(int index) const;
    std::string ListTime(int index) const;
    void SetListString(int index, std::string text);
    void SetListTime(int index, std::string time);

    int ListIndex() const { return m_listIndex; }
    void SetListIndex(int index);
    int TopIndex() const { return m_topIndex; }
    void SetTopIndex(int index);
    int CurrentPlaying() const { return m_currentPlaying; }
    void SetCurrentPlaying(int index);
    // The entry Next (direction > 0) or Previous starts from: the neighbour of
    // the playing entry wherever it now stands; after the playing entry was
    // removed, the one that followed it (or preceded it); with none, the first
    // (or the last). -1 for an empty list.
    int NextCandidate(int direction) const;

    // Marks the items with these ids as missing and every other one as found.
    void SetMissing(const std::vector<std::uint64_t>& missingIds);

    // Bumped on every change, so views know when to repaint.
    std::uint64_t Revision() const { return m_revision; }
    // Called after every change (one listener: the view that draws the list).
    void SetChangeListener(std::function<void()> listener) { m_listener = std::move(listener); }

private:
    void Reorder(const std::vector<std::size_t>& order);
    void ClampIndexes();
    void EnsureVisible(int index);
    void Touch() {
        ++m_revision;
        if (m_listener) m_listener();
    }

    std::vector<PlaylistItem> m_items;
    std::vector<bool> m_selected;
    int m_listIndex = -1;
    int m_topIndex = 0;
    int m_currentPlaying = -1;
    // Where the removed playing entry stood (the count of entries before it),
    // so Next goes on from there; -1 otherwise.
    int m_playingGap = -1;
    int m_visibleRows = 1;
    std::uint64_t m_nextId = 1;
    std::uint64_t m_revision = 0;
    std::function<void()> m_listener;
};

}  // namespace cx
