// The settings store of the player on this platform: QSettings of organisation
// "Sonoferia", application "Cantabilex" (~/.config/Sonoferia/Cantabilex.conf).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/Registry.h"

class QSettings;

namespace cx {

inline constexpr const char* kOrganisationName = "Sonoferia";
inline constexpr const char* kApplicationName = "Cantabilex";

// The program's settings key maps to the top level of the settings file;
// any other key to a group named after it ("a\b" becomes group "a/b").
class QSettingsStore : public RegistryStore {
public:
    // The current user's settings of the program.
    QSettingsStore();
    // Settings kept in the given INI file instead (tools and tests).
    explicit QSettingsStore(const std::string& iniPath);
    ~QSettingsStore() override;

    QSettingsStore(const QSettingsStore&) = delete;
    QSettingsStore& operator=(const QSettingsStore&) = delete;

    std::string Read(std::string_view key, std::string_view valueName) const override;
    void Write(std::string_view key, std::string_view valueName, std::string_view text) override;

    // Writes pending changes; returns an empty string or why it failed.
    std::string Sync();
    // The file the settings live in.
    std::string FilePath() const;

private:
    void RemoveStaleLocks();
    void RemoveOrphanedSaves();

    std::unique_ptr<QSettings> m_settings;
};

}  // namespace cx
