# Every project target links cx_options: warnings, sanitizers, include root.
add_library(cx_options INTERFACE)
target_compile_options(cx_options INTERFACE -Wall -Wextra)
if(CX_WERROR)
    target_compile_options(cx_options INTERFACE -Werror)
endif()
target_include_directories(cx_options INTERFACE ${CMAKE_SOURCE_DIR}/src)
if(CX_SANITIZE)
    target_compile_options(cx_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(cx_options INTERFACE -fsanitize=address,undefined)
endif()
if(CX_TSAN)
    target_compile_options(cx_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(cx_options INTERFACE -fsanitize=thread)
endif()
# Long fuzzing runs trade AddressSanitizer for about three times the inputs;
# their corpus is then replayed through the sanitized test build.
set(CX_FUZZ_SANITIZERS "address,undefined" CACHE STRING "Sanitizers beside libFuzzer")
if(CX_FUZZ)
    target_compile_options(cx_options INTERFACE
        -fsanitize=fuzzer-no-link,${CX_FUZZ_SANITIZERS} -fno-sanitize-recover=undefined)
    target_link_options(cx_options INTERFACE -fsanitize=${CX_FUZZ_SANITIZERS})
endif()
