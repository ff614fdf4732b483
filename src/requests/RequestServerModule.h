// The contract between the player and the HTTP server module. The module sees
// only this header and GuestApi's plain structs, so it needs no symbol of the
// program that opens it: calls reach the GuestApi through `handler`.
#pragma once

#include <functional>
#include <string>

#include "requests/GuestApi.h"

namespace cx {

using GuestHandler = std::function<GuestReply(const GuestCall&)>;

class GuestServerCore {
public:
    virtual ~GuestServerCore() = default;
    virtual std::string Start(const std::string& address, int port, GuestHandler handler) = 0;
    virtual int Port() const = 0;
    virtual void Stop() = 0;
};

// Raised whenever this contract or the structs it carries change, so a stale
// module is refused instead of misread.
inline constexpr int kRequestServerModuleVersion = 1;
inline constexpr const char* kRequestServerModuleName = "cantabilex-requests.so";
inline constexpr const char* kRequestServerFactoryName = "CxMakeGuestServerCore";
using RequestServerFactory = GuestServerCore* (*)(int version);

}  // namespace cx
