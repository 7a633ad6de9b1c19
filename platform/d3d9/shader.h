// Vertex and pixel shaders made from the layer's shader blob, and the GL
// programs linked from a pair of them. The device keeps one program per
// (vertex shader, pixel shader, point-sprite variant), linked on first use.
#pragma once

#include "d3d9/object.h"

#include "d3d9/gl.h"
#include "d3d9/shader_blob.h"

#include <string>
#include <vector>

namespace d3d9
{
// The blob's GLSL with the layer's own tail: the vertex stage takes
// D3DRS_POINTSIZE when it writes no size and clamps to POINTSIZE_MIN/MAX; the
// pixel stage applies the alpha test. Empty when the text has no plain main().
std::string WrapVertexSource(const std::string& glsl);
std::string WrapPixelSource(const std::string& glsl);

template <class Interface>
class ShaderObject : public Child<Interface>
{
public:
    ShaderObject(Device* device, ShaderBlob blob, const void* function, size_t size);

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) override { return this->GetDeviceRef(ppDevice); }
    HRESULT STDMETHODCALLTYPE GetFunction(void* pData, UINT* pSizeOfData) override;

    const ShaderBlob& Blob() const { return m_Blob; }

protected:
    ShaderBlob m_Blob;
    std::vector<uint8_t> m_Function;
};

class VertexShader final : public ShaderObject<IDirect3DVertexShader9>
{
public:
    static HRESULT Create(Device* device, const DWORD* function, VertexShader** shader);
    ~VertexShader() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override;

    GLuint Shader() const { return m_Shader; }

private:
    using ShaderObject::ShaderObject;
    GLuint m_Shader = 0;
};

class PixelShader final : public ShaderObject<IDirect3DPixelShader9>
{
public:
    static HRESULT Create(Device* device, const DWORD* function, PixelShader** shader);
    ~PixelShader() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObj) override;

    // The point-sprite variant, or the plain shader when the blob has none.
    GLuint Shader(bool sprite) const { return sprite && m_SpriteShader ? m_SpriteShader : m_Shader; }

private:
    using ShaderObject::ShaderObject;
    GLuint m_Shader = 0;
    GLuint m_SpriteShader = 0;
};

struct Program
{
    GLuint name = 0;
    const VertexShader* vs = nullptr;
    const PixelShader* ps = nullptr;
    GLint vsConstants = -1;
    GLint psConstants = -1;
    GLint pixelOffset = -1;
    GLint pointSize = -1;
    GLint alphaTest = -1;
    GLint bgraInputs = -1;
    GLsizei vsCount = 0;
    GLsizei psCount = 0;
    uint64_t vsVersion = 0;
    uint64_t psVersion = 0;
    float pixelOffsetValue[2] = {-1.0f, -1.0f};
    float pointSizeValue[3] = {-1.0f, -1.0f, -1.0f};
    float alphaTestValue[2] = {-1.0f, -1.0f};
    GLint bgraInputsValue = -1;
};

// Links and sets sampler units once; null when GL refuses the pair.
Program* LinkProgram(const VertexShader* vs, const PixelShader* ps, bool sprite);
void DestroyProgram(Program* program);
} // namespace d3d9
