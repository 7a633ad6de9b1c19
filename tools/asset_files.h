// What the asset generators share: the data folders, whole text files, and a
// line per file written.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

inline void MakeDataFolders()
{
    std::error_code error;
    std::filesystem::create_directories("data/models", error);
    std::filesystem::create_directories("data/textures", error);
}

inline bool WriteText(const std::string& path, const std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

inline bool Report(bool ok, const std::string& path)
{
    if (ok)
        std::printf("wrote %s\n", path.c_str());
    else
        std::fprintf(stderr, "could not write %s\n", path.c_str());
    return ok;
}
