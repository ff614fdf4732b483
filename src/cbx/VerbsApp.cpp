#include "cbx/Verbs.h"

namespace cx::cli {

std::vector<Verb> AppVerbs() {
    return {};
}

}  // namespace cx::cli
