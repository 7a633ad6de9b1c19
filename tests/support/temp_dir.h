// A scratch directory that the test runs in; removed with everything in it.
#pragma once

#include <filesystem>
#include <string>

class TempDir
{
public:
    TempDir();
    ~TempDir();

    const std::filesystem::path& Path() const { return m_Path; }

    // Writes a file below the directory, creating its folders.
    void Write(const std::string& relative, const std::string& contents) const;

private:
    std::filesystem::path m_Path;
};

// Makes the directory current for the life of the object.
class ScopedCurrentDir
{
public:
    explicit ScopedCurrentDir(const std::filesystem::path& path);
    ~ScopedCurrentDir();

private:
    std::filesystem::path m_Previous;
};
