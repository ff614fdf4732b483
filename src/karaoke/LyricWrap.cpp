#include "karaoke/LyricWrap.h"

#include <QFontMetrics>
#include <algorithm>

#include "karaoke/LyricLayout.h"

namespace cx {

namespace {

bool IsSpace(QChar c) {
    return c.isSpace();
}

// The longest start of text[from, end) that fits, at least one character
// and never half of a surrogate pair.
int FittingPrefix(const QString& text, int from, int end, int maxWidth, const TextWidth& width) {
    int lo = 1, hi = end - from;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (width(text.mid(from, mid)) <= maxWidth) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    if (from + lo < end && text[from + lo].isLowSurrogate()) lo += lo > 1 ? -1 : 1;
    return lo;
}

}  // namespace

int MinReadableFontSize(const KaraokeSettings& s) {
    const int percent = std::clamp(s.LyricsMinFontPercent, 0, 100);
    return std::max(kMinFontSize, s.LyricsFontSize * percent / 100);
}

std::vector<WrapRow> WrapRows(const QString& text, int maxWidth, const TextWidth& width) {
    const int n = static_cast<int>(text.length());
    if (n == 0 || maxWidth < 1 || width(text) <= maxWidth) return {{0, n}};
    std::vector<WrapRow> rows;
    int from = 0;
    while (from < n) {
        if (static_cast<int>(rows.size()) + 1 >= kMaxWrapRows) {
            rows.push_back({from, n - from});
            break;
        }
        // Whole words while they fit.
        int end = from, next = from;
        while (next < n) {
            int wordEnd = next;
            while (wordEnd < n && !IsSpace(text[wordEnd])) ++wordEnd;
            if (width(text.mid(from, wordEnd - from)) > maxWidth) break;
            end = wordEnd;
            next = wordEnd;
            while (next < n && IsSpace(text[next])) ++next;
        }
        if (next >= n) {
            rows.push_back({from, n - from});
            break;
        }
        if (end == from) {
            // A word wider than a row: as much of it as fits.
            int wordEnd = from;
            while (wordEnd < n && !IsSpace(text[wordEnd])) ++wordEnd;
            const int take =
                FittingPrefix(text, from, std::max(wordEnd, from + 1), maxWidth, width);
            rows.push_back({from, take});
            from += take;
            continue;
        }
        rows.push_back({from, end - from});
        from = next;
    }
    return rows;
}

const std::vector<WrapRow>& WrapCache::Rows(const QFont& font, int maxWidth, const QString& text) {
    const QString key = font.key() + QChar(0x1f) + QString::number(maxWidth) + QChar(0x1f) + text;
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->Key == key) {
            std::rotate(it, it + 1, m_entries.end());
            return m_entries.back().Rows;
        }
    }
    const QFontMetrics fm(font);
    auto rows =
        WrapRows(text, maxWidth, [&fm](const QString& t) { return fm.horizontalAdvance(t); });
    if (m_entries.size() >= kEntries) m_entries.erase(m_entries.begin());
    m_entries.push_back({key, std::move(rows)});
    return m_entries.back().Rows;
}

std::vector<BandLine> LayOutSlots(const std::vector<SlotLine>& lines, const SlotGeometry& g,
                                  const WrapLine& wrap) {
    std::vector<std::vector<WrapRow>> rows;
    std::vector<QString> texts;
    bool wrapped = false;
    int current = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        texts.push_back(QString::fromStdString(lines[i].Text));
        rows.push_back(wrap(texts.back()));
        wrapped = wrapped || rows.back().size() > 1;
        if (lines[i].Current && current < 0) current = static_cast<int>(i);
    }
    std::vector<BandLine> out;
    if (!wrapped) {
        for (const auto& l : lines) out.push_back({l.Text, g.Top(l.Slot), l.Current});
        return out;
    }

    const int slotCount = std::max(1, g.Slots);
    const int from = current < 0 ? 0 : std::max(0, lines[static_cast<std::size_t>(current)].Slot);
    std::vector<int> order(lines.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    // The current line first, then the lines in the slots after it.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        auto rank = [&](int i) {
            if (i == current) return -1;
            return (std::max(0, lines[static_cast<std::size_t>(i)].Slot) - from + slotCount) %
                   slotCount;
        };
        return rank(a) < rank(b);
    });

    std::vector<bool> taken(static_cast<std::size_t>(slotCount), false);
    for (const int i : order) {
        const SlotLine& line = lines[static_cast<std::size_t>(i)];
        const auto& r = rows[static_cast<std::size_t>(i)];
        if (line.Text.empty()) continue;
        const int total = static_cast<int>(r.size());
        int slot = std::clamp(line.Slot, 0, slotCount - 1);
        if (total == 1) {
            if (taken[static_cast<std::size_t>(slot)]) continue;
            out.push_back({line.Text, g.Top(line.Slot), line.Current});
            taken[static_cast<std::size_t>(slot)] = true;
            if (line.Slot < 0 && slotCount > 1) taken[1] = true;  // the middle spans two slotCount
            continue;
        }
        int first = 0, count = 0;
        if (i == current) {
            count = std::min(total, slotCount);
            int anchorRow = 0;
            while (anchorRow + 1 < total &&
                   r[static_cast<std::size_t>(anchorRow + 1)].From <= g.Anchor)
                ++anchorRow;
            first = std::min(anchorRow, total - count);
            slot = std::min(slot, slotCount - count);
        } else {
            if (taken[static_cast<std::size_t>(slot)]) continue;
            while (count < total && slot + count < slotCount &&
                   !taken[static_cast<std::size_t>(slot + count)])
                ++count;
        }
        for (int j = 0; j < count; ++j) {
            const WrapRow& row = r[static_cast<std::size_t>(first + j)];
            BandLine b{texts[static_cast<std::size_t>(i)].mid(row.From, row.Length).toStdString(),
                       g.Top(slot + j), line.Current};
            b.From = row.From;
            b.Continued = first + j + 1 < total;
            out.push_back(std::move(b));
            taken[static_cast<std::size_t>(slot + j)] = true;
        }
    }
    return out;
}

}  // namespace cx
