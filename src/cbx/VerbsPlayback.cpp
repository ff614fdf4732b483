#include "cbx/Verbs.h"

namespace cx::cli {

std::vector<Verb> PlaybackVerbs() {
    return {};
}

}  // namespace cx::cli
