#include "playlist/FlatListModel.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

namespace cx {

std::uint64_t FlatListModel::AddItem(std::string text, std::string time, std::string path) {
    if (m_items.size() >= kMaxPlaylistItems) return 0;
    PlaylistItem item{std::move(text), std::move(time), std::move(path), m_nextId++};
    m_items.push_back(std::move(item));
    m_selected.push_back(false);
    Touch();
    return m_items.back().id;
}

int FlatListModel::RemoveItem() {
    const auto selectedCount =
        static_cast<int>(std::count(m_selected.begin(), m_selected.end(), true));
    if (selectedCount == 0) return 0;
    if (selectedCount == ListCount()) {
        Clear();
        return selectedCount;
    }
    std::vector<PlaylistItem> kept;
    int playing = -1;
    int focus = -1;
    int gap = -1;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const int old = static_cast<int>(i);
        if (old == m_playingGap) gap = static_cast<int>(kept.size());
        if (m_selected[i]) {
            // Next goes on from where the removed playing entry stood.
            if (old == m_currentPlaying) gap = static_cast<int>(kept.size());
            // The focus lands on the first survivor after a removed focus item.
            if (old == m_listIndex) focus = static_cast<int>(kept.size());
            continue;
        }
        if (old == m_currentPlaying) playing = static_cast<int>(kept.size());
        if (old == m_listIndex) focus = static_cast<int>(kept.size());
        kept.push_back(std::move(m_items[i]));
    }
    if (m_playingGap >= ListCount()) gap = static_cast<int>(kept.size());
    m_items = std::move(kept);
    m_selected.assign(m_items.size(), false);
    m_currentPlaying = playing;
    m_playingGap = gap;
    m_listIndex = focus;
    ClampIndexes();
    Touch();
    return selectedCount;
}

void FlatListModel::Clear() {
    m_items.clear();
    m_selected.clear();
    m_listIndex = -1;
    m_topIndex = 0;
    m_currentPlaying = -1;
    m_playingGap = -1;
    Touch();
}

void FlatListModel::SelectAll() {
    m_selected.assign(m_items.size(), true);
    Touch();
}

void FlatListModel::SelectNone() {
    m_selected.assign(m_items.size(), false);
    Touch();
}

void FlatListModel::ReverseSelection() {
    m_selected.flip();
    Touch();
}

bool FlatListModel::Selected(int index) const {
    return Valid(index) && m_selected[static_cast<std::size_t>(index)];
}

void FlatListModel::SetSelected(int index, bool on) {
    if (!Valid(index)) return;
    m_selected[static_cast<std::size_t>(index)] = on;
    Touch();
}

void FlatListModel::SelectOnly(int index) {
    m_selected.assign(m_items.size(), false);
    if (Valid(index)) m_selected[static_cast<std::size_t>(index)] = true;
    SetListIndex(index);
}

int FlatListModel::FirstSelected() const {
    const auto it = std::find(m_selected.begin(), m_selected.end(), true);
    return it == m_selected.end() ? -1 : static_cast<int>(it - m_selected.begin());
}

void FlatListModel::SortFlatList(SortOrder order) {
    std::vector<std::size_t> perm(m_items.size());
    std::iota(perm.begin(), perm.end(), std::size_t{0});
    // Byte order on the UTF-8 text keeps the code-by-code comparison; a stable
    // sort leaves equal texts where they were, as neighbour swapping would.
    std::stable_sort(perm.begin(), perm.end(), [&](std::size_t a, std::size_t b) {
        const auto& ta = m_items[a].ListString;
        const auto& tb = m_items[b].ListString;
        return order == SortOrder::Descending ? tb < ta : ta < tb;
    });
    Reorder(perm);
}

void FlatListModel::SortRandom(std::mt19937& rng) {
    std::vector<std::size_t> perm(m_items.size());
    std::iota(perm.begin(), perm.end(), std::size_t{0});
    std::shuffle(perm.begin(), perm.end(), rng);
    Reorder(perm);
}

void FlatListModel::Reorder(const std::vector<std::size_t>& order) {
    std::vector<PlaylistItem> items;
    std::vector<bool> selected;
    items.reserve(order.size());
    selected.reserve(order.size());
    int playing = -1;
    int focus = -1;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto old = order[k];
        if (static_cast<int>(old) == m_currentPlaying) playing = static_cast<int>(k);
        if (static_cast<int>(old) == m_listIndex) focus = static_cast<int>(k);
        items.push_back(std::move(m_items[old]));
        selected.push_back(m_selected[old]);
    }
    m_items = std::move(items);
    m_selected = std::move(selected);
    m_currentPlaying = playing;
    m_playingGap = -1;  // a place between items means nothing in a new order
    m_listIndex = focus;
    Touch();
}

bool FlatListModel::MoveSelected(int step) {
    if (step == 0 || m_items.empty()) return false;
    std::vector<std::size_t> order(m_items.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Each selected item swaps with an unselected neighbour; a selected block
    // walks as one, and one already at the end holds the block behind it.
    bool moved = false;
    const auto swapIfFree = [&](std::size_t item, std::size_t neighbour) {
        if (m_selected[order[item]] && !m_selected[order[neighbour]]) {
            std::swap(order[item], order[neighbour]);
            moved = true;
        }
    };
    if (step < 0) {
        for (std::size_t i = 1; i < order.size(); ++i) swapIfFree(i, i - 1);
    } else {
        for (std::size_t i = order.size() - 1; i-- > 0;) swapIfFree(i, i + 1);
    }
    if (!moved) return false;
    Reorder(order);
    SetListIndex(m_listIndex);  // the moving focus stays in view
    return true;
}

void FlatListModel::MoveRowsTo(std::vector<int> rows, int before) {
    std::vector<bool> moving(m_items.size(), false);
    for (int r : rows) {
        if (Valid(r)) moving[static_cast<std::size_t>(r)] = true;
    }
    before = std::clamp(before, 0, ListCount());
    std::vector<std::size_t> order;
    order.reserve(m_items.size());
    const auto keep = [&](std::size_t from, std::size_t to, bool which) {
        for (std::size_t i = from; i < to; ++i) {
            if (moving[i] == which) order.push_back(i);
        }
    };
    const auto split = static_cast<std::size_t>(before);
    keep(0, split, false);
    keep(0, m_items.size(), true);
    keep(split, m_items.size(), false);
    std::vector<std::size_t> same(order.size());
    std::iota(same.begin(), same.end(), std::size_t{0});
    if (order != same) Reorder(order);
}

void FlatListModel::MoveSelectedTo(int before) {
    std::vector<int> rows;
    for (std::size_t i = 0; i < m_selected.size(); ++i) {
        if (m_selected[i]) rows.push_back(static_cast<int>(i));
    }
    MoveRowsTo(std::move(rows), before);
}

void FlatListModel::MoveUp() {
    if (m_items.empty()) return;
    SelectOnly(m_listIndex <= 0 ? 0 : m_listIndex - 1);
}

void FlatListModel::MoveDown() {
    if (m_items.empty()) return;
    SelectOnly(std::min(m_listIndex + 1, ListCount() - 1));
}

void FlatListModel::MoveItUp() {
    if (!Valid(m_listIndex) || m_listIndex == 0) return;
    m_selected[static_cast<std::size_t>(m_listIndex)] = false;
    SetListIndex(m_listIndex - 1);
    m_selected[static_cast<std::size_t>(m_listIndex)] = true;
}

void FlatListModel::MoveItDown() {
    if (!Valid(m_listIndex) || m_listIndex + 1 >= ListCount()) return;
    m_selected[static_cast<std::size_t>(m_listIndex)] = false;
    SetListIndex(m_listIndex + 1);
    m_selected[static_cast<std::size_t>(m_listIndex)] = true;
}

void FlatListModel::ScrollUp() {
    SetTopIndex(m_topIndex - 1);
}

void FlatListModel::ScrollDown() {
    SetTopIndex(m_topIndex + 1);
}

void FlatListModel::SetVisibleRows(int rows) {
    m_visibleRows = std::max(1, rows);
    ClampIndexes();
}

int FlatListModel::IndexOfId(std::uint64_t id) const {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

std::string FlatListModel::ListPath(int index) const {
    return Valid(index) ? Item(index).ListPath : std::string();
}

std::string FlatListModel::ListString(int index) const {
    return Valid(index) ? Item(index).ListString : std::string();
}

std::string FlatListModel::ListTime(int index) const {
    return Valid(index) ? Item(index).ListTime : std::string();
}

void FlatListModel::SetListString(int index, std::string text) {
    if (!Valid(index)) return;
    m_items[static_cast<std::size_t>(index)].ListString = std::move(text);
    Touch();
}

void FlatListModel::SetListTime(int index, std::string time) {
    if (!Valid(index)) return;
    m_items[static_cast<std::size_t>(index)].ListTime = std::move(time);
    Touch();
}

void FlatListModel::SetListIndex(int index) {
    m_listIndex = Valid(index) ? index : -1;
    if (m_listIndex >= 0) EnsureVisible(m_listIndex);
    Touch();
}

void FlatListModel::SetTopIndex(int index) {
    m_topIndex = index;
    ClampIndexes();
    Touch();
}

void FlatListModel::SetCurrentPlaying(int index) {
    m_currentPlaying = Valid(index) ? index : -1;
    m_playingGap = -1;
    Touch();
}

int FlatListModel::NextCandidate(int direction) const {
    const int count = ListCount();
    if (count == 0) return -1;
    const int step = direction < 0 ? -1 : 1;
    int base;
    if (Valid(m_currentPlaying)) {
        base = m_currentPlaying + step;
    } else if (m_playingGap >= 0) {
        base = step > 0 ? m_playingGap : m_playingGap - 1;
    } else {
        base = step > 0 ? 0 : count - 1;
    }
    return (base % count + count) % count;
}

void FlatListModel::SetMissing(const std::vector<std::uint64_t>& missingIds) {
    const std::unordered_set<std::uint64_t> missing(missingIds.begin(), missingIds.end());
    bool changed = false;
    for (auto& item : m_items) {
        const bool gone = missing.count(item.id) != 0;
        changed = changed || item.missing != gone;
        item.missing = gone;
    }
    if (changed) Touch();
}

void FlatListModel::ClampIndexes() {
    const int count = ListCount();
    if (m_listIndex >= count) m_listIndex = count - 1;
    if (m_currentPlaying >= count) m_currentPlaying = -1;
    const int maxTop = std::max(0, count - m_visibleRows);
    m_topIndex = std::clamp(m_topIndex, 0, maxTop);
}

void FlatListModel::EnsureVisible(int index) {
    if (index < m_topIndex) m_topIndex = index;
    if (index >= m_topIndex + m_visibleRows) m_topIndex = index - m_visibleRows + 1;
    ClampIndexes();
}

}  // namespace cx
