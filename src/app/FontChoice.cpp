#include "app/FontChoice.h"

namespace cx {

std::string ChooseFont(const std::vector<std::string>& chain,
                       const std::function<bool(const std::string&)>& installed,
                       const std::string& systemDefault) {
    for (const auto& name : chain) {
        if (installed(name)) return name;
    }
    return systemDefault;
}

}  // namespace cx
