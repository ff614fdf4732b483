// The HTTP server for the request page, on its own threads. The HTTP library
// lives in a module opened on first use, so a player that never serves the
// page never loads it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "requests/GuestApi.h"

namespace cx {

class RequestServer {
public:
    virtual ~RequestServer() = default;
    // Listens on `address` ("0.0.0.0", "127.0.0.1", ...) and `port` (0: any
    // free port); why not, empty when listening. Calls go to `api`.
    virtual std::string Start(const std::string& address, int port, GuestApi& api) = 0;
    virtual int Port() const = 0;
    // Returns when every connection is closed.
    virtual void Stop() = 0;
};

// Opens the server module; null and `why` when it cannot be found or opened.
std::unique_ptr<RequestServer> MakeRequestServer(std::string* why);
// The same from a given module file (tests and benchmarks of a build tree).
std::unique_ptr<RequestServer> MakeRequestServerFrom(const std::string& modulePath,
                                                     std::string* why);

}  // namespace cx
