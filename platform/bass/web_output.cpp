// Device -1 in the browser: Web Audio through SDL2's Emscripten back end,
// whose callback runs on the page's thread whenever its script processor
// wants the next buffer. What the callback hands over is heard from the next
// callback on, so each stream hears a buffer one callback after mixing it.
#include "output.h"

#include <bass.h>

#include <SDL.h>

#include <algorithm>

namespace bass
{
namespace
{

// About 46 ms at 44.1 kHz: a page busy drawing for less than that does not
// underrun, and the clock still steps little between callbacks.
const Uint16 kBufferFrames = 2048;
const int kSlots = 2;

static_assert(kSlots <= Stream::kQueueSlots, "the streams keep a record per queued buffer");

} // namespace

struct Output::Device
{
    SDL_AudioDeviceID id = 0;
    SDL_AudioSpec spec{};
    std::vector<std::unique_ptr<Stream>>* streams = nullptr;
    std::vector<float> mix;
    int slot = 0;

    static void SDLCALL Callback(void* user, Uint8* data, int bytes) { static_cast<Device*>(user)->Fill(data, bytes); }

    void Fill(Uint8* data, int bytes)
    {
        const Clock::time_point now = Clock::now();
        const uint32_t frames = std::min(static_cast<uint32_t>(bytes) / 4, static_cast<uint32_t>(mix.size() / 2));
        // The buffer of the previous callback starts playing now.
        const int previous = (slot + kSlots - 1) % kSlots;
        for (auto& stream : *streams)
            stream->StartQueued(now, previous);
        std::fill(mix.begin(), mix.end(), 0.0f);
        for (auto& stream : *streams)
            stream->MixQueued(mix.data(), frames, (uint64_t{stream->Rate()} << 32) / spec.freq, slot);
        auto* out = reinterpret_cast<int16_t*>(data);
        for (uint32_t i = 0; i < frames * 2; ++i)
            out[i] = static_cast<int16_t>(std::clamp(mix[i], -1.0f, 1.0f) * 32767.0f);
        slot = (slot + 1) % kSlots;
    }
};

Output::Output() = default;
Output::~Output() = default;

int Output::Open(uint32_t freq, std::vector<std::unique_ptr<Stream>>* streams)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return BASS_ERROR_DRIVER;

    auto device = std::make_unique<Device>();
    device->streams = streams;
    device->mix.assign(size_t{kBufferFrames} * 2, 0.0f);
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(freq);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = Device::Callback;
    want.userdata = device.get();
    // The page's audio context has a rate of its own; the mixer resamples to it.
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
