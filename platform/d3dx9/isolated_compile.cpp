#include "d3dx9/isolated_compile.h"
#include "d3dx9/test_hooks.h"

#include <csignal>
#include <cstring>
#include <mutex>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace d3dx9gl
{
namespace
{
bool g_InChild = true;

void PutNumber(std::string& out, uint32_t value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutText(std::string& out, const std::string& text)
{
    PutNumber(out, static_cast<uint32_t>(text.size()));
    out += text;
}

struct Reader
{
    const std::string& in;
    size_t at = 0;

    bool Number(uint32_t& value)
    {
        if (in.size() - at < sizeof value)
            return false;
        std::memcpy(&value, in.data() + at, sizeof value);
        at += sizeof value;
        return true;
    }

    bool Text(std::string& text)
    {
        uint32_t size;
        if (!Number(size) || in.size() - at < size)
            return false;
        text.assign(in, at, size);
        at += size;
        return true;
    }
};

// Compiled, the messages, then the blob's own byte form.
std::string Encode(bool compiled, const Diagnostics& messages, const d3d9gl::ShaderBlob& blob)
{
    std::string out;
    PutNumber(out, compiled);
    PutNumber(out, static_cast<uint32_t>(messages.size()));
    for (const Diagnostic& message : messages)
    {
        PutText(out, message.file);
        PutNumber(out, static_cast<uint32_t>(message.line));
        PutNumber(out, static_cast<uint32_t>(message.column));
        PutNumber(out, message.warning);
        PutText(out, message.text);
    }
    if (compiled)
    {
        const std::vector<uint8_t> bytes = d3d9gl::SerializeShaderBlob(blob);
        PutText(out, std::string(bytes.begin(), bytes.end()));
    }
    return out;
}

bool Decode(const std::string& in, bool& compiled, Diagnostics& messages, d3d9gl::ShaderBlob& blob)
{
    Reader reader{in};
    uint32_t flag, count;
    if (!reader.Number(flag) || !reader.Number(count))
        return false;
    compiled = flag != 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        Diagnostic message;
        uint32_t line, column, warning;
        if (!reader.Text(message.file) || !reader.Number(line) || !reader.Number(column) ||
            !reader.Number(warning) || !reader.Text(message.text))
            return false;
        message.line = static_cast<int>(line);
        message.column = static_cast<int>(column);
        message.warning = warning != 0;
        messages.push_back(message);
    }
    std::string bytes;
    if (compiled && (!reader.Text(bytes) || !d3d9gl::ParseShaderBlob(bytes.data(), bytes.size(), blob)))
        return false;
    return reader.at == in.size();
}

// glslang builds its built-in tables on the first compile of each stage;
// built here once, every child starts with them.
void WarmUp()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const bool vertex : {true, false})
        {
            HlslRequest request;
            request.file = "warm-up";
            request.entryPoint = vertex ? "MainVS" : "MainPS";
            request.source = vertex ? "float4 MainVS(float4 p : POSITION) : POSITION { return p; }\n"
                                    : "float4 MainPS() : COLOR { return 0; }\n";
            ParseProfile(vertex ? "vs_2_0" : "ps_2_0", request.profile);
            d3d9gl::ShaderBlob blob;
            Diagnostics ignored;
            CompileHlsl(request, blob, ignored);
        }
    });
}

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

bool CompileHlslIsolated(const HlslRequest& request, d3d9gl::ShaderBlob& blob, Diagnostics& messages)
{
    if (!g_InChild)
        return CompileHlsl(request, blob, messages);
    WarmUp();
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return CompileHlsl(request, blob, messages);
    const pid_t child = fork();
    if (child < 0)
    {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return CompileHlsl(request, blob, messages);
    }
    if (child == 0)
    {
        // A crash ends the child quietly, without a core file.
        close(pipeEnds[0]);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
            std::signal(signal, SIG_DFL);
        d3d9gl::ShaderBlob compiledBlob;
        Diagnostics compiledMessages;
        const bool compiled = CompileHlsl(request, compiledBlob, compiledMessages);
        const bool sent = WriteAll(pipeEnds[1], Encode(compiled, compiledMessages, compiledBlob));
        _exit(sent ? 0 : 1);
    }

    close(pipeEnds[1]);
    std::string reply;
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
    bool compiled = false;
    Diagnostics childMessages;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !Decode(reply, compiled, childMessages, blob))
    {
        Diagnostic failure;
        failure.file = request.file;
        failure.text = "the compiler failed on this source";
        messages.push_back(failure);
        return false;
    }
    messages.insert(messages.end(), childMessages.begin(), childMessages.end());
    return compiled;
}
} // namespace d3dx9gl

void D3DXTest_CompileInChild(bool inChild)
{
    d3dx9gl::g_InChild = inChild;
}
