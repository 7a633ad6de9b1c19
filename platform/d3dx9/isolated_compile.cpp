#include "d3dx9/isolated_compile.h"

#include "d3dx9/byte_form.h"
#include "d3dx9/helper.h"
#include "d3dx9/test_hooks.h"

#include <memory>
#include <vector>

namespace d3dx9
{
namespace
{
bool g_InHelper = true;

std::string EncodeRequest(const HlslRequest& request)
{
    std::string out;
    PutText(out, request.file);
    PutText(out, request.entryPoint);
    PutText(out, request.profile.name);
    PutText(out, request.preamble);
    PutText(out, request.source);
    return out;
}

bool DecodeRequest(const std::string& in, HlslRequest& request)
{
    ByteReader reader{in};
    std::string profile;
    return reader.Text(request.file) && reader.Text(request.entryPoint) && reader.Text(profile) &&
           ParseProfile(profile.c_str(), request.profile) && reader.Text(request.preamble) &&
           reader.Text(request.source) && reader.AtEnd();
}

// Compiled, the messages, then the blob's own byte form.
std::string EncodeResult(bool compiled, const Diagnostics& messages, const d3d9::ShaderBlob& blob)
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

bool DecodeResult(const std::string& in, bool& compiled, Diagnostics& messages, d3d9::ShaderBlob& blob)
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

// The question for one #include: local or system, the name, the including file, the depth.
std::string IncludeQuestion(bool local, const char* header, const char* includer, size_t depth)
{
    std::string out;
    PutNumber(out, local);
    PutText(out, header);
    PutText(out, includer ? includer : "");
    PutNumber(out, static_cast<uint32_t>(depth));
    return out;
}

// The helper's includer: the calling process has the files, its working
// directory and the caller's include handler.
class AskingIncluder : public glslang::TShader::Includer
{
public:
    explicit AskingIncluder(const Ask& ask) : m_Ask(ask) {}

    IncludeResult* includeLocal(const char* header, const char* includer, size_t depth) override
    {
        return Include(true, header, includer, depth);
    }
    IncludeResult* includeSystem(const char* header, const char* includer, size_t depth) override
    {
        return Include(false, header, includer, depth);
    }
    void releaseInclude(IncludeResult* result) override
    {
        if (!result)
            return;
        delete static_cast<std::string*>(result->userData);
        delete result;
    }

private:
    IncludeResult* Include(bool local, const char* header, const char* includer, size_t depth)
    {
        std::string answer, name;
        std::unique_ptr<std::string> contents(new std::string);
        if (!m_Ask(IncludeQuestion(local, header, includer, depth), answer))
            return nullptr;
        ByteReader reader{answer};
        if (!reader.Text(name) || !reader.Text(*contents))
            return nullptr;
        const char* data = contents->data();
        const size_t size = contents->size();
        return new IncludeResult(name, data, size, contents.release());
    }

    const Ask& m_Ask;
};

// The caller's side of those questions. What its includer gives stays open
// until the compile ends, since a nested include may refer to its parent's.
class IncludeAnswers
{
public:
    explicit IncludeAnswers(glslang::TShader::Includer* includer) : m_Includer(includer) {}
    ~IncludeAnswers()
    {
        for (auto it = m_Open.rbegin(); it != m_Open.rend(); ++it)
            m_Includer->releaseInclude(*it);
    }
    IncludeAnswers(const IncludeAnswers&) = delete;
    IncludeAnswers& operator=(const IncludeAnswers&) = delete;

    bool Answer(const std::string& question, std::string& answer)
    {
        ByteReader reader{question};
        uint32_t local, depth;
        std::string header, includer;
        if (!m_Includer || !reader.Number(local) || !reader.Text(header) || !reader.Text(includer) ||
            !reader.Number(depth))
            return false;
        glslang::TShader::Includer::IncludeResult* result =
            local ? m_Includer->includeLocal(header.c_str(), includer.c_str(), depth)
                  : m_Includer->includeSystem(header.c_str(), includer.c_str(), depth);
        if (!result)
            return false;
        m_Open.push_back(result);
        PutText(answer, result->headerName);
        PutBytes(answer, result->headerData, result->headerLength);
        return true;
    }

private:
    glslang::TShader::Includer* m_Includer;
    std::vector<glslang::TShader::Includer::IncludeResult*> m_Open;
};

std::string CompileJob(const std::string& in, const Ask& ask)
{
    HlslRequest request;
    if (!DecodeRequest(in, request))
        return std::string();
    AskingIncluder includer(ask);
    request.includer = &includer;
    d3d9::ShaderBlob blob;
    Diagnostics messages;
    const bool compiled = CompileHlsl(request, blob, messages);
    return EncodeResult(compiled, messages, blob);
}
} // namespace

bool CompileHlslIsolated(const HlslRequest& request, d3d9::ShaderBlob& blob, Diagnostics& messages)
{
    if (!g_InHelper)
        return CompileHlsl(request, blob, messages);
    IncludeAnswers answers(request.includer);
    std::string reply;
    const bool returned = RunInHelper(&CompileJob, EncodeRequest(request), reply,
                                      [&answers](const std::string& question, std::string& answer)
                                      { return answers.Answer(question, answer); });
    bool compiled = false;
    Diagnostics helperMessages;
    if (!returned || !DecodeResult(reply, compiled, helperMessages, blob))
    {
        Diagnostic failure;
        failure.file = request.file;
        failure.text = "the compiler failed on this source";
        messages.push_back(failure);
        return false;
    }
    messages.insert(messages.end(), helperMessages.begin(), helperMessages.end());
    return compiled;
}
} // namespace d3dx9

void D3DXTest_CompileInHelper(bool inHelper)
{
    d3dx9::g_InHelper = inHelper;
}
