// Work that a library may crash on, run in a child process: the libraries
// behind D3DX here (glslang, Assimp) crash on some malformed files, where
// D3DX on Windows reports an error.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace d3dx9
{
// Runs work in a forked child and gives back the bytes it returned. False
// when the child crashed or could not send them; when no child can be
// started, work runs in this process.
bool RunInChild(const std::function<std::string()>& work, std::string& reply);

// The byte form that results travel in.
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
