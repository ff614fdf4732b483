// Sound cards the tests control: every card's controls are one map the test
// holds and reads, levels 0..200 and switches 0..1; opening and closing are
// logged as "open N" and "close N".
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "recording/ClsVolume.h"

namespace cx::test {

struct FakeCards {
    std::vector<std::string> names;
    std::map<MixerControl, long> values;
    std::vector<std::string> log;

    MixerBackend Backend();
};

class FakeCard final : public MixerDevice {
public:
    FakeCard(FakeCards& cards, int id) : m_cards(cards), m_id(id) { Log("open "); }
    ~FakeCard() override { Log("close "); }
    bool Has(MixerControl c) const override { return m_cards.values.count(c) > 0; }
    long Min(MixerControl) const override { return 0; }
    long Max(MixerControl c) const override { return IsMuteControl(c) ? 1 : 200; }
    long Get(MixerControl c) const override { return m_cards.values.at(c); }
    void Set(MixerControl c, long v) override { m_cards.values.at(c) = v; }

private:
    void Log(const std::string& what) { m_cards.log.push_back(what + std::to_string(m_id)); }
    FakeCards& m_cards;
    int m_id;
};

inline MixerBackend FakeCards::Backend() {
    MixerBackend b;
    b.names = [this] { return names; };
    b.open = [this](int index, std::string& error) -> std::unique_ptr<MixerDevice> {
        if (index < 0 || index >= static_cast<int>(names.size())) {
            error = "no such card";
            return nullptr;
        }
        return std::make_unique<FakeCard>(*this, index);
    };
    return b;
}

}  // namespace cx::test
