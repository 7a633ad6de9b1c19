// Decoding into 16-bit stereo. The length is known when a stream is created;
// a long file goes on decoding on a thread of its own after that, from the
// front, so the stream exists at once and playback never touches the file.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace bass
{

class Pcm
{
public:
    // Every frame decoded already.
    Pcm(uint32_t rate, std::vector<int16_t> samples)
        : m_Rate(rate), m_Samples(std::move(samples)), m_Available(m_Samples.size() / 2)
    {
    }
    // Room for `frames` frames of silence, filled by a decoder that publishes them.
    Pcm(uint32_t rate, uint64_t frames) : m_Rate(rate), m_Samples(static_cast<size_t>(frames * 2)) {}
    // Asks the filler to stop, and waits for it.
    ~Pcm()
    {
        m_Stop.store(true);
        if (m_Filler.joinable())
            m_Filler.join();
    }
    Pcm(const Pcm&) = delete;
    Pcm& operator=(const Pcm&) = delete;

    uint32_t Rate() const { return m_Rate; }
    uint64_t Frames() const { return m_Samples.size() / 2; }
    // Interleaved left and right; frames at and after Available() may still be in the making.
    const int16_t* Samples() const { return m_Samples.data(); }
    uint64_t Available() const { return m_Available.load(std::memory_order_acquire); }

    // The decoder's side: writes frames in order, then publishes how many are done.
    int16_t* Writable() { return m_Samples.data(); }
    void Publish(uint64_t frames) { m_Available.store(frames, std::memory_order_release); }
    // Runs fill on the filler thread; it should return soon once Stopping().
    void FillInBackground(std::function<void()> fill) { m_Filler = std::thread(std::move(fill)); }
    bool Stopping() const { return m_Stop.load(); }

private:
    uint32_t m_Rate;
    std::vector<int16_t> m_Samples;
    std::atomic<uint64_t> m_Available{0};
    std::atomic<bool> m_Stop{false};
    std::thread m_Filler;
};

// The library's error code for why a decode failed; 0 on success. The path is
// spelled the Windows way ("data\\music.ogg") on every host. The memory is
// copied where decoding goes on after the call.
int DecodeFile(const char* path, uint64_t offset, uint64_t length, std::unique_ptr<Pcm>& out);
int DecodeMemory(const void* data, uint64_t length, std::unique_ptr<Pcm>& out);

} // namespace bass
