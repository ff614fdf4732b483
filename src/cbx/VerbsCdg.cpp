#include "cbx/Verbs.h"

namespace cx::cli {

std::vector<Verb> CdgVerbs() {
    return {};
}

}  // namespace cx::cli
