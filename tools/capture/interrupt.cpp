#include "capture/interrupt.h"

#include <atomic>
#include <csignal>

#include <unistd.h>

namespace Capture
{
namespace
{
volatile std::sig_atomic_t g_Interrupted = 0;
std::atomic<const char*> g_UnfinishedFile{nullptr};

void Interrupt(int signal)
{
    if (!g_Interrupted)
    {
        g_Interrupted = 1;
        return;
    }
    // unlink, signal and raise are safe in a handler; the default action then
    // ends the process as the signal would have.
    if (const char* path = g_UnfinishedFile.load())
        unlink(path);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
} // namespace

void CatchInterrupts()
{
    std::signal(SIGINT, Interrupt);
    std::signal(SIGTERM, Interrupt);
}

bool Interrupted()
{
    return g_Interrupted != 0;
}

UnfinishedFile::UnfinishedFile(const std::string& path) : m_Path(path)
{
    g_UnfinishedFile.store(m_Path.empty() ? nullptr : m_Path.c_str());
}

UnfinishedFile::~UnfinishedFile()
{
    g_UnfinishedFile.store(nullptr);
}
} // namespace Capture
