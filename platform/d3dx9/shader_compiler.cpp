#include <d3dx9.h>

#include "d3d9/shader_blob.h"
#include "d3dx9/hlsl_compiler.h"
#include "d3dx9/isolated_compile.h"
#include "host/host_file.h"

#include <cstring>
#include <map>
#include <memory>

namespace
{
using d3dx9::Diagnostic;
using d3dx9::Diagnostics;

using host::HostPath;
using host::ReadHostFile;

std::string Directory(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// #include through the caller's handler, or else from files: quoted names
// relative to the including file, angled names relative to the current
// directory.
class Includer : public glslang::TShader::Includer
{
public:
    explicit Includer(ID3DXInclude* handler) : m_Handler(handler) {}

    IncludeResult* includeLocal(const char* header, const char* includer, size_t) override
    {
        return Include(D3DXINC_LOCAL, header, includer);
    }
    IncludeResult* includeSystem(const char* header, const char* includer, size_t) override
    {
        return Include(D3DXINC_SYSTEM, header, includer);
    }
    void releaseInclude(IncludeResult* result) override
    {
        if (!result)
            return;
        if (m_Handler)
            m_Handler->Close(result->headerData);
        else
            delete static_cast<std::string*>(result->userData);
        delete result;
    }

private:
    IncludeResult* Include(D3DXINCLUDE_TYPE type, const char* header, const char* includer)
    {
        std::string name = HostPath(header);
        if (m_Handler)
        {
            auto parent = m_Data.find(includer ? includer : "");
            LPCVOID data = nullptr;
            UINT bytes = 0;
            if (FAILED(m_Handler->Open(type, header, parent == m_Data.end() ? nullptr : parent->second, &data, &bytes)))
                return nullptr;
            m_Data[name] = data;
            return new IncludeResult(name, static_cast<const char*>(data), bytes, nullptr);
        }
        std::string path = name;
        if (type == D3DXINC_LOCAL && !name.empty() && name[0] != '/' && includer)
            path = Directory(includer) + name;
        std::unique_ptr<std::string> contents(new std::string);
        if (!ReadHostFile(path.c_str(), *contents))
            return nullptr;
        const char* data = contents->data();
        size_t size = contents->size();
        return new IncludeResult(path, data, size, contents.release());
    }

    ID3DXInclude* m_Handler;
    std::map<std::string, LPCVOID> m_Data; // what the handler gave, by name, for pParentData
};

HRESULT CopyToBuffer(const void* data, size_t size, LPD3DXBUFFER* ppBuffer)
{
    HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(size), ppBuffer);
    if (SUCCEEDED(hr) && size > 0)
        std::memcpy((*ppBuffer)->GetBufferPointer(), data, size);
    return hr;
}

// The error buffer holds a NUL-terminated text.
void ReturnMessages(const Diagnostics& messages, LPD3DXBUFFER* ppErrorMsgs)
{
    if (!ppErrorMsgs || messages.empty())
        return;
    std::string text = d3dx9::FormatDiagnostics(messages);
    CopyToBuffer(text.c_str(), text.size() + 1, ppErrorMsgs);
}

HRESULT Fail(HRESULT hr, const std::string& file, const std::string& text, LPD3DXBUFFER* ppErrorMsgs)
{
    Diagnostic diagnostic;
    diagnostic.file = file;
    diagnostic.text = text;
    ReturnMessages(Diagnostics{diagnostic}, ppErrorMsgs);
    return hr;
}
} // namespace

// Flags other than the matrix packing change only optimisation, validation
// and debug information on Windows, and are ignored here.
HRESULT WINAPI D3DXCompileShaderFromFileA(LPCSTR pSrcFile, const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                                          LPCSTR pFunctionName, LPCSTR pProfile, DWORD Flags, LPD3DXBUFFER* ppShader,
                                          LPD3DXBUFFER* ppErrorMsgs, LPD3DXCONSTANTTABLE* ppConstantTable)
{
    if (ppShader)
        *ppShader = nullptr;
    if (ppErrorMsgs)
        *ppErrorMsgs = nullptr;
    if (ppConstantTable)
        *ppConstantTable = nullptr;
    if (!pSrcFile || !pFunctionName || !pProfile)
        return D3DERR_INVALIDCALL;
    std::string file = pSrcFile;
    if (ppConstantTable)
        return Fail(E_NOTIMPL, file, "constant tables are not provided by this layer", ppErrorMsgs);

    d3dx9::HlslRequest request;
    if (!d3dx9::ParseProfile(pProfile, request.profile))
        return Fail(E_FAIL, file,
                    std::string("'") + pProfile +
                        "': profile not provided (vs_1_1, vs_2_0, vs_3_0, ps_2_0, ps_3_0 are)",
                    ppErrorMsgs);
    request.file = HostPath(pSrcFile);
    if (!ReadHostFile(pSrcFile, request.source))
        return Fail(D3DXERR_INVALIDDATA, file, "cannot open the file", ppErrorMsgs);
    request.entryPoint = pFunctionName;
    if ((Flags & D3DXSHADER_PACKMATRIX_ROWMAJOR) && !(Flags & D3DXSHADER_PACKMATRIX_COLUMNMAJOR))
        request.preamble += "#pragma pack_matrix(row_major)\n";
    for (const D3DXMACRO* macro = pDefines; macro && macro->Name; ++macro)
        request.preamble +=
            std::string("#define ") + macro->Name + " " + (macro->Definition ? macro->Definition : "1") + "\n";
    Includer includer(pInclude);
    request.includer = &includer;

    d3d9::ShaderBlob blob;
    Diagnostics messages;
    bool compiled = d3dx9::CompileHlslIsolated(request, blob, messages);
    for (Diagnostic& diagnostic : messages)
        if (diagnostic.file == request.file)
            diagnostic.file = file; // the name as the caller gave it
    ReturnMessages(messages, ppErrorMsgs);
    if (!compiled)
        return E_FAIL;
    if (!ppShader)
        return S_OK;
    std::vector<uint8_t> bytes = d3d9::SerializeShaderBlob(blob);
    HRESULT hr = CopyToBuffer(bytes.data(), bytes.size(), ppShader);
    if (FAILED(hr) && ppErrorMsgs && *ppErrorMsgs)
    {
        (*ppErrorMsgs)->Release();
        *ppErrorMsgs = nullptr;
    }
    return hr;
}
