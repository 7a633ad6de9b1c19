// Encodes and writes captured frames as PNG files on worker threads: a PNG of
// a large frame costs several times what rendering it does, and frames encode
// independently.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Capture
{
class FrameWriter
{
public:
    explicit FrameWriter(int workers);
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // argb is the back buffer; the file holds its rows as RGB, since its alpha
    // is never shown on screen. Waits while the queue is full, so memory stays
    // bounded.
    void Write(const std::string& path, const std::vector<uint32_t>& argb, unsigned width, unsigned height);

    // The first file that could not be written, or empty.
    std::string FirstFailure();

    // Waits until every queued frame is on disk.
    void Finish();

private:
    struct Job
    {
        std::string path;
        std::vector<unsigned char> rgb;
        int width = 0;
        int height = 0;
    };

    void Work();

    size_t m_Limit;
    std::mutex m_Mutex;
    std::condition_variable m_Ready;
    std::condition_variable m_Space;
    std::deque<Job> m_Queue;
    bool m_Closing = false;
    std::string m_Failure;
    std::vector<std::thread> m_Threads;
};
} // namespace Capture
