#include "requests/RequestServer.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "requests/RequestServerModule.h"

namespace cx {

namespace {

// Adapts the module's core to the GuestApi. The module stays loaded for the
// rest of the run: its threads may still be unwinding when Stop returns.
class ModuleRequestServer : public RequestServer {
public:
    explicit ModuleRequestServer(std::unique_ptr<GuestServerCore> core) : m_core(std::move(core)) {}
    ~ModuleRequestServer() override { m_core->Stop(); }

    std::string Start(const std::string& address, int port, GuestApi& api) override {
        return m_core->Start(address, port,
                             [&api](const GuestCall& call) { return api.Handle(call); });
    }
    int Port() const override { return m_core->Port(); }
    void Stop() override { m_core->Stop(); }

private:
    std::unique_ptr<GuestServerCore> m_core;
};

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : exe.parent_path();
}

std::vector<std::filesystem::path> ModuleCandidates() {
    const std::filesystem::path folder = ExecutableFolder();
    std::vector<std::filesystem::path> candidates;
    if (!folder.empty()) {
        candidates.push_back(folder / kRequestServerModuleName);
        candidates.push_back(folder.parent_path() / CX_INSTALL_LIBDIR / "cantabilex" /
                             kRequestServerModuleName);
    }
    candidates.push_back(std::filesystem::path(CX_INSTALL_FULL_LIBDIR) / "cantabilex" /
                         kRequestServerModuleName);
    return candidates;
}

}  // namespace

std::unique_ptr<RequestServer> MakeRequestServerFrom(const std::string& modulePath,
                                                     std::string* why) {
    void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        if (why) *why = "cannot open the request server module: " + std::string(dlerror());
        return nullptr;
    }
    auto factory = reinterpret_cast<RequestServerFactory>(dlsym(module, kRequestServerFactoryName));
    GuestServerCore* core = factory ? factory(kRequestServerModuleVersion) : nullptr;
    if (!core) {
        if (why) *why = "the request server module does not match this program";
        return nullptr;
    }
    return std::make_unique<ModuleRequestServer>(std::unique_ptr<GuestServerCore>(core));
}

std::unique_ptr<RequestServer> MakeRequestServer(std::string* why) {
    for (const auto& candidate : ModuleCandidates()) {
        std::error_code error;
        if (std::filesystem::exists(candidate, error))
            return MakeRequestServerFrom(candidate.string(), why);
    }
    if (why)
        *why = std::string("the request server module ") + kRequestServerModuleName +
               " is not installed";
    return nullptr;
}

}  // namespace cx
