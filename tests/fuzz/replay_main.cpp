// Runs a fuzz target over saved inputs without libFuzzer, so the seed corpus
// and every input that once crashed run in the ordinary test suite.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    std::set<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i)
    {
        const std::filesystem::path arg = argv[i];
        if (!std::filesystem::exists(arg))
            continue; // a target without regressions yet
        if (std::filesystem::is_directory(arg))
        {
            for (const auto& entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file())
                    inputs.insert(entry.path());
        }
        else
            inputs.insert(arg);
    }
    if (inputs.empty())
    {
        std::fprintf(stderr, "no inputs\n");
        return 1;
    }
    for (const auto& path : inputs)
    {
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::printf("%s\n", path.string().c_str());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs\n", inputs.size());
    return 0;
}
