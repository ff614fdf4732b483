// Text values by key and value name: the program's settings store. The player
// keeps them in QSettings; tests use the in-memory store.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace cx {

// The key that holds the program's own settings.
inline constexpr std::string_view kSettingsKey = "software\\Sonoferia\\Cantabilex";

// Where text values live. Reads of a missing key or value give empty text;
// write failures are ignored (the caller has nothing better to do).
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    virtual std::string Read(std::string_view key, std::string_view valueName) const = 0;
    virtual void Write(std::string_view key, std::string_view valueName, std::string_view text) = 0;
};

// A store kept in memory, for tests and for tools that must not touch the
// user's settings. Keys are compared without regard to ASCII case, as the
// registry does; value names exactly.
class MemoryRegistryStore : public RegistryStore {
public:
    std::string Read(std::string_view key, std::string_view valueName) const override;
    void Write(std::string_view key, std::string_view valueName, std::string_view text) override;

    // Every value, keyed by (lower-case key, value name).
    const std::map<std::pair<std::string, std::string>, std::string>& Values() const {
        return m_values;
    }
    bool Contains(std::string_view key, std::string_view valueName) const;
    // Number of writes so far (a rewrite of the same value counts again).
    int WriteCount() const { return m_writeCount; }

private:
    std::map<std::pair<std::string, std::string>, std::string> m_values;
    int m_writeCount = 0;
};

// Reads a value of the current user's settings; empty when missing.
std::string ReadRegistryText(const RegistryStore& store, std::string_view key,
                             std::string_view valueName);
// Writes a value of the current user's settings.
void WriteRegistryText(RegistryStore& store, std::string_view key, std::string_view valueName,
                       std::string_view text);

// Text is cut at its first zero character, as a registry string value is.
std::string CutAtZero(std::string_view text);

}  // namespace cx
