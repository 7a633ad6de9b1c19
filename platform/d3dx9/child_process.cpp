#include "d3dx9/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace d3dx9
{
namespace
{
bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size())
    {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
} // namespace

bool RunInChild(const std::function<std::string()>& work, std::string& reply)
{
#if QUORL_NO_CHILD_PROCESS
    // A host without processes (the browser) runs the work here.
    reply = work();
    return true;
#endif
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
    {
        reply = work();
        return true;
    }
    const pid_t child = fork();
    if (child < 0)
    {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        reply = work();
        return true;
    }
    if (child == 0)
    {
        // A crash ends the child quietly, without a core file.
        close(pipeEnds[0]);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
            std::signal(signal, SIG_DFL);
        // The libraries' own complaints (Assimp's failed assertions) stay unseen.
        const int nothing = open("/dev/null", O_WRONLY);
        if (nothing >= 0)
        {
            dup2(nothing, STDOUT_FILENO);
            dup2(nothing, STDERR_FILENO);
            close(nothing);
        }
        const bool sent = WriteAll(pipeEnds[1], work());
        _exit(sent ? 0 : 1);
    }

    close(pipeEnds[1]);
    reply.clear();
    char chunk[4096];
    for (;;)
    {
        const ssize_t n = read(pipeEnds[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reply.append(chunk, static_cast<size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void PutNumber(std::string& out, uint32_t value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutBytes(std::string& out, const void* data, size_t size)
{
    PutNumber(out, static_cast<uint32_t>(size));
    out.append(static_cast<const char*>(data), size);
}

void PutText(std::string& out, const std::string& text)
{
    PutBytes(out, text.data(), text.size());
}

bool ByteReader::Number(uint32_t& value)
{
    if (in.size() - at < sizeof value)
        return false;
    std::memcpy(&value, in.data() + at, sizeof value);
    at += sizeof value;
    return true;
}

bool ByteReader::Bytes(void* data, size_t size)
{
    uint32_t stored;
    if (!Number(stored) || stored != size || in.size() - at < size)
        return false;
    std::memcpy(data, in.data() + at, size);
    at += size;
    return true;
}

bool ByteReader::Text(std::string& text)
{
    uint32_t size;
    if (!Number(size) || in.size() - at < size)
        return false;
    text.assign(in, at, size);
    at += size;
    return true;
}
} // namespace d3dx9
