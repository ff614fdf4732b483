#include "video/SongPictures.h"

#include <cstring>

#include "cdg/CdgRender.h"

namespace cx {

namespace {

// The player's playback tick, which the display's transitions count in.
constexpr std::int64_t kTickMs = 10;

bool SamePixels(const QImage& a, const QImage& b) {
    if (a.cacheKey() == b.cacheKey()) return true;
    if (a.size() != b.size() || a.format() != b.format()) return false;
    return std::memcmp(a.constBits(), b.constBits(), static_cast<std::size_t>(a.sizeInBytes())) ==
           0;
}

class CdgPictures final : public SongPictures {
public:
    CdgPictures(std::unique_ptr<CdgPlayer> player, QSize size, bool smooth)
        : m_player(std::move(player)), m_size(size), m_smooth(smooth) {
        m_player->PlayCDG();
    }

    const QImage* At(double songSeconds, std::int64_t) override {
        // The decoder knows when nothing was drawn; a drawing that changes no
        // pixel (a repeated colour load) is caught on the small screen.
        if (m_player->Tick(songSeconds) == 0 && !m_shown.isNull()) return nullptr;
        QImage screen = RenderCdgScreen(m_player->Screen());
        if (!m_shown.isNull() && SamePixels(screen, m_screen)) return nullptr;
        m_screen = std::move(screen);
        m_shown = ScaleCdgFrame(m_screen, m_size, m_smooth);
        return &m_shown;
    }

private:
    std::unique_ptr<CdgPlayer> m_player;
    QSize m_size;
    bool m_smooth;
    QImage m_screen;
    QImage m_shown;
};

class KaraokePictures final : public SongPictures {
public:
    KaraokePictures(KaraokeSong& song, const KaraokeSettings& settings, QSize size) {
        m_display.SetSettings(settings);
        m_display.SetWindow(size.width(), size.height(), true);
        m_display.SetMediaOpen(true);
        m_display.ChangeLyrics(&song.Model, song.Look);
    }

    const QImage* At(double songSeconds, std::int64_t videoMs) override {
        if (m_first && songSeconds > 0) m_display.GetLastPos(songSeconds, 0);  // from a later start
        // Ticks on the player's 10 ms grid up to this frame, the song's time
        // moving evenly from the last frame's.
        const double lastSong = m_first ? songSeconds : m_lastSong;
        const double span = double(videoMs - m_lastVideoMs);
        for (std::int64_t ms = m_nextTickMs; ms <= videoMs; ms += kTickMs) {
            const double f = span > 0 ? double(ms - m_lastVideoMs) / span : 1.0;
            m_display.IsPlaying(lastSong + (songSeconds - lastSong) * f, ms);
            m_nextTickMs = ms + kTickMs;
        }
        m_first = false;
        m_lastVideoMs = videoMs;
        m_lastSong = songSeconds;
        const QImage& frame = m_display.Frame();
        if (!m_shown.isNull() && SamePixels(frame, m_shown)) return nullptr;
        m_shown = frame;  // shared until the display paints again
        return &m_shown;
    }

private:
    KaraokeDisplay m_display;
    std::int64_t m_nextTickMs = 0;
    std::int64_t m_lastVideoMs = 0;
    double m_lastSong = 0;
    bool m_first = true;
    QImage m_shown;
};

}  // namespace

std::unique_ptr<SongPictures> MakeCdgPictures(std::unique_ptr<CdgPlayer> player, QSize size,
                                              bool smooth) {
    return std::make_unique<CdgPictures>(std::move(player), size, smooth);
}

std::unique_ptr<SongPictures> MakeKaraokePictures(KaraokeSong& song,
                                                  const KaraokeSettings& settings, QSize size) {
    return std::make_unique<KaraokePictures>(song, settings, size);
}

}  // namespace cx
