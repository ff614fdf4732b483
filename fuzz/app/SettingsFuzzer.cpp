// Settings values from arbitrary bytes: each line is the text of the next
// registry value in load order. Whatever is stored, loading succeeds, and what
// is saved loads back to the same texts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/Registry.h"
#include "app/ThemeClass.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cx::MemoryRegistryStore store;
    for (const auto name : cx::ThemeLoadOrder()) {
        if (bytes.empty()) break;
        const size_t end = bytes.find('\n');
        store.Write(cx::kSettingsKey, name, bytes.substr(0, end));
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
    }
    cx::ThemeEnvironment env;
    env.screenNames = {"Monitor 1 (primary)", "Monitor 2"};
    env.fontInstalled = [](const std::string& name) { return name.size() % 2 == 0; };
    env.defaultFont = "Sans";
    const cx::ThemeClass first = cx::ThemeClass::Load(store, env);
    cx::MemoryRegistryStore saved;
    first.Save(saved);
    const cx::ThemeClass second = cx::ThemeClass::Load(saved, env);
    if (first.SavedValues() != second.SavedValues()) __builtin_trap();
    return 0;
}
