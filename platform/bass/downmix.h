// Decoded samples of any channel layout to the library's 16-bit stereo.
#pragma once

#include <cstdint>
#include <vector>

namespace bass
{

// Appends `frames` interleaved frames of `channels` floats in [-1, 1] to `out`
// as interleaved 16-bit left and right.
void DownmixToStereo(const float* in, int channels, uint64_t frames, std::vector<int16_t>& out);
// The same into room for 2 * frames samples.
void DownmixToStereo(const float* in, int channels, uint64_t frames, int16_t* out);

} // namespace bass
