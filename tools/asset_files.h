// What the asset generators share: the data folders, whole text files, a line
// per file written, and the small shading helpers their pictures use.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
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

inline double Clamp01(double v)
{
    return std::min(1.0, std::max(0.0, v));
}

inline double SmoothStep(double edge0, double edge1, double x)
{
    const double t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

inline uint8_t ToByte(double v)
{
    return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0));
}
