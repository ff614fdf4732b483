// One private temporary folder per process (mode 0700), so that fixed file
// names such as "cbx.mid" cannot be pre-created or linked by another user.
// The folder is locked while in use; a new one removes the unlocked folders
// that killed runs of the program left behind.
#pragma once

#include <filesystem>
#include <string>

namespace cx {

class PrivateTemp {
public:
    PrivateTemp();   // creates the folder; on failure Folder() is empty
    ~PrivateTemp();  // removes the folder and everything in it
    PrivateTemp(const PrivateTemp&) = delete;
    PrivateTemp& operator=(const PrivateTemp&) = delete;

    const std::filesystem::path& Folder() const { return m_folder; }
    // A path for a fixed name inside the private folder.
    std::filesystem::path File(const std::string& name) const { return m_folder / name; }

private:
    std::filesystem::path m_folder;
    int m_lockFd = -1;
};

}  // namespace cx
