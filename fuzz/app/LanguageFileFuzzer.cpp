// Language text and key from arbitrary bytes: the first byte is the key's
// length, then the key, then the file in code page 1252.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/Translations.h"
#include "platform/Codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.empty()) return 0;
    const size_t keyLength = std::min<size_t>(static_cast<unsigned char>(bytes[0]), size - 1);
    const std::string_view key = bytes.substr(1, keyLength);
    // Copied from one made at start: making one loads the built-in English
    // text, which would cost more than the input under test.
    static const cx::Translator kFresh;
    cx::Translator translator = kFresh;
    translator.LoadText(cx::DecodeCodepage(bytes.substr(1 + keyLength), cx::Codepage::Cp1252));
    const std::string raw = translator.LookupLanguageKey(key);
    const std::string caption = translator.Translate(key);
    // A found key always has a line; a caption never holds the raw "|".
    if (!raw.empty() && !translator.HasKey(key)) __builtin_trap();
    if (caption.find('|') != std::string::npos) __builtin_trap();
    for (const auto& k : cx::LanguageFileKeys(translator.Text())) (void)translator.Translate(k);
    return 0;
}
