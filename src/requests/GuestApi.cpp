#include "requests/GuestApi.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "requests/GuestLanguage.h"
#include "requests/GuestLimits.h"
#include "requests/GuestPage.h"
#include "requests/GuestText.h"
#include "requests/JoinCode.h"

namespace cx {

namespace {

GuestReply Json(int status, std::string body) {
    GuestReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

// A refusal: a short reason key the page turns into its own text.
GuestReply Refusal(int status, std::string_view reason) {
    return Json(status, "{\"error\":" + JsonString(reason) + "}");
}

GuestReply Resource(std::string_view contentType, std::string body) {
    GuestReply reply;
    reply.contentType = std::string(contentType);
    reply.body = std::move(body);
    return reply;
}

const std::string* First(const std::multimap<std::string, std::string>& values,
                         const std::string& key) {
    const auto found = values.find(key);
    return found == values.end() ? nullptr : &found->second;
}

bool IsGuestToken(std::string_view token) {
    if (token.size() < kMinGuestTokenLength || token.size() > kMaxGuestTokenLength) return false;
    return std::all_of(token.begin(), token.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_';
    });
}

std::string_view StateName(RequestState state) {
    switch (state) {
        case RequestState::Accepted:
            return "accepted";
        case RequestState::Rejected:
            return "rejected";
        case RequestState::Sung:
            return "sung";
        case RequestState::Pending:
            break;
    }
    return "pending";
}

std::string SongFields(const GuestSong& song) {
    return "\"artist\":" + JsonString(song.artist) + ",\"title\":" + JsonString(song.title) +
           ",\"kind\":" + JsonString(song.kind) + ",\"lengthMs\":" + std::to_string(song.lengthMs);
}

std::string SongJson(const GuestSong& song) {
    return "\"id\":" + std::to_string(song.id) + "," + SongFields(song);
}

// The members of a request body, read as JSON or as a form.
std::optional<std::map<std::string, std::string>> BodyMembers(const GuestCall& call) {
    const std::string* type = First(call.headers, "content-type");
    const bool json = type ? type->find("json") != std::string::npos
                           : (!call.body.empty() && call.body.front() == '{');
    return json ? ReadFlatJsonObject(call.body) : ReadFormBody(call.body);
}

}  // namespace

GuestApi::GuestApi(RequestDesk& desk, GuestCatalog& catalog, std::vector<GuestTexts> languages,
                   std::string playerLanguage)
    : m_desk(desk),
      m_catalog(catalog),
      m_languages(std::move(languages)),
      m_playerLanguage(std::move(playerLanguage)) {}

GuestReply GuestApi::Handle(const GuestCall& call) {
    enum class Route { Page, Script, Style, Icon, Check, Search, Request, Mine };
    static const std::pair<std::string_view, std::pair<Route, std::string_view>> kRoutes[] = {
        {"/", {Route::Page, "GET"}},
        {"/app.js", {Route::Script, "GET"}},
        {"/app.css", {Route::Style, "GET"}},
        {"/favicon.ico", {Route::Icon, "GET"}},
        {"/api/check", {Route::Check, "GET"}},
        {"/api/search", {Route::Search, "GET"}},
        {"/api/request", {Route::Request, "POST"}},
        {"/api/mine", {Route::Mine, "GET"}}};
    const auto* route = std::find_if(std::begin(kRoutes), std::end(kRoutes),
                                     [&](const auto& entry) { return entry.first == call.path; });
    if (route == std::end(kRoutes)) return Refusal(404, "notFound");
    if (call.method != route->second.second) return Refusal(405, "method");
    switch (route->second.first) {
        case Route::Page:
            return Page(call);
        case Route::Script:
            return Resource("text/javascript; charset=utf-8", std::string(GuestPageScript()));
        case Route::Style:
            return Resource("text/css; charset=utf-8", std::string(GuestPageStyle()));
        case Route::Icon: {  // browsers ask for one; there is none
            GuestReply none = Resource("image/x-icon", {});
            none.status = 204;
            return none;
        }
        default:
            break;
    }
    if (call.body.size() > kMaxGuestBodyBytes) return Refusal(413, "tooLarge");
    if (const int wait = m_desk.CountCall(call.peer, call.nowMs); wait > 0) {
        GuestReply reply =
            Json(429, "{\"error\":\"tooMany\",\"retryAfterSeconds\":" + std::to_string(wait) + "}");
        reply.retryAfterSeconds = wait;
        return reply;
    }
    std::optional<std::map<std::string, std::string>> body;
    if (route->second.first == Route::Request) {
        body = BodyMembers(call);
        if (!body) return Refusal(400, "body");
    }
    if (!CodeRight(call, body ? &*body : nullptr)) return Refusal(403, "badCode");
    switch (route->second.first) {
        case Route::Search:
            return Search(call);
        case Route::Request:
            return Request(call, *body);
        case Route::Mine:
            return Mine(call);
        default:
            return Json(200, "{\"ok\":true}");
    }
}

bool GuestApi::CodeRight(const GuestCall& call,
                         const std::map<std::string, std::string>* body) const {
    const std::string* code = First(call.headers, "x-join-code");
    if (!code) code = First(call.query, "code");
    if (!code && body) {
        const auto found = body->find("code");
        if (found != body->end()) code = &found->second;
    }
    return code && m_desk.CodeMatches(NormalizeJoinCode(*code));
}

std::string GuestApi::Guest(const GuestCall& call,
                            const std::map<std::string, std::string>* body) const {
    const std::string* guest = First(call.headers, "x-guest");
    if (!guest) guest = First(call.query, "guest");
    if (!guest && body) {
        const auto found = body->find("guest");
        if (found != body->end()) guest = &found->second;
    }
    return guest && IsGuestToken(*guest) ? *guest : std::string();
}

GuestReply GuestApi::Page(const GuestCall& call) const {
    std::vector<std::string> available;
    for (const GuestTexts& texts : m_languages) available.push_back(texts.language);
    const std::string* requested = First(call.query, "lang");
    const std::string* accept = First(call.headers, "accept-language");
    const std::string language =
        ChooseGuestLanguage(requested ? *requested : std::string_view(),
                            accept ? *accept : std::string_view(), available, m_playerLanguage);
    GuestTexts chosen{language, {}};
    for (const GuestTexts& texts : m_languages)
        if (texts.language == language) chosen = texts;
    return Resource("text/html; charset=utf-8", GuestPageHtml(chosen));
}

GuestReply GuestApi::Search(const GuestCall& call) {
    const std::string* q = First(call.query, "q");
    const std::string_view raw = q ? std::string_view(*q) : std::string_view();
    if (raw.size() > kMaxGuestSearchBytes) return Refusal(400, "search");
    const auto text = CleanGuestText(raw, kMaxGuestSearchBytes);
    if (!text) return Refusal(400, "text");
    std::vector<GuestSong> songs;
    if (!text->empty()) songs = m_catalog.Search(*text, kMaxGuestResults);
    if (songs.size() > kMaxGuestResults) songs.resize(kMaxGuestResults);
    std::string json = "{\"songs\":[";
    for (std::size_t i = 0; i < songs.size(); ++i)
        json += (i ? ",{" : "{") + SongJson(songs[i]) + "}";
    return Json(200, json + "]}");
}

GuestReply GuestApi::Request(const GuestCall& call,
                             const std::map<std::string, std::string>& body) {
    const auto member = [&](const char* key) {
        const auto found = body.find(key);
        return found == body.end() ? std::string_view() : std::string_view(found->second);
    };
    SongRequest request;
    request.guest = Guest(call, &body);
    if (request.guest.empty()) return Refusal(400, "guest");
    const auto name = CleanGuestText(member("name"), kMaxGuestNameBytes);
    if (!name) return Refusal(400, "text");
    if (name->empty()) return Refusal(400, "name");
    const auto songId = ReadInteger(member("song"), 1, INT64_MAX);
    if (!songId) return Refusal(400, "song");
    const std::string_view key = member("key");
    const auto keyShift = key.empty() ? std::optional<std::int64_t>(0)
                                      : ReadInteger(key, -kMaxGuestKeyShift, kMaxGuestKeyShift);
    if (!keyShift) return Refusal(400, "key");
    auto song = m_catalog.Song(*songId);
    if (!song) return Refusal(404, "song");
    request.name = *name;
    request.song = std::move(*song);
    request.keyShift = static_cast<int>(*keyShift);
    request.peer = call.peer;
    request.receivedMs = call.nowMs;
    std::int64_t id = 0;
    switch (m_desk.AddRequest(std::move(request), &id)) {
        case GuestRefusal::None:
            return Json(200, "{\"id\":" + std::to_string(id) + ",\"state\":\"pending\"}");
        case GuestRefusal::TooMany:
            return Refusal(409, "pendingFull");
        case GuestRefusal::Busy:
            return Refusal(503, "busy");
        default:
            return Refusal(400, "request");
    }
}

GuestReply GuestApi::Mine(const GuestCall& call) {
    const std::string guest = Guest(call, nullptr);
    if (guest.empty()) return Refusal(400, "guest");
    std::string json = "{\"requests\":[";
    bool first = true;
    for (const auto& [request, standing] : m_desk.GuestView(guest)) {
        json += first ? "{" : ",{";
        first = false;
        json += "\"id\":" + std::to_string(request.id) +
                ",\"songId\":" + std::to_string(request.song.id) + "," + SongFields(request.song);
        json += ",\"name\":" + JsonString(request.name) +
                ",\"keyShift\":" + std::to_string(request.keyShift) +
                ",\"state\":" + JsonString(StateName(request.state)) +
                ",\"place\":" + std::to_string(standing.position) + ",\"waitSeconds\":" +
                std::to_string(standing.waitMs < 0 ? -1 : (standing.waitMs + 999) / 1000) + "}";
    }
    return Json(200, json + "]}");
}

}  // namespace cx
