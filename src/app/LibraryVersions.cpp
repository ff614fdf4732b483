#include "app/LibraryVersions.h"

#include <SDL.h>
#include <fluidsynth.h>
#include <sndfile.h>

#include <QtGlobal>

namespace cx {
namespace {

// The versions the build found; the libraries that can tell their own at
// run time do so below.
#ifndef CX_VER_MPG123
#define CX_VER_MPG123 "?"
#endif
#ifndef CX_VER_SOUNDTOUCH
#define CX_VER_SOUNDTOUCH "?"
#endif
#ifndef CX_VER_RUBBERBAND
#define CX_VER_RUBBERBAND "?"
#endif
#ifndef CX_VER_TAGLIB
#define CX_VER_TAGLIB "?"
#endif

std::string SdlVersion() {
    SDL_version v;
    SDL_GetVersion(&v);
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
}

std::string SndfileVersion() {
    std::string v = sf_version_string();
    const auto dash = v.find('-');
    return dash == std::string::npos ? v : v.substr(dash + 1);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> LibraryVersions(const std::string& soundFont) {
    return {
        {"Qt", qVersion()},
        {"SDL2", SdlVersion()},
        {"FluidSynth", fluid_version_str()},
        {"SoundFont", soundFont.empty() ? std::string("-") : soundFont},
        {"SoundTouch", CX_VER_SOUNDTOUCH},
        {"Rubber Band", CX_VER_RUBBERBAND},
        {"TagLib", CX_VER_TAGLIB},
        {"libsndfile", SndfileVersion()},
        {"mpg123", CX_VER_MPG123},
    };
}

}  // namespace cx
