// Number and size options as the tools read them from their command lines.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

// Decimal digits only, up to 2^32 - 1.
inline bool ParseUnsigned(const std::string& text, uint32_t& value)
{
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed > 0xFFFFFFFFull)
        return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

// "WxH", each side from minimum to 16384.
inline bool ParseSize(const std::string& text, int& width, int& height, uint32_t minimum)
{
    size_t x = text.find('x');
    uint32_t w = 0, h = 0;
    if (x == std::string::npos || !ParseUnsigned(text.substr(0, x), w) || !ParseUnsigned(text.substr(x + 1), h) ||
        w < minimum || h < minimum || w > 16384 || h > 16384)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}
