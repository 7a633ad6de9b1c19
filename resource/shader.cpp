#include "resource/shader.h"

#include "app/demo.h"
#include "app/log.h"

#include <d3dx9.h>

namespace Resource
{
namespace
{
// Compiles data\shaders\<name> and hands the code to create; the diagnostics
// name what failed. create makes the device object from the compiled code.
template <class Create>
bool CompileAndCreate(const std::string& name, const char* entryPoint, const char* profile, const char* createFailure,
                      Create create)
{
    std::string path = "data\\shaders\\" + name;
    LPD3DXBUFFER code = nullptr;
    LPD3DXBUFFER errors = nullptr;
    bool result;
    if (FAILED(D3DXCompileShaderFromFileA(path.c_str(), NULL, NULL, entryPoint, profile, 0, &code, &errors, NULL)))
    {
        std::string message = name + " failed to compile:\n";
        if (errors)
            message += static_cast<const char*>(errors->GetBufferPointer());
        Diagnostic(message);
        result = false;
    }
    else if (FAILED(create(static_cast<const DWORD*>(code->GetBufferPointer()))))
    {
        Diagnostic(createFailure);
        result = false;
    }
    else
    {
        Diagnostic("Compiled and loaded " + name);
        result = true;
    }
    if (code)
        code->Release();
    if (errors)
        errors->Release();
    return result;
}

IDirect3DDevice9* Device()
{
    return C_Demo::GetInstance()->m_Renderer.device;
}
} // namespace

bool C_VertexShader::Load(const std::string& name)
{
    return CompileAndCreate(name, "MainVS", "vs_2_0", "Failed to create vertex shader",
                            [this](const DWORD* code) { return Device()->CreateVertexShader(code, &m_Shader); });
}

bool C_PixelShader::Load(const std::string& name)
{
    return CompileAndCreate(name, "MainPS", "ps_2_0", "Failed to create pixel shader",
                            [this](const DWORD* code) { return Device()->CreatePixelShader(code, &m_Shader); });
}
} // namespace Resource
