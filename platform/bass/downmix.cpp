#include "downmix.h"

#include <algorithm>
#include <cmath>

namespace bass
{
namespace
{

int16_t ToInt16(float v)
{
    float scaled = std::nearbyint(v * 32767.0f);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

} // namespace

// Mono is duplicated; beyond two channels the first two are left and right and
// every other channel is shared equally, each side scaled back to unity gain.
void DownmixToStereo(const float* in, int channels, uint64_t frames, std::vector<int16_t>& out)
{
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(frames) * 2);
    DownmixToStereo(in, channels, frames, out.data() + at);
}

void DownmixToStereo(const float* in, int channels, uint64_t frames, int16_t* out)
{
    const float share = 0.70710678f;
    const float sideGain = 1.0f / (1.0f + share * static_cast<float>(std::max(0, channels - 2)));
    for (uint64_t f = 0; f < frames; ++f)
    {
        const float* frame = in + f * static_cast<uint64_t>(channels);
        float left, right;
        if (channels == 1)
        {
            left = right = frame[0];
        }
        else
        {
            left = frame[0];
            right = frame[1];
            for (int c = 2; c < channels; ++c)
            {
                left += share * frame[c];
                right += share * frame[c];
            }
            left *= sideGain;
            right *= sideGain;
        }
        *out++ = ToInt16(left);
        *out++ = ToInt16(right);
    }
}

} // namespace bass
