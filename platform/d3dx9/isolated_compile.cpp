#include "d3dx9/isolated_compile.h"

#include "d3dx9/child_process.h"
#include "d3dx9/test_hooks.h"

#include <mutex>

namespace d3dx9
{
namespace
{
bool g_InChild = true;

// Compiled, the messages, then the blob's own byte form.
std::string Encode(bool compiled, const Diagnostics& messages, const d3d9::ShaderBlob& blob)
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
        const std::vector<uint8_t> bytes = d3d9::SerializeShaderBlob(blob);
        PutText(out, std::string(bytes.begin(), bytes.end()));
    }
    return out;
}

bool Decode(const std::string& in, bool& compiled, Diagnostics& messages, d3d9::ShaderBlob& blob)
{
    ByteReader reader{in};
    uint32_t flag, count;
    if (!reader.Number(flag) || !reader.Number(count))
        return false;
    compiled = flag != 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        Diagnostic message;
        uint32_t line, column, warning;
        if (!reader.Text(message.file) || !reader.Number(line) || !reader.Number(column) || !reader.Number(warning) ||
            !reader.Text(message.text))
            return false;
        message.line = static_cast<int>(line);
        message.column = static_cast<int>(column);
        message.warning = warning != 0;
        messages.push_back(message);
    }
    std::string bytes;
    if (compiled && (!reader.Text(bytes) || !d3d9::ParseShaderBlob(bytes.data(), bytes.size(), blob)))
        return false;
    return reader.AtEnd();
}

// glslang builds its built-in tables on the first compile of each stage;
// built here once, every child starts with them.
void WarmUp()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       for (const bool vertex : {true, false})
                       {
                           HlslRequest request;
                           request.file = "warm-up";
                           request.entryPoint = vertex ? "MainVS" : "MainPS";
                           request.source = vertex ? "float4 MainVS(float4 p : POSITION) : POSITION { return p; }\n"
                                                   : "float4 MainPS() : COLOR { return 0; }\n";
                           ParseProfile(vertex ? "vs_2_0" : "ps_2_0", request.profile);
                           d3d9::ShaderBlob blob;
                           Diagnostics ignored;
                           CompileHlsl(request, blob, ignored);
                       }
                   });
}

} // namespace

bool CompileHlslIsolated(const HlslRequest& request, d3d9::ShaderBlob& blob, Diagnostics& messages)
{
    if (!g_InChild)
        return CompileHlsl(request, blob, messages);
    WarmUp();
    std::string reply;
    const bool returned = RunInChild(
        [&]
        {
            d3d9::ShaderBlob compiledBlob;
            Diagnostics compiledMessages;
            const bool compiled = CompileHlsl(request, compiledBlob, compiledMessages);
            return Encode(compiled, compiledMessages, compiledBlob);
        },
        reply);
    bool compiled = false;
    Diagnostics childMessages;
    if (!returned || !Decode(reply, compiled, childMessages, blob))
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
} // namespace d3dx9

void D3DXTest_CompileInChild(bool inChild)
{
    d3dx9::g_InChild = inChild;
}
