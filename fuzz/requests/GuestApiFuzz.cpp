// The guest calls on arbitrary input. The input is a call written as text:
//   METHOD PATH[?k=v&k2=v2]\n
//   header: value\n ... \n
//   \n
//   body
// "@CODE@" anywhere becomes the show's join code, so the fuzzer gets past the
// code check. Whatever comes in, a JSON reply never carries raw markup and no
// reply names a file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "requests/GuestApi.h"
#include "requests/GuestLimits.h"
#include "tests/requests/FakeGuestCatalog.h"

namespace {

std::string_view TakeLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return line;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cx::RequestDesk desk;
    cx::FakeGuestCatalog catalog(50);
    cx::GuestApi api(desk, catalog, {{"en", {{"RequestsJoin", "Join"}}}, {"pl", {}}}, "en");

    std::string input(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = input.find("@CODE@"); at != std::string::npos;
         at = input.find("@CODE@", at))
        input.replace(at, 6, desk.JoinCode());
    std::string_view rest = input;

    cx::GuestCall call;
    const std::string_view first = TakeLine(rest);
    const std::size_t space = first.find(' ');
    call.method = std::string(first.substr(0, space));
    std::string_view target =
        space == std::string_view::npos ? std::string_view() : first.substr(space + 1);
    const std::size_t question = target.find('?');
    call.path = std::string(target.substr(0, question));
    std::string_view query =
        question == std::string_view::npos ? std::string_view() : target.substr(question + 1);
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const std::size_t eq = pair.find('=');
        call.query.emplace(std::string(pair.substr(0, eq)), eq == std::string_view::npos
                                                                ? std::string()
                                                                : std::string(pair.substr(eq + 1)));
    }
    for (std::string_view line = TakeLine(rest); !line.empty(); line = TakeLine(rest)) {
        const std::size_t colon = line.find(':');
        std::string_view value =
            colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        call.headers.emplace(std::string(line.substr(0, colon)), std::string(value));
    }
    call.body = std::string(rest);
    call.peer = "10.0.0.1";

    // The same call twice: the second sees the first's request and rate count.
    for (int round = 0; round < 2; ++round) {
        const cx::GuestReply reply = api.Handle(call);
        Check(reply.status >= 200 && reply.status < 600);
        if (reply.contentType.find("json") != std::string::npos) {
            Check(reply.body.find_first_of("<>") == std::string::npos);
            Check(reply.body.find("/etc") == std::string::npos);
        }
        Check(reply.status != 429 || reply.retryAfterSeconds > 0);
    }
    for (const auto& [request, standing] :
         desk.GuestView(call.headers.count("x-guest") ? call.headers.find("x-guest")->second : ""))
        Check(request.name.size() <= cx::kMaxGuestNameBytes && !request.name.empty());
    return 0;
}
