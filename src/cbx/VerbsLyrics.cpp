#include "cbx/Verbs.h"

namespace cx::cli {

std::vector<Verb> LyricsVerbs() {
    return {};
}

}  // namespace cx::cli
