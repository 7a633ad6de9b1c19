// Whole-file decoding into 16-bit stereo: streams are decoded once when
// created, so playback and seeking never touch the file again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bass
{

struct Pcm
{
    std::vector<int16_t> samples; // interleaved left, right
    uint32_t rate = 0;
    uint64_t Frames() const { return samples.size() / 2; }
};

// The library's error code for why a decode failed; 0 on success. The path is
// spelled the Windows way ("data\\music.ogg") on every host.
int DecodeFile(const char* path, uint64_t offset, uint64_t length, Pcm& out);
int DecodeMemory(const void* data, uint64_t length, Pcm& out);

} // namespace bass
