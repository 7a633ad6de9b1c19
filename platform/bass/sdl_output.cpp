#include "output.h"

#include <bass.h>

#include <SDL.h>
#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstring>

namespace bass
{
namespace
{

// ALSA reports a machine without a sound card on stderr; the player prints nothing.
void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Small enough that the clock steps little between callbacks, large enough
// for a loaded machine not to underrun.
const Uint16 kBufferFrames = 1024;
const uint32_t kMixFrames = 256;

} // namespace

struct Output::Device
{
    SDL_AudioDeviceID id = 0;
    SDL_AudioSpec spec{};
    std::vector<std::unique_ptr<Stream>>* streams = nullptr;

    static void SDLCALL Callback(void* user, Uint8* data, int bytes) { static_cast<Device*>(user)->Fill(data, bytes); }

    // Runs on SDL's audio thread with the device lock held: no allocation here.
    void Fill(Uint8* data, int bytes)
    {
        Clock::time_point now = Clock::now();
        auto* out = reinterpret_cast<int16_t*>(data);
        uint32_t frames = static_cast<uint32_t>(bytes) / 4;
        const uint64_t deviceRate = static_cast<uint64_t>(spec.freq);

        for (auto& stream : *streams)
            stream->BeginBuffer(now);

        float mix[kMixFrames * 2];
        for (uint32_t done = 0; done < frames;)
        {
            uint32_t n = std::min(kMixFrames, frames - done);
            std::fill(mix, mix + n * 2, 0.0f);
            for (auto& stream : *streams)
                stream->Mix(mix, n, (uint64_t{stream->Rate()} << 32) / deviceRate);
            for (uint32_t i = 0; i < n * 2; ++i)
            {
                float v = std::clamp(mix[i], -1.0f, 1.0f) * 32767.0f;
                out[done * 2 + i] = static_cast<int16_t>(v);
            }
            done += n;
        }
    }
};

Output::Output() = default;
Output::~Output() = default;

int Output::Open(uint32_t freq, std::vector<std::unique_ptr<Stream>>* streams)
{
    // SDL loads the same libasound at run time, so the handler applies to it.
    snd_lib_error_set_handler(SilentAlsaError);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return BASS_ERROR_DRIVER;

    auto device = std::make_unique<Device>();
    device->streams = streams;
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(freq);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = Device::Callback;
    want.userdata = device.get();
    // The mixer resamples each stream itself, so the device may keep its own rate.
    device->id = SDL_OpenAudioDevice(nullptr, 0, &want, &device->spec, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device->id == 0)
    {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return BASS_ERROR_DEVICE;
    }
    m_Device = std::move(device);
    SDL_PauseAudioDevice(m_Device->id, 0);
    return BASS_OK;
}

void Output::Close()
{
    if (!m_Device)
        return;
    SDL_CloseAudioDevice(m_Device->id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_Device.reset();
}

void Output::Lock()
{
    if (m_Device)
        SDL_LockAudioDevice(m_Device->id);
}

void Output::Unlock()
{
    if (m_Device)
        SDL_UnlockAudioDevice(m_Device->id);
}

} // namespace bass
