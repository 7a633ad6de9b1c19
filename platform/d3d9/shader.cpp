#include "d3d9/shader.h"

#include "d3d9/device.h"

#include <cstring>
#include <regex>

namespace d3d9
{
namespace
{
const char kMain[] = "void main()";
const char kStageMain[] = "void quorl_stage_main()";

// Renames the text's entry point so that the device's epilogue may call it;
// false when there is no single plain main(). The translated HLSL body owns
// the name quorl_main, so the stage's entry takes a name of its own.
bool RenameMain(std::string& glsl)
{
    const size_t at = glsl.find(kMain);
    if (at == std::string::npos || glsl.find(kMain, at + 1) != std::string::npos ||
        glsl.find(kStageMain) != std::string::npos)
        return false;
    glsl.replace(at, sizeof kMain - 1, kStageMain);
    return true;
}

GLuint Compile(GLenum stage, const std::string& source)
{
    if (source.empty())
        return 0;
    GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// The blob a Create*Shader call points at, checked against the stage wanted.
bool ReadBlob(const DWORD* function, ShaderStage stage, ShaderBlob& blob, size_t& size)
{
    if (!function)
        return false;
    size = ShaderBlobLength(function);
    return size && ParseShaderBlob(function, size, blob) && blob.stage == stage && !blob.glsl.empty();
}

void AddRefIf(IUnknown* object)
{
    if (object)
        object->AddRef();
}
} // namespace

std::string WrapVertexSource(const std::string& glsl)
{
    std::string text = glsl;
    if (!RenameMain(text))
        return std::string();
    // Direct3D uses D3DRS_POINTSIZE when the shader writes no PSIZE and
    // clamps every size to POINTSIZE_MIN..POINTSIZE_MAX.
    text += "\nuniform vec3 quorl_PointSize;\n"
            "void main()\n"
            "{\n"
            "    gl_PointSize = quorl_PointSize.x;\n"
            "    quorl_stage_main();\n"
            "    gl_PointSize = clamp(gl_PointSize, quorl_PointSize.y, quorl_PointSize.z);\n"
            "}\n";
    return text;
}

std::string WrapPixelSource(const std::string& glsl)
{
    static const std::regex kOutput(R"(layout\s*\(\s*location\s*=\s*0\s*\)\s*out\s+vec4\s+(\w+)\s*;)");
    std::smatch match;
    if (!std::regex_search(glsl, match, kOutput))
        return std::string();
    const std::string output = match[1].str();
    std::string text = glsl;
    if (!RenameMain(text))
        return std::string();
    // x: D3DCMPFUNC, 0 when the test is off; y: the reference in 0..255.
    text += "\nuniform vec2 quorl_AlphaTest;\n"
            "void main()\n"
            "{\n"
            "    quorl_stage_main();\n"
            "    int func = int(quorl_AlphaTest.x);\n"
            "    if (func != 0)\n"
            "    {\n"
            "        float a = floor(clamp(" +
            output +
            ".a, 0.0, 1.0) * 255.0 + 0.5);\n"
            "        float r = quorl_AlphaTest.y;\n"
            "        bool pass = func == 8 || (func == 2 && a < r) || (func == 3 && a == r) ||\n"
            "                    (func == 4 && a <= r) || (func == 5 && a > r) || (func == 6 && a != r) ||\n"
            "                    (func == 7 && a >= r);\n"
            "        if (!pass)\n"
            "            discard;\n"
            "    }\n"
            "}\n";
    return text;
}

template <class Interface>
ShaderObject<Interface>::ShaderObject(Device* device, ShaderBlob blob, const void* function, size_t size)
    : Child<Interface>(device, false), m_Blob(std::move(blob)),
      m_Function(static_cast<const uint8_t*>(function), static_cast<const uint8_t*>(function) + size)
{
}

template <class Interface>
HRESULT ShaderObject<Interface>::GetFunction(void* pData, UINT* pSizeOfData)
{
    if (!pSizeOfData)
        return D3DERR_INVALIDCALL;
    const UINT size = static_cast<UINT>(m_Function.size());
    if (pData)
    {
        if (*pSizeOfData < size)
            return D3DERR_INVALIDCALL;
        std::memcpy(pData, m_Function.data(), size);
    }
    *pSizeOfData = size;
    return D3D_OK;
}

template class ShaderObject<IDirect3DVertexShader9>;
template class ShaderObject<IDirect3DPixelShader9>;

HRESULT VertexShader::Create(Device* device, const DWORD* function, VertexShader** shader)
{
    ShaderBlob blob;
    size_t size = 0;
    if (!ReadBlob(function, ShaderStage::Vertex, blob, size) || blob.registerCount > Device::kVertexRegisters)
        return D3DERR_INVALIDCALL;
    VertexShader* created = new VertexShader(device, std::move(blob), function, size);
    device->MakeCurrent();
    // Without the epilogue the shader would ignore the point-size states: refuse it.
    created->m_Shader = Compile(GL_VERTEX_SHADER, WrapVertexSource(created->m_Blob.glsl));
    if (!created->m_Shader)
    {
        delete created;
        return D3DERR_INVALIDCALL;
    }
    created->AddPublicRef();
    *shader = created;
    return D3D_OK;
}

VertexShader::~VertexShader()
{
    m_Device->ForgetShader(this);
    if (m_Shader)
        glDeleteShader(m_Shader);
}

HRESULT VertexShader::QueryInterface(REFIID riid, void** ppvObj)
{
    static const IID* const kIds[] = {&IID_IUnknown, &IID_IDirect3DVertexShader9};
    return QueryAmong(this, riid, ppvObj, kIds, 2);
}

HRESULT PixelShader::Create(Device* device, const DWORD* function, PixelShader** shader)
{
    ShaderBlob blob;
    size_t size = 0;
    if (!ReadBlob(function, ShaderStage::Pixel, blob, size) || blob.registerCount > Device::kPixelRegisters)
        return D3DERR_INVALIDCALL;
    for (uint32_t sampler : blob.samplers)
        if (sampler >= Device::kMaxSamplers)
            return D3DERR_INVALIDCALL;
    PixelShader* created = new PixelShader(device, std::move(blob), function, size);
    device->MakeCurrent();
    const ShaderBlob& parsed = created->m_Blob;
    // Without the epilogue the shader would ignore the alpha test: refuse it.
    created->m_Shader = Compile(GL_FRAGMENT_SHADER, WrapPixelSource(parsed.glsl));
    if (!parsed.spriteGlsl.empty())
        created->m_SpriteShader = Compile(GL_FRAGMENT_SHADER, WrapPixelSource(parsed.spriteGlsl));
    if (!created->m_Shader || (!parsed.spriteGlsl.empty() && !created->m_SpriteShader))
    {
        delete created;
        return D3DERR_INVALIDCALL;
    }
    created->AddPublicRef();
    *shader = created;
    return D3D_OK;
}

PixelShader::~PixelShader()
{
    m_Device->ForgetShader(this);
    if (m_Shader)
        glDeleteShader(m_Shader);
    if (m_SpriteShader)
        glDeleteShader(m_SpriteShader);
}

HRESULT PixelShader::QueryInterface(REFIID riid, void** ppvObj)
{
    static const IID* const kIds[] = {&IID_IUnknown, &IID_IDirect3DPixelShader9};
    return QueryAmong(this, riid, ppvObj, kIds, 2);
}

Program* LinkProgram(const VertexShader* vs, const PixelShader* ps, bool sprite)
{
    GLuint name = glCreateProgram();
    glAttachShader(name, vs->Shader());
    glAttachShader(name, ps->Shader(sprite));
    glLinkProgram(name);
    GLint ok = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &ok);
    if (!ok)
    {
        glDeleteProgram(name);
        return nullptr;
    }
    Program* program = new Program;
    program->name = name;
    program->vs = vs;
    program->ps = ps;
    program->vsConstants = glGetUniformLocation(name, "vs_c");
    program->psConstants = glGetUniformLocation(name, "ps_c");
    program->pixelOffset = glGetUniformLocation(name, "quorl_PixelOffset");
    program->pointSize = glGetUniformLocation(name, "quorl_PointSize");
    program->alphaTest = glGetUniformLocation(name, "quorl_AlphaTest");
    program->bgraInputs = glGetUniformLocation(name, "quorl_BgraInputs");
    program->vsCount = static_cast<GLsizei>(vs->Blob().registerCount);
    program->psCount = static_cast<GLsizei>(ps->Blob().registerCount);
    // Sampler units never change for a program: set them once here.
    glUseProgram(name);
    for (uint32_t sampler : ps->Blob().samplers)
    {
        const std::string uniform = "s" + std::to_string(sampler);
        const GLint location = glGetUniformLocation(name, uniform.c_str());
        if (location >= 0)
            glUniform1i(location, static_cast<GLint>(sampler));
    }
    return program;
}

void DestroyProgram(Program* program)
{
    if (!program)
        return;
    glDeleteProgram(program->name);
    delete program;
}

Program* Device::FindProgram(bool sprite)
{
    const ProgramKey key{m_VertexShader, m_PixelShader, sprite};
    auto it = m_Programs.find(key);
    if (it != m_Programs.end())
        return it->second;
    Program* program = LinkProgram(m_VertexShader, m_PixelShader, sprite);
    // A pair GL refuses stays refused: it is not linked again on every draw.
    m_Programs.emplace(key, program);
    m_Gl.ForgetProgram(program ? program->name : 0);
    return program;
}

void Device::ForgetShader(const void* shader)
{
    MakeCurrent();
    for (auto it = m_Programs.begin(); it != m_Programs.end();)
    {
        if (it->first.vs == shader || it->first.ps == shader)
        {
            if (it->second)
            {
                m_Gl.ForgetProgram(it->second->name);
                if (m_Program == it->second)
                    m_Program = nullptr;
            }
            DestroyProgram(it->second);
            it = m_Programs.erase(it);
        }
        else
        {
            ++it;
        }
    }
}

HRESULT Device::CreateVertexShader(const DWORD* pFunction, IDirect3DVertexShader9** ppShader)
{
    if (!ppShader)
        return D3DERR_INVALIDCALL;
    *ppShader = nullptr;
    VertexShader* shader = nullptr;
    const HRESULT hr = VertexShader::Create(this, pFunction, &shader);
    if (SUCCEEDED(hr))
        *ppShader = shader;
    return hr;
}

HRESULT Device::CreatePixelShader(const DWORD* pFunction, IDirect3DPixelShader9** ppShader)
{
    if (!ppShader)
        return D3DERR_INVALIDCALL;
    *ppShader = nullptr;
    PixelShader* shader = nullptr;
    const HRESULT hr = PixelShader::Create(this, pFunction, &shader);
    if (SUCCEEDED(hr))
        *ppShader = shader;
    return hr;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* pShader)
{
    VertexShader* shader = static_cast<VertexShader*>(pShader);
    if (shader == m_VertexShader)
        return D3D_OK;
    if (shader)
        shader->AddPrivateRef();
    if (m_VertexShader)
        m_VertexShader->ReleasePrivateRef();
    m_VertexShader = shader;
    m_Dirty |= kDirtyProgram | kDirtyVertexInput;
    return D3D_OK;
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9** ppShader)
{
    if (!ppShader)
        return D3DERR_INVALIDCALL;
    AddRefIf(m_VertexShader);
    *ppShader = m_VertexShader;
    return D3D_OK;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* pShader)
{
    PixelShader* shader = static_cast<PixelShader*>(pShader);
    if (shader == m_PixelShader)
        return D3D_OK;
    if (shader)
        shader->AddPrivateRef();
    if (m_PixelShader)
        m_PixelShader->ReleasePrivateRef();
    m_PixelShader = shader;
    m_Dirty |= kDirtyProgram;
    return D3D_OK;
}

HRESULT Device::GetPixelShader(IDirect3DPixelShader9** ppShader)
{
    if (!ppShader)
        return D3DERR_INVALIDCALL;
    AddRefIf(m_PixelShader);
    *ppShader = m_PixelShader;
    return D3D_OK;
}

HRESULT Device::SetVertexShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount)
{
    if (!pConstantData || StartRegister > kVertexRegisters || Vector4fCount > kVertexRegisters - StartRegister)
        return D3DERR_INVALIDCALL;
    std::memcpy(m_VertexConstants + StartRegister * 4, pConstantData, Vector4fCount * 4 * sizeof(float));
    ++m_VertexConstantsVersion;
    return D3D_OK;
}

HRESULT Device::GetVertexShaderConstantF(UINT StartRegister, float* pConstantData, UINT Vector4fCount)
{
    if (!pConstantData || StartRegister > kVertexRegisters || Vector4fCount > kVertexRegisters - StartRegister)
        return D3DERR_INVALIDCALL;
    std::memcpy(pConstantData, m_VertexConstants + StartRegister * 4, Vector4fCount * 4 * sizeof(float));
    return D3D_OK;
}

HRESULT Device::SetPixelShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount)
{
    if (!pConstantData || StartRegister > kPixelRegisters || Vector4fCount > kPixelRegisters - StartRegister)
        return D3DERR_INVALIDCALL;
    std::memcpy(m_PixelConstants + StartRegister * 4, pConstantData, Vector4fCount * 4 * sizeof(float));
    ++m_PixelConstantsVersion;
    return D3D_OK;
}

HRESULT Device::GetPixelShaderConstantF(UINT StartRegister, float* pConstantData, UINT Vector4fCount)
{
    if (!pConstantData || StartRegister > kPixelRegisters || Vector4fCount > kPixelRegisters - StartRegister)
        return D3DERR_INVALIDCALL;
    std::memcpy(pConstantData, m_PixelConstants + StartRegister * 4, Vector4fCount * 4 * sizeof(float));
    return D3D_OK;
}
} // namespace d3d9
