// Starting SDL's audio the one way every device of ours needs it.
#pragma once

#include <SDL2/SDL.h>

#include <string>

namespace cx {

// Starts (or counts one more user of) SDL's audio; false with `error` set
// when it cannot. Pair each success with SDL_QuitSubSystem(SDL_INIT_AUDIO).
inline bool StartSdlAudio(std::string& error) {
    // SDL would otherwise take SIGINT and SIGTERM for itself and swallow them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = std::string("cannot start audio: ") + SDL_GetError();
        return false;
    }
    return true;
}

}  // namespace cx
