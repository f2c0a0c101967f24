// A main for the fuzz targets when libFuzzer is not there: runs every file
// named on the command line, and every file in every directory named, once
// through LLVMFuzzerTestOneInput. A failed check aborts the program, so a
// passing run means every input of the corpus passed. No input at all is a
// failure, so that a lost corpus does not pass unnoticed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    std::error_code error;
    if (fs::is_directory(path, error)) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path)) {
            if (entry.is_regular_file()) {
                inputs.push_back(entry.path());
            }
        }
        std::sort(inputs.begin(), inputs.end());
    } else if (fs::is_regular_file(path, error)) {
        inputs.push_back(path);
    } else {
        std::fprintf(stderr, "replay: %s is neither a file nor a directory\n", path.string().c_str());
    }
    return inputs;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::filesystem::path& input : InputsOf(argv[i])) {
            std::ifstream in(input, std::ios::binary);
            const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (!in.eof() && in.fail()) {
                std::fprintf(stderr, "replay: cannot read %s\n", input.string().c_str());
                return 1;
            }
            std::printf("replay: %s (%zu bytes)\n", input.string().c_str(), bytes.size());
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    std::printf("replay: %zu inputs passed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
