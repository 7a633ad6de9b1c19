#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quorl-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_Path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_Path, ignored);
}

void TempDir::Write(const std::string& relative, const std::string& contents) const
{
    std::filesystem::path file = m_Path / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << contents;
}

ScopedCurrentDir::ScopedCurrentDir(const std::filesystem::path& path) : m_Previous(std::filesystem::current_path())
{
    std::filesystem::current_path(path);
}

ScopedCurrentDir::~ScopedCurrentDir()
{
    std::filesystem::current_path(m_Previous);
}
