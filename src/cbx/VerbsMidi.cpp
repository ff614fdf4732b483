#include "cbx/Verbs.h"

namespace cx::cli {

std::vector<Verb> MidiVerbs() { return {}; }

}  // namespace cx::cli
