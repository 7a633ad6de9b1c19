#include "d3dx9/byte_form.h"

#include <cstring>

namespace d3dx9
{
void PutNumber(std::string& out, uint32_t value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutBytes(std::string& out, const void* data, size_t size)
{
    PutNumber(out, static_cast<uint32_t>(size));
    out.append(static_cast<const char*>(data), size);
}

void PutText(std::string& out, const std::string& text)
{
    PutBytes(out, text.data(), text.size());
}

bool ByteReader::Number(uint32_t& value)
{
    if (in.size() - at < sizeof value)
        return false;
    std::memcpy(&value, in.data() + at, sizeof value);
    at += sizeof value;
    return true;
}

bool ByteReader::Bytes(void* data, size_t size)
{
    uint32_t stored;
    if (!Number(stored) || stored != size || in.size() - at < size)
        return false;
    std::memcpy(data, in.data() + at, size);
    at += size;
    return true;
}

bool ByteReader::Text(std::string& text)
{
    uint32_t size;
    if (!Number(size) || in.size() - at < size)
        return false;
    text.assign(in, at, size);
    at += size;
    return true;
}
} // namespace d3dx9
