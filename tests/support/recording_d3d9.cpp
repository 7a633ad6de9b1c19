#include "support/recording_d3d9.h"

#include "d3d9/shader_blob.h"
#include "support/d3d9_names.h"

#include <cstdio>

namespace RecordingD3D9
{
Script& Get()
{
    static Script script;
    return script;
}

void Reset()
{
    int live = Get().liveObjects;
    Get() = Script();
    Get().liveObjects = live;
}
} // namespace RecordingD3D9

namespace
{
using RecordingD3D9::Get;
using namespace d3d9names;

void Record(const std::string& call)
{
    Get().calls.push_back(call);
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

// Fakes carry a label so recorded calls say which object they were given.
template <class Base>
class Counted : public Base
{
public:
    explicit Counted(const std::string& label) : label(label) { ++Get().liveObjects; }
    ~Counted() override { --Get().liveObjects; }
    std::string label;
};

std::string LabelOf(IUnknown* object);

class Surface : public Counted<NullD3D9::Direct3DSurface9>
{
public:
    using Counted::Counted;
};

class Texture : public Counted<NullD3D9::Direct3DTexture9>
{
public:
    Texture(const std::string& label) : Counted(label), level(new Surface(label + ".level0")) {}
    ~Texture() override { level->Release(); }
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT index, IDirect3DSurface9** surface) override
    {
        if (index != 0)
            return D3DERR_INVALIDCALL;
        level->AddRef();
        *surface = level;
        return D3D_OK;
    }
    Surface* level;
};

// Holds real memory, so what a lock hands out can be written and read back;
// an unlock keeps the locked bytes in the script's member Unlocked.
template <class Base, std::vector<unsigned char> RecordingD3D9::Script::*Unlocked>
class LockableBuffer : public Counted<Base>
{
public:
    LockableBuffer(const std::string& label, UINT length) : Counted<Base>(label), memory(length) {}

    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override
    {
        Record("Lock " + this->label + " " + std::to_string(offset) + " " + std::to_string(size) + " " +
               LockFlagsName(flags));
        // Size 0 locks the whole buffer.
        if (size == 0 && offset <= memory.size())
            size = static_cast<UINT>(memory.size()) - offset;
        if (locked || offset > memory.size() || size > memory.size() - offset)
            return D3DERR_INVALIDCALL;
        locked = true;
        lockedOffset = offset;
        lockedSize = size;
        *data = memory.data() + offset;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE Unlock() override
    {
        Record("Unlock " + this->label);
        if (!locked)
            return D3DERR_INVALIDCALL;
        locked = false;
        (Get().*Unlocked).assign(memory.begin() + lockedOffset, memory.begin() + lockedOffset + lockedSize);
        return D3D_OK;
    }

    std::vector<unsigned char> memory;
    bool locked = false;
    UINT lockedOffset = 0;
    UINT lockedSize = 0;
};

using VertexBuffer = LockableBuffer<NullD3D9::Direct3DVertexBuffer9, &RecordingD3D9::Script::unlockedData>;
using IndexBuffer = LockableBuffer<NullD3D9::Direct3DIndexBuffer9, &RecordingD3D9::Script::unlockedIndexData>;

class VertexDeclaration : public Counted<NullD3D9::Direct3DVertexDeclaration9>
{
public:
    using Counted::Counted;
};

class VertexShader : public Counted<NullD3D9::Direct3DVertexShader9>
{
public:
    using Counted::Counted;
};

class PixelShader : public Counted<NullD3D9::Direct3DPixelShader9>
{
public:
    using Counted::Counted;
};

// Only the compiler's blobs are shader code here.
bool IsShaderCode(const DWORD* code, d3d9::ShaderStage stage)
{
    d3d9::ShaderBlob blob;
    size_t length = d3d9::ShaderBlobLength(code);
    return length && d3d9::ParseShaderBlob(code, length, blob) && blob.stage == stage;
}

std::string LabelOf(IUnknown* object)
{
    if (!object)
        return "null";
    if (auto* s = dynamic_cast<Surface*>(object))
        return s->label;
    if (auto* t = dynamic_cast<Texture*>(object))
        return t->label;
    if (auto* b = dynamic_cast<VertexBuffer*>(object))
        return b->label;
    if (auto* d = dynamic_cast<VertexDeclaration*>(object))
        return d->label;
    if (auto* i = dynamic_cast<IndexBuffer*>(object))
        return i->label;
    return "object";
}

void Keep(std::map<UINT, std::array<float, 4>>& registers, UINT start, const float* values, UINT count)
{
    for (UINT i = 0; i < count; ++i)
        registers[start + i] = {values[4 * i], values[4 * i + 1], values[4 * i + 2], values[4 * i + 3]};
}

class Device : public Counted<NullD3D9::Direct3DDevice9>
{
public:
    Device() : Counted("device"), backBuffer(new Surface("backbuffer")), depth(new Surface("autodepth")) {}
    ~Device() override
    {
        backBuffer->Release();
        depth->Release();
    }

    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override
    {
        if (Get().cooperativeLevels.empty())
            return D3D_OK;
        HRESULT result = Get().cooperativeLevels.front();
        Get().cooperativeLevels.pop_front();
        return result;
    }

    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS*) override
    {
        Record("Reset");
        return Get().resetResult;
    }

    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override
    {
        Record("GetRenderTarget " + std::to_string(index));
        backBuffer->AddRef();
        *surface = backBuffer;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9** surface) override
    {
        Record("GetDepthStencilSurface");
        depth->AddRef();
        *surface = depth;
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                 IDirect3DVertexBuffer9** buffer, HANDLE*) override
    {
        Record("CreateVertexBuffer " + std::to_string(length) + " " + UsageName(usage) + " " + std::to_string(fvf) +
               " " + PoolName(pool));
        if (Get().vertexBufferFails)
            return D3DERR_OUTOFVIDEOMEMORY;
        // The renderer's dynamic buffer is "vb"; an effect's own managed one is "static vb".
        *buffer = new VertexBuffer(pool == D3DPOOL_MANAGED ? "static vb" : "vb", length);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DIndexBuffer9** buffer, HANDLE*) override
    {
        Record("CreateIndexBuffer " + std::to_string(length) + " " + UsageName(usage) + " " + FormatName(format) + " " +
               PoolName(pool));
        if (Get().indexBufferFails)
            return D3DERR_OUTOFVIDEOMEMORY;
        *buffer = new IndexBuffer(pool == D3DPOOL_MANAGED ? "static ib" : "ib", length);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, IDirect3DTexture9** texture, HANDLE*) override
    {
        Record("CreateTexture " + std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(levels) +
               " " + UsageName(usage) + " " + FormatName(format) + " " + PoolName(pool));
        // Direct3D refuses an empty texture.
        if (width == 0 || height == 0)
            return D3DERR_INVALIDCALL;
        *texture = new Texture("rt" + std::to_string(++textures));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                        D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL discard,
                                                        IDirect3DSurface9** surface, HANDLE*) override
    {
        Record("CreateDepthStencilSurface " + std::to_string(width) + "x" + std::to_string(height) + " " +
               FormatName(format) + " " + MultiSampleName(multiSample) + " " + std::to_string(quality) + " " +
               std::to_string(discard));
        *surface = new Surface("depth" + std::to_string(++depths));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD* code, IDirect3DVertexShader9** shader) override
    {
        Record("CreateVertexShader");
        if (!IsShaderCode(code, d3d9::ShaderStage::Vertex))
            return D3DERR_INVALIDCALL;
        *shader = new VertexShader("vs");
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD* code, IDirect3DPixelShader9** shader) override
    {
        Record("CreatePixelShader");
        if (!IsShaderCode(code, d3d9::ShaderStage::Pixel))
            return D3DERR_INVALIDCALL;
        *shader = new PixelShader("ps");
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT*, DWORD flags, D3DCOLOR colour, float z,
                                    DWORD stencil) override
    {
        Record("Clear " + std::to_string(count) + " " + ClearFlagsName(flags) + " " + Hex(colour) + " " +
               std::to_string(z) + " " + std::to_string(stencil));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE BeginScene() override
    {
        Record("BeginScene");
        return Get().beginSceneFails ? D3DERR_INVALIDCALL : D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE EndScene() override
    {
        Record("EndScene");
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT start, const float* values, UINT count) override
    {
        Record("SetVertexShaderConstantF " + std::to_string(start) + " " + std::to_string(count));
        Keep(Get().vertexConstants, start, values, count);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT start, const float* values, UINT count) override
    {
        Record("SetPixelShaderConstantF " + std::to_string(start) + " " + std::to_string(count));
        Keep(Get().pixelConstants, start, values, count);
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                      IDirect3DVertexDeclaration9** declaration) override
    {
        std::string call = "CreateVertexDeclaration";
        for (const D3DVERTEXELEMENT9* e = elements; e->Stream != 0xFF; ++e)
            call += " " + std::to_string(e->Offset) + ":" + DeclTypeName(e->Type) + ":" + DeclUsageName(e->Usage) +
                    ":" + std::to_string(e->UsageIndex);
        Record(call);
        *declaration = new VertexDeclaration("decl");
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override
    {
        Record("SetVertexDeclaration " + LabelOf(declaration));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                              UINT stride) override
    {
        Record("SetStreamSource " + std::to_string(stream) + " " + LabelOf(buffer) + " " + std::to_string(offset) +
               " " + std::to_string(stride));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) override
    {
        Record("DrawPrimitive " + PrimitiveName(type) + " " + std::to_string(start) + " " + std::to_string(count));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* indices) override
    {
        Record("SetIndices " + LabelOf(indices));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertices,
                                                   UINT startIndex, UINT count) override
    {
        Record("DrawIndexedPrimitive " + PrimitiveName(type) + " " + std::to_string(baseVertex) + " " +
               std::to_string(minIndex) + " " + std::to_string(vertices) + " " + std::to_string(startIndex) + " " +
               std::to_string(count));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        Record("SetRenderState " + RenderStateName(state) + " " + RenderStateValueName(state, value));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override
    {
        Record("SetSamplerState " + std::to_string(sampler) + " " + SamplerStateName(type) + " " +
               SamplerStateValueName(type, value));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override
    {
        Record("SetTexture " + std::to_string(stage) + " " + LabelOf(texture));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* shader) override
    {
        Record(std::string("SetVertexShader ") + (shader ? "shader" : "null"));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* shader) override
    {
        Record(std::string("SetPixelShader ") + (shader ? "shader" : "null"));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override
    {
        Record("SetRenderTarget " + std::to_string(index) + " " + LabelOf(surface));
        return D3D_OK;
    }

    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* surface) override
    {
        Record("SetDepthStencilSurface " + LabelOf(surface));
        return D3D_OK;
    }

    Surface* backBuffer;
    Surface* depth;
    int textures = 0;
    int depths = 0;
};

class Direct3D : public Counted<NullD3D9::Direct3D9>
{
public:
    Direct3D() : Counted("d3d") {}

    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND, DWORD flags,
                                           D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override
    {
        Record("CreateDevice " + std::to_string(adapter) + " " + DeviceTypeName(type) + " " + CreateFlagsName(flags));
        Get().presentParameters = *parameters;
        if (Get().createDeviceFails)
            return D3DERR_NOTAVAILABLE;
        *device = new Device;
        return D3D_OK;
    }
};
} // namespace

IDirect3D9* WINAPI Direct3DCreate9(UINT version)
{
    Record("Direct3DCreate9 " + std::to_string(version));
    if (Get().direct3DFails)
        return nullptr;
    return new Direct3D;
}
