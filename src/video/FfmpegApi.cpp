#include "video/FfmpegApi.h"

#include <dlfcn.h>

#include <mutex>

namespace cx {

namespace {

#define CX_STR2(x) #x
#define CX_STR(x) CX_STR2(x)

enum Lib { Util, Codec, Format, Scale, kLibCount };

// The sonames of the major versions these headers describe, and the Debian
// packages that hold them.
constexpr const char* kSonames[kLibCount] = {
    "libavutil.so." CX_STR(LIBAVUTIL_VERSION_MAJOR),
    "libavcodec.so." CX_STR(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." CX_STR(LIBAVFORMAT_VERSION_MAJOR),
    "libswscale.so." CX_STR(LIBSWSCALE_VERSION_MAJOR),
};
constexpr const char* kPackages[kLibCount] = {
    "libavutil" CX_STR(LIBAVUTIL_VERSION_MAJOR),
    "libavcodec" CX_STR(LIBAVCODEC_VERSION_MAJOR),
    "libavformat" CX_STR(LIBAVFORMAT_VERSION_MAJOR),
    "libswscale" CX_STR(LIBSWSCALE_VERSION_MAJOR),
};

struct Loaded {
    FfmpegApi api;
    std::string error;
};

Loaded Load() {
    Loaded out;
    void* handles[kLibCount] = {};
    for (int i = 0; i < kLibCount; ++i) {
        // Kept open for the life of the process: the functions stay valid.
        handles[i] = dlopen(kSonames[i], RTLD_NOW | RTLD_LOCAL);
        if (!handles[i]) {
            out.error = std::string("video export needs FFmpeg's library ") + kSonames[i] +
                        " (install the package " + kPackages[i] + "): " + dlerror();
            return out;
        }
    }
#define CX_FFMPEG_RESOLVE(lib, name)                                                \
    out.api.name = reinterpret_cast<decltype(&::name)>(dlsym(handles[lib], #name)); \
    if (!out.api.name) {                                                            \
        out.error = std::string("FFmpeg's ") + kSonames[lib] + " lacks " #name;     \
        return out;                                                                 \
    }
    CX_FFMPEG_FUNCTIONS(CX_FFMPEG_RESOLVE)
#undef CX_FFMPEG_RESOLVE
    out.api.av_log_set_level(AV_LOG_ERROR);
    return out;
}

}  // namespace

const FfmpegApi* LoadFfmpeg(std::string& error) {
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = Load(); });
    if (!loaded.error.empty()) {
        error = loaded.error;
        return nullptr;
    }
    return &loaded.api;
}

std::string FfmpegError(const FfmpegApi& av, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av.av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace cx
