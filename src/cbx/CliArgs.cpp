#include "cbx/CliArgs.h"

#include <charconv>

#include <cstdio>
#include <iostream>

namespace cx::cli {

bool Args::Flag(const std::string& name) {
    for (auto it = m_args.begin(); it != m_args.end(); ++it) {
        if (*it == name) {
            m_args.erase(it);
            return true;
        }
    }
    return false;
}

std::optional<std::string> Args::Option(const std::string& name) {
    for (size_t i = 0; i < m_args.size(); ++i) {
        if (m_args[i] == name) {
            if (i + 1 >= m_args.size()) {
                m_error = name + " needs a value";
                m_args.erase(m_args.begin() + static_cast<long>(i));
                return std::nullopt;
            }
            std::string value = m_args[i + 1];
            m_args.erase(m_args.begin() + static_cast<long>(i),
                         m_args.begin() + static_cast<long>(i) + 2);
            return value;
        }
        if (m_args[i].rfind(name + "=", 0) == 0) {
            std::string value = m_args[i].substr(name.size() + 1);
            m_args.erase(m_args.begin() + static_cast<long>(i));
            return value;
        }
    }
    return std::nullopt;
}

std::vector<std::string> Args::Positionals() const {
    std::vector<std::string> out;
    for (const auto& a : m_args) {
        if (a.size() < 2 || a[0] != '-' || (a.size() > 1 && (a[1] >= '0' && a[1] <= '9')))
            out.push_back(a);
    }
    return out;
}

std::vector<std::string> Args::Unknown() const {
    std::vector<std::string> out;
    for (const auto& a : m_args) {
        if (a.size() >= 2 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) out.push_back(a);
    }
    return out;
}

bool Args::WantsHelp() const {
    for (const auto& a : m_args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

int Fail(const std::string& message, int code) {
    std::cerr << "cbx: " << message << "\n";
    return code;
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

bool ReadCodepageOption(Args& args, CodepageChoice& cp) {
    cp = CodepageChoice(Codepage::Cp1252);
    const auto value = args.Option("--codepage");
    if (!value || *value == "auto") return true;
    int number = 0;
    const auto [end, ec] = std::from_chars(value->data(), value->data() + value->size(), number);
    const auto chosen = CodepageFromNumber(number);
    if (ec != std::errc() || end != value->data() + value->size() || !chosen) return false;
    cp = CodepageChoice::Fixed(*chosen);
    return true;
}

}  // namespace cx::cli
