#include "d3d9/shader_blob.h"

#include <cstring>

namespace d3d9
{
namespace
{
const uint32_t kMagic = 0x44485351; // "QSHD"
const uint32_t kVersion = 1;

class Writer
{
public:
    void U32(uint32_t value) { Bytes(&value, sizeof value); }
    void Text(const std::string& text)
    {
        U32(static_cast<uint32_t>(text.size()));
        Bytes(text.data(), text.size());
    }
    void Bytes(const void* data, size_t size)
    {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        out.insert(out.end(), bytes, bytes + size);
    }
    std::vector<uint8_t> out;
};

class Reader
{
public:
    Reader(const uint8_t* data, size_t size) : m_Data(data), m_Size(size) {}
    bool U32(uint32_t& value) { return Bytes(&value, sizeof value); }
    bool Text(std::string& text)
    {
        uint32_t size;
        if (!U32(size) || size > m_Size - m_Offset)
            return false;
        text.assign(reinterpret_cast<const char*>(m_Data + m_Offset), size);
        m_Offset += size;
        return true;
    }
    bool Bytes(void* out, size_t size)
    {
        if (size > m_Size - m_Offset)
            return false;
        std::memcpy(out, m_Data + m_Offset, size);
        m_Offset += size;
        return true;
    }
    bool AtEnd() const { return m_Offset == m_Size; }

private:
    const uint8_t* m_Data;
    size_t m_Size;
    size_t m_Offset = 0;
};
} // namespace

std::vector<uint8_t> SerializeShaderBlob(const ShaderBlob& blob)
{
    Writer writer;
    writer.U32(kMagic);
    writer.U32(0); // total length, patched below
    writer.U32(kVersion);
    writer.U32(static_cast<uint32_t>(blob.stage));
    writer.Text(blob.profile);
    writer.Text(blob.glsl);
    writer.Text(blob.spriteGlsl);
    writer.U32(blob.registerCount);
    writer.U32(static_cast<uint32_t>(blob.samplers.size()));
    for (uint32_t sampler : blob.samplers)
        writer.U32(sampler);
    writer.U32(static_cast<uint32_t>(blob.inputs.size()));
    for (const ShaderInput& input : blob.inputs)
    {
        writer.U32(input.usage);
        writer.U32(input.usageIndex);
        writer.U32(input.location);
    }
    uint32_t total = static_cast<uint32_t>(writer.out.size());
    std::memcpy(writer.out.data() + 4, &total, sizeof total);
    return writer.out;
}

size_t ShaderBlobLength(const void* data)
{
    if (!data)
        return 0;
    uint32_t header[2];
    std::memcpy(header, data, sizeof header);
    return header[0] == kMagic ? header[1] : 0;
}

bool ParseShaderBlob(const void* data, size_t size, ShaderBlob& blob)
{
    if (!data || size < 12)
        return false;
    Reader reader(static_cast<const uint8_t*>(data), size);
    uint32_t magic, total, version, stage, count;
    if (!reader.U32(magic) || magic != kMagic || !reader.U32(total) || total != size || !reader.U32(version) ||
        version != kVersion || !reader.U32(stage) || stage > 1)
        return false;

    ShaderBlob parsed;
    parsed.stage = static_cast<ShaderStage>(stage);
    if (!reader.Text(parsed.profile) || !reader.Text(parsed.glsl) || !reader.Text(parsed.spriteGlsl) ||
        !reader.U32(parsed.registerCount) || !reader.U32(count) || count > 16)
        return false;
    parsed.samplers.resize(count);
    for (uint32_t& sampler : parsed.samplers)
        if (!reader.U32(sampler))
            return false;
    if (!reader.U32(count) || count > 16)
        return false;
    parsed.inputs.resize(count);
    for (ShaderInput& input : parsed.inputs)
        if (!reader.U32(input.usage) || !reader.U32(input.usageIndex) || !reader.U32(input.location))
            return false;
    if (!reader.AtEnd())
        return false;
    blob = std::move(parsed);
    return true;
}
} // namespace d3d9
