#include "app/Registry.h"

#include <algorithm>

namespace cx {
namespace {

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return out;
}

}  // namespace

std::string MemoryRegistryStore::Read(std::string_view key, std::string_view valueName) const {
    const auto it = m_values.find({LowerAscii(key), std::string(valueName)});
    return it == m_values.end() ? std::string() : it->second;
}

void MemoryRegistryStore::Write(std::string_view key, std::string_view valueName,
                                std::string_view text) {
    m_values[{LowerAscii(key), std::string(valueName)}] = std::string(text);
    ++m_writeCount;
}

bool MemoryRegistryStore::Contains(std::string_view key, std::string_view valueName) const {
    return m_values.count({LowerAscii(key), std::string(valueName)}) != 0;
}

std::string CutAtZero(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

std::string ReadRegistryText(const RegistryStore& store, std::string_view key,
                             std::string_view valueName) {
    return CutAtZero(store.Read(key, valueName));
}

void WriteRegistryText(RegistryStore& store, std::string_view key, std::string_view valueName,
                       std::string_view text) {
    store.Write(key, valueName, text);
}

}  // namespace cx
