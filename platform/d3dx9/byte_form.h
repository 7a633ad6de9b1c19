// The byte form that the helper's requests and replies travel in: numbers,
// and byte strings after their length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace d3dx9
{
void PutNumber(std::string& out, uint32_t value);
void PutBytes(std::string& out, const void* data, size_t size);
void PutText(std::string& out, const std::string& text);

struct ByteReader
{
    const std::string& in;
    size_t at = 0;

    bool Number(uint32_t& value);
    bool Bytes(void* data, size_t size);
    bool Text(std::string& text);
    bool AtEnd() const { return at == in.size(); }
};
} // namespace d3dx9
