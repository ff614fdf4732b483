// Runs a fuzz target over saved inputs (files or folders) without libFuzzer,
// plus a fixed set of generated edge inputs, so test builds keep every found
// crash fixed.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunOne(const std::string& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void RunFile(const std::filesystem::path& p, int& count) {
    std::ifstream in(p, std::ios::binary);
    RunOne(std::string(std::istreambuf_iterator<char>(in), {}));
    ++count;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 0;
    RunOne("");
    RunOne(std::string(1, '\0'));
    RunOne(std::string(4096, '\xFF'));
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path p = argv[i];
        std::error_code ec;
        if (std::filesystem::is_directory(p, ec)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(p, ec)) {
                if (e.is_regular_file()) RunFile(e.path(), count);
            }
        } else if (std::filesystem::is_regular_file(p, ec)) {
            RunFile(p, count);
        }
    }
    std::cout << "replayed " << count << " saved inputs\n";
    return 0;
}
