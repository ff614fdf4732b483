#include "cbx/Verbs.h"

namespace cx::cli {

std::vector<Verb> PlaylistVerbs() {
    return {};
}

}  // namespace cx::cli
