// The request page's calls, free of any HTTP library: the server turns each
// HTTP request into a GuestCall and sends back the GuestReply. Everything in
// a call is hostile until checked; replies carry no paths.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "requests/GuestCatalog.h"
#include "requests/RequestDesk.h"

namespace cx {

struct GuestCall {
    std::string method;  // "GET", "POST"
    std::string path;    // without the query
    std::multimap<std::string, std::string> query;
    std::multimap<std::string, std::string> headers;  // names lower case
    std::string body;
    std::string peer;  // the client's address, for the rate limit
    std::int64_t nowMs = 0;
};

struct GuestReply {
    int status = 200;
    std::string contentType = "application/json; charset=utf-8";
    std::string body;
    int retryAfterSeconds = 0;  // sent as Retry-After with a 429
};

// The page's texts in one language, by key.
struct GuestTexts {
    std::string language;  // "en", "pl", "fr"
    std::map<std::string, std::string> texts;
};

class GuestApi {
public:
    GuestApi(RequestDesk& desk, GuestCatalog& catalog, std::vector<GuestTexts> languages,
             std::string playerLanguage);
    GuestReply Handle(const GuestCall& call);

private:
    GuestReply Page(const GuestCall& call) const;
    GuestReply Search(const GuestCall& call);
    GuestReply Request(const GuestCall& call, const std::map<std::string, std::string>& body);
    GuestReply Mine(const GuestCall& call);
    bool CodeRight(const GuestCall& call, const std::map<std::string, std::string>* body) const;
    // The guest's token when well formed; empty otherwise.
    std::string Guest(const GuestCall& call, const std::map<std::string, std::string>* body) const;

    RequestDesk& m_desk;
    GuestCatalog& m_catalog;
    std::vector<GuestTexts> m_languages;
    std::string m_playerLanguage;
};

}  // namespace cx
