#include "playlist/FlatListModel.h"

#include <algorithm>
#include <numeric>

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
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const int old = static_cast<int>(i);
        if (m_selected[i]) {
            // The focus lands on the first survivor after a removed focus item.
            if (old == m_listIndex) focus = static_cast<int>(kept.size());
            continue;
        }
        if (old == m_currentPlaying) playing = static_cast<int>(kept.size());
        if (old == m_listIndex) focus = static_cast<int>(kept.size());
        kept.push_back(std::move(m_items[i]));
    }
    m_items = std::move(kept);
    m_selected.assign(m_items.size(), false);
    m_currentPlaying = playing;
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
    m_listIndex = focus;
    Touch();
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
    Touch();
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
