// Device -1 on Windows: waveOut through the wave mapper, fed by a mixing
// thread. Several buffers are queued so that a late wake-up does not underrun;
// each stream hears a buffer only when the device starts it.
#include "../output.h"

#include <bass.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace bass
{
namespace
{

const int kSlots = 4;
// About 12 ms a buffer at 44.1 kHz: the clock steps little and four of them
// ride out a busy scheduler.
const uint32_t kSlotFrames = 512;

static_assert(kSlots <= Stream::kQueueSlots, "the streams keep a record per queued buffer");

} // namespace

struct Output::Device
{
    HWAVEOUT wave = nullptr;
    HANDLE done = nullptr; // signalled by the device whenever a buffer is played
    uint32_t rate = 0;
    std::vector<std::unique_ptr<Stream>>* streams = nullptr;

    std::mutex lock;
    std::thread mixer;
    std::atomic<bool> stopping{false};

    WAVEHDR headers[kSlots] = {};
    std::vector<int16_t> pcm;
    std::vector<float> mix;
    int oldest = 0; // the slot the device plays now

    ~Device()
    {
        if (wave)
        {
            waveOutReset(wave);
            for (WAVEHDR& header : headers)
            {
                if (header.dwFlags & WHDR_PREPARED)
                    waveOutUnprepareHeader(wave, &header, sizeof header);
            }
            waveOutClose(wave);
        }
        if (done)
            CloseHandle(done);
    }

    // Mixes every stream into the slot's buffer and hands it to the device.
    void Queue(int slot)
    {
        MixQueuedBuffer(*streams, rate, slot, kSlotFrames, mix.data(),
                        reinterpret_cast<int16_t*>(headers[slot].lpData));
        headers[slot].dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        waveOutWrite(wave, &headers[slot], sizeof headers[slot]);
    }

    void Started(int slot, Clock::time_point now)
    {
        for (auto& stream : *streams)
            stream->StartQueued(now, slot);
    }

    void Run()
    {
        for (;;)
        {
            WaitForSingleObject(done, INFINITE);
            if (stopping)
                return;
            std::lock_guard<std::mutex> guard(lock);
            while (headers[oldest].dwFlags & WHDR_DONE)
            {
                int finished = oldest;
                oldest = (oldest + 1) % kSlots;
                Started(oldest, Clock::now());
                Queue(finished);
            }
        }
    }
};

Output::Output() = default;
Output::~Output() = default;

int Output::Open(uint32_t freq, std::vector<std::unique_ptr<Stream>>* streams)
{
    auto device = std::make_unique<Device>();
    device->rate = freq;
    device->streams = streams;
    device->done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!device->done)
        return BASS_ERROR_MEM;

    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = freq;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = freq * 4;
    if (waveOutOpen(&device->wave, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(device->done), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR)
    {
        device->wave = nullptr;
        return BASS_ERROR_DEVICE;
    }

    device->pcm.assign(kSlots * kSlotFrames * 2, 0);
    device->mix.assign(kSlotFrames * 2, 0.0f);
    for (int slot = 0; slot < kSlots; ++slot)
    {
        WAVEHDR& header = device->headers[slot];
        header.lpData = reinterpret_cast<LPSTR>(device->pcm.data() + slot * kSlotFrames * 2);
        header.dwBufferLength = kSlotFrames * 4;
        if (waveOutPrepareHeader(device->wave, &header, sizeof header) != MMSYSERR_NOERROR)
            return BASS_ERROR_DEVICE;
    }

    {
        std::lock_guard<std::mutex> guard(device->lock);
        for (int slot = 0; slot < kSlots; ++slot)
            device->Queue(slot);
        device->Started(0, Clock::now());
    }
    Device* running = device.get();
    device->mixer = std::thread([running] { running->Run(); });
    m_Device = std::move(device);
    return BASS_OK;
}

void Output::Close()
{
    if (!m_Device)
        return;
    m_Device->stopping = true;
    SetEvent(m_Device->done);
    m_Device->mixer.join();
    m_Device.reset();
}

void Output::Lock()
{
    if (m_Device)
        m_Device->lock.lock();
}

void Output::Unlock()
{
    if (m_Device)
        m_Device->lock.unlock();
}

} // namespace bass
