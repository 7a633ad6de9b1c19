// Device -1 in the browser: Web Audio through the OpenAL that emscripten
// builds in, which plays queued buffers as scheduled audio sources. A timer
// of the page refills the queue as buffers finish; each stream hears a buffer
// from the moment the source reaches it, which OpenAL's offset tells.
#include "output.h"

#include <bass.h>

#include <AL/al.h>
#include <AL/alc.h>
#include <emscripten/eventloop.h>

#include <deque>

namespace bass
{
namespace
{

// About 46 ms a buffer at 44.1 kHz; eight of them ride out a page that is
// busy drawing for a third of a second.
const int kSlots = 8;
const ALsizei kSlotFrames = 2048;
const double kPumpMilliseconds = 20.0;

static_assert(kSlots <= Stream::kQueueSlots, "the streams keep a record per queued buffer");

} // namespace

struct Output::Device
{
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    ALuint source = 0;
    ALuint buffers[kSlots] = {};
    uint32_t rate = 0;
    long timer = 0;
    std::vector<std::unique_ptr<Stream>>* streams = nullptr;
    std::vector<float> mix = std::vector<float>(size_t{kSlotFrames} * 2);
    std::vector<int16_t> pcm = std::vector<int16_t>(size_t{kSlotFrames} * 2);
    std::deque<int> queued; // slots in the order the source plays them

    ~Device()
    {
        if (timer)
            emscripten_clear_interval(timer);
        if (source)
        {
            alSourceStop(source);
            alDeleteSources(1, &source);
            alDeleteBuffers(kSlots, buffers);
        }
        alcMakeContextCurrent(nullptr);
        if (context)
            alcDestroyContext(context);
        if (device)
            alcCloseDevice(device);
    }

    // Mixes every stream into the slot's buffer and queues it behind the others.
    void Queue(int slot)
    {
        MixQueuedBuffer(*streams, rate, slot, kSlotFrames, mix.data(), pcm.data());
        alBufferData(buffers[slot], AL_FORMAT_STEREO16, pcm.data(), static_cast<ALsizei>(pcm.size() * 2),
                     static_cast<ALsizei>(rate));
        alSourceQueueBuffers(source, 1, &buffers[slot]);
        queued.push_back(slot);
    }

    void Pump()
    {
        ALint processed = 0;
        alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
        for (; processed > 0 && !queued.empty(); --processed)
        {
            ALuint finished = 0;
            alSourceUnqueueBuffers(source, 1, &finished);
            const int slot = queued.front();
            queued.pop_front();
            Queue(slot);
        }
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        // A page that could not refill in time ran the queue dry: go on from here.
        if (state != AL_PLAYING)
            alSourcePlay(source);
        // The front buffer is being heard, for as long as the source's offset into it.
        ALfloat seconds = 0.0f;
        alGetSourcef(source, AL_SEC_OFFSET, &seconds);
        const Clock::time_point started =
            Clock::now() - std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
        for (auto& stream : *streams)
            stream->StartQueued(started, queued.front());
    }

    static void OnTimer(void* device) { static_cast<Device*>(device)->Pump(); }
};

Output::Output() = default;
Output::~Output() = default;

int Output::Open(uint32_t freq, std::vector<std::unique_ptr<Stream>>* streams)
{
    auto device = std::make_unique<Device>();
    device->rate = freq;
    device->streams = streams;
    device->device = alcOpenDevice(nullptr);
    if (!device->device)
        return BASS_ERROR_DEVICE;
    device->context = alcCreateContext(device->device, nullptr);
    if (!device->context || !alcMakeContextCurrent(device->context))
        return BASS_ERROR_DRIVER;
    alGenSources(1, &device->source);
    alGenBuffers(kSlots, device->buffers);
    if (alGetError() != AL_NO_ERROR)
        return BASS_ERROR_DRIVER;
    for (int slot = 0; slot < kSlots; ++slot)
        device->Queue(slot);
    alSourcePlay(device->source);
    device->timer = emscripten_set_interval(&Device::OnTimer, kPumpMilliseconds, device.get());
    m_Device = std::move(device);
    return BASS_OK;
}

void Output::Close()
{
    m_Device.reset();
}

// The timer runs between the page's other work, never inside an API call.
void Output::Lock() {}

void Output::Unlock() {}

} // namespace bass
