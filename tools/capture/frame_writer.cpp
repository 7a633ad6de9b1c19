#include "capture/frame_writer.h"

#include <stb/stb_image_write.h>

namespace Capture
{
FrameWriter::FrameWriter(int workers) : m_Limit(static_cast<size_t>(workers) * 2)
{
    for (int i = 0; i < workers; ++i)
        m_Threads.emplace_back([this] { Work(); });
}

FrameWriter::~FrameWriter()
{
    Finish();
}

void FrameWriter::Write(const std::string& path, const std::vector<uint32_t>& argb, unsigned width, unsigned height)
{
    Job job;
    job.path = path;
    job.width = static_cast<int>(width);
    job.height = static_cast<int>(height);
    job.rgb.resize(argb.size() * 3);
    unsigned char* out = job.rgb.data();
    for (uint32_t pixel : argb)
    {
        *out++ = static_cast<unsigned char>(pixel >> 16);
        *out++ = static_cast<unsigned char>(pixel >> 8);
        *out++ = static_cast<unsigned char>(pixel);
    }
    std::unique_lock<std::mutex> lock(m_Mutex);
    m_Space.wait(lock, [this] { return m_Queue.size() < m_Limit; });
    m_Queue.push_back(std::move(job));
    m_Ready.notify_one();
}

std::string FrameWriter::FirstFailure()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Failure;
}

void FrameWriter::Finish()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Closing = true;
    }
    m_Ready.notify_all();
    for (std::thread& thread : m_Threads)
        thread.join();
    m_Threads.clear();
}

void FrameWriter::Work()
{
    while (true)
    {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_Mutex);
            m_Ready.wait(lock, [this] { return m_Closing || !m_Queue.empty(); });
            if (m_Queue.empty())
                return;
            job = std::move(m_Queue.front());
            m_Queue.pop_front();
            m_Space.notify_one();
        }
        bool ok = stbi_write_png(job.path.c_str(), job.width, job.height, 3, job.rgb.data(), job.width * 3) != 0;
        if (!ok)
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            if (m_Failure.empty())
                m_Failure = job.path;
        }
    }
}
} // namespace Capture
