# Writes a C++ source holding the language files as byte arrays, so that the
# translations need no files at run time. Run with cmake -P and
# -DOUTPUT=... -DENGLISH=... -DPOLISH=... -DFRENCH=...
function(cx_embed_bytes var file)
    file(READ "${file}" hex HEX)
    string(LENGTH "${hex}" hexLength)
    math(EXPR size "${hexLength} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    set(${var} "constexpr char ${var}Bytes[] = {\n    ${bytes}0};\nconstexpr std::size_t ${var}Size = ${size};\n" PARENT_SCOPE)
endfunction()

cx_embed_bytes(kEnglish "${ENGLISH}")
cx_embed_bytes(kPolish "${POLISH}")
cx_embed_bytes(kFrench "${FRENCH}")

file(WRITE "${OUTPUT}.tmp" "// Generated from resources/lang at build time; do not edit.
#include <cstddef>
#include <string_view>

#include \"app/Translations.h\"

namespace cx {
namespace {
${kEnglish}${kPolish}${kFrench}}  // namespace

std::string_view LanguageResource(int resourceNumber) {
    switch (resourceNumber) {
        case kEnglishLanguageResource:
            return {kEnglishBytes, kEnglishSize};
        case kPolishLanguageResource:
            return {kPolishBytes, kPolishSize};
        case kFrenchLanguageResource:
            return {kFrenchBytes, kFrenchSize};
        default:
            return {};
    }
}

}  // namespace cx
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
