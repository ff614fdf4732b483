#include "recording/ClsVolume.h"

#include <algorithm>
#include <cmath>

namespace cx {

MixerBackend AlsaMixerBackend() {
    return {&AlsaMixerNames, &OpenAlsaMixer};
}

ClsVolume::ClsVolume(MixerBackend backend) : m_backend(std::move(backend)) {}

void ClsVolume::EnumMixer() {
    m_names = m_backend.names ? m_backend.names() : std::vector<std::string>{};
}

bool ClsVolume::SetMixerSelect(int index) {
    // Two mixers are never open together.
    m_device.reset();
    m_select = -1;
    m_name.clear();
    if (!m_backend.open) {
        m_state = "no mixer";
        return false;
    }
    std::string error;
    m_device = m_backend.open(index, error);
    if (!m_device) {
        m_state = error.empty() ? "the mixer cannot be opened" : error;
        return false;
    }
    m_state.clear();
    m_select = index;
    if (index >= 0 && static_cast<std::size_t>(index) < m_names.size())
        m_name = m_names[static_cast<std::size_t>(index)];
    return true;
}

int ClsVolume::Percent(MixerControl c) const {
    const long lo = Min(c), hi = Max(c);
    if (hi <= lo) return 0;
    return static_cast<int>(
        std::lround(100.0 * static_cast<double>(Level(c) - lo) / static_cast<double>(hi - lo)));
}

void ClsVolume::SetPercent(MixerControl c, int percent) {
    const long lo = Min(c), hi = Max(c);
    if (hi <= lo) return;
    const double p = std::clamp(percent, 0, 100) / 100.0;
    SetLevel(c, lo + std::lround(p * static_cast<double>(hi - lo)));
}

}  // namespace cx
