#include "fuzz_scratch.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace Fuzz
{
namespace
{
void RemoveScratch()
{
    std::error_code ignored;
    std::filesystem::remove_all(ScratchDir(), ignored);
}
} // namespace

const std::string& ScratchDir()
{
    // Never destroyed: the exit handler that removes the folder needs the name.
    static const std::string& dir = *new std::string(
        []
        {
            std::string pattern = (std::filesystem::temp_directory_path() / "quorl-fuzz-XXXXXX").string();
            if (!mkdtemp(pattern.data()))
                std::abort();
            std::atexit(RemoveScratch);
            return pattern;
        }());
    return dir;
}

std::string WriteScratch(const std::string& relative, const uint8_t* data, size_t size)
{
    const std::filesystem::path path = std::filesystem::path(ScratchDir()) / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path.string();
}

InScratch::InScratch() : m_Previous(std::filesystem::current_path().string())
{
    std::filesystem::current_path(ScratchDir());
}

InScratch::~InScratch()
{
    std::filesystem::current_path(m_Previous);
}
} // namespace Fuzz
