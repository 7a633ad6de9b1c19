#include "d3dx9/helper.h"

#include "d3dx9/hlsl_compiler.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

// The sanitizers' runtime has it, where one is linked in.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace d3dx9
{
namespace
{
// What travels on the socket: each message is its tag, its length, its bytes.
enum class Tag : uint32_t
{
    Job = 1, // to the helper: the work's address, then the request
    Ask,     // from the helper: a question
    Answer,  // to the helper: 1 or 0 (answered or not), then the answer
    Reply,   // from the helper: the work's reply
};

struct Header
{
    Tag tag;
    uint32_t size;
};

// Repeats a read or write that may move part of the bytes until all of them
// have gone through; false at an error or the socket's end of file.
template <class Transfer>
bool Whole(size_t size, Transfer transfer)
{
    size_t done = 0;
    while (done < size)
    {
        const ssize_t n = transfer(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    // A helper that has gone must not end this process with SIGPIPE.
    return Whole(size, [&](size_t done) { return send(fd, data + done, size - done, MSG_NOSIGNAL); });
}

bool ReadAll(int fd, char* data, size_t size)
{
    return Whole(size, [&](size_t done) { return read(fd, data + done, size - done); });
}

bool Send(int fd, Tag tag, const std::string& body)
{
    if (body.size() > UINT32_MAX)
        return false;
    const Header header{tag, static_cast<uint32_t>(body.size())};
    return WriteAll(fd, reinterpret_cast<const char*>(&header), sizeof header) &&
           WriteAll(fd, body.data(), body.size());
}

bool Receive(int fd, Tag& tag, std::string& body)
{
    Header header;
    if (!ReadAll(fd, reinterpret_cast<char*>(&header), sizeof header))
        return false;
    tag = header.tag;
    body.resize(header.size);
    return ReadAll(fd, body.data(), body.size());
}

// The helper's side: jobs one after the other until the process that started
// it is gone (the socket's end of file, also when that process was killed).
[[noreturn]] void Serve(int fd, bool warmUp)
{
    // The standard streams are about to be replaced: the socket must not be one.
    if (fd <= STDERR_FILENO)
        fd = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    // Nothing inherited stays open but the socket.
    if (fd > 3)
        close_range(3, static_cast<unsigned>(fd) - 1, 0);
    close_range(static_cast<unsigned>(fd) + 1, UINT_MAX, 0);
    // The libraries' own complaints (Assimp's failed assertions) stay unseen.
    const int nothing = open("/dev/null", O_RDWR);
    if (nothing >= 0)
    {
        for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            dup2(nothing, stream);
        if (nothing > STDERR_FILENO && nothing != fd)
            close(nothing);
    }
    // A crash ends the helper quietly, without a core file.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
        std::signal(signal, SIG_DFL);
    // Under libFuzzer a sanitizer's report would end in the fuzzer's handler,
    // which saves as the crash the input it had when the helper was forked.
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(nullptr);

    // Started early, it does this while the caller is busy elsewhere.
    if (warmUp)
        WarmUpHlsl();

    Tag tag;
    std::string body;
    const Ask ask = [fd](const std::string& question, std::string& answer)
    {
        Tag answerTag;
        std::string answerBody;
        if (!Send(fd, Tag::Ask, question) || !Receive(fd, answerTag, answerBody) || answerTag != Tag::Answer ||
            answerBody.empty())
            _exit(0);
        answer.assign(answerBody, 1);
        return answerBody[0] != 0;
    };
    while (Receive(fd, tag, body))
    {
        Work work;
        if (tag != Tag::Job || body.size() < sizeof work)
            break;
        std::memcpy(&work, body.data(), sizeof work);
        if (!Send(fd, Tag::Reply, work(body.substr(sizeof work), ask)))
            break;
    }
    _exit(0);
}

// A long run (fuzzing) gets a fresh helper now and then, so that what the
// libraries leak or leave behind on bad input does not pile up.
const int kJobsPerHelper = 1000;

struct Helper
{
    pid_t pid = -1;
    int fd = -1;
    pid_t owner = -1; // the process that started it
    int jobs = 0;
};

std::mutex g_Lock;
Helper g_Helper;

bool Start(Helper& helper, bool warmUp)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0)
    {
        close(ends[0]);
        Serve(ends[1], warmUp);
    }
    close(ends[1]);
    if (pid < 0)
    {
        close(ends[0]);
        return false;
    }
    helper = {pid, ends[0], getpid(), 0};
    return true;
}

void Stop(Helper& helper)
{
    close(helper.fd);
    kill(helper.pid, SIGKILL);
    while (waitpid(helper.pid, nullptr, 0) < 0 && errno == EINTR)
    {
    }
    helper = Helper();
}

// A helper that can take a job: one of this process's own, still running.
bool Ready(Helper& helper, bool warmUp)
{
    if (helper.fd >= 0 && helper.owner != getpid())
    {
        // This process is a fork of the one that started it: that one's helper stays its own.
        close(helper.fd);
        helper = Helper();
    }
    // One that has served its share is replaced; one that ended between calls
    // was killed, and no job of ours failed.
    if (helper.fd >= 0 && (helper.jobs >= kJobsPerHelper || waitpid(helper.pid, nullptr, WNOHANG) != 0))
        Stop(helper);
    return helper.fd >= 0 || Start(helper, warmUp);
}
} // namespace

void StartHelper()
{
    std::lock_guard<std::mutex> lock(g_Lock);
    Ready(g_Helper, true);
}

bool RunInHelper(Work work, const std::string& request, std::string& reply, const Ask& answer)
{
    std::lock_guard<std::mutex> lock(g_Lock);
    Helper& helper = g_Helper;
    if (!Ready(helper, false))
    {
        reply = RunHere(work, request, answer);
        return true;
    }
    ++helper.jobs;
    std::string job(reinterpret_cast<const char*>(&work), sizeof work);
    job += request;
    Tag tag = Tag::Reply;
    std::string body;
    bool alive = Send(helper.fd, Tag::Job, job);
    while (alive && (alive = Receive(helper.fd, tag, body)) && tag == Tag::Ask)
    {
        std::string given;
        const bool known = answer && answer(body, given);
        alive = Send(helper.fd, Tag::Answer, std::string(1, known ? '\1' : '\0') + given);
    }
    if (alive && tag == Tag::Reply)
    {
        reply = std::move(body);
        return true;
    }
    Stop(helper);
    return false;
}
} // namespace d3dx9
