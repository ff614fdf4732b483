#include "cbx/Verbs.h"

namespace cx::cli {

std::vector<Verb> KaraokeVerbs() {
    return {};
}

}  // namespace cx::cli
