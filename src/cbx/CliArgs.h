// Small argument reader shared by the cbx verbs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Codepage.h"

namespace cx::cli {

// Exit codes every verb uses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the work failed; one line on stderr says why
inline constexpr int kExitUsage = 2;    // the command line was wrong

class Args {
public:
    explicit Args(std::vector<std::string> args) : m_args(std::move(args)) {}

    // "--name" present (and removed).
    bool Flag(const std::string& name);
    // "--name VALUE" (both removed); nullopt when absent. A missing value sets Error().
    std::optional<std::string> Option(const std::string& name);
    // Remaining words that are not options, in order.
    std::vector<std::string> Positionals() const;
    // Options left that no one asked for.
    std::vector<std::string> Unknown() const;
    bool WantsHelp() const;
    const std::string& Error() const { return m_error; }

private:
    std::vector<std::string> m_args;
    std::string m_error;
};

// Help line of --codepage, for the verbs that read 8-bit lyrics text.
inline constexpr const char* kCodepageHelp =
    "  --codepage auto|1250|1252|28592  code page of 8-bit lyrics text and tags\n"
    "                        (default auto: told from the text, 1252 when unsure;\n"
    "                        UTF-8 text is recognised by itself)\n";

// Takes "--codepage auto|1250|1252|28592" (auto when absent); false when the
// value is another.
bool ReadCodepageOption(Args& args, CodepageChoice& cp);

// Prints "cbx: message" on stderr and returns the code.
int Fail(const std::string& message, int code = kExitFailure);

// JSON string literal with escapes.
std::string JsonString(const std::string& utf8);

}  // namespace cx::cli
