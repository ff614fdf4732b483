#include "platform/PrivateTemp.h"

#include <unistd.h>
#include <cstdlib>
#include <system_error>

namespace cx {

PrivateTemp::PrivateTemp() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string tmpl = (base / "cantabilex-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) != nullptr) m_folder = tmpl;  // mkdtemp makes it 0700
}

PrivateTemp::~PrivateTemp() {
    if (m_folder.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
}

}  // namespace cx
