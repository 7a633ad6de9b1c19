#include "preview/overlay.h"

#include <d3dx9.h>
#include <stb/stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace Preview
{
namespace
{
const char kFontPath[] = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
const int kFirstChar = 32;
const int kCharCount = 96;

// Positions arrive in clip space already, so no constant register is touched.
const char kShaderSource[] = R"(
struct VertexIn
{
    float4 position : POSITION;
    float4 colour : COLOR0;
    float2 uv : TEXCOORD0;
};
struct VertexOut
{
    float4 position : POSITION;
    float4 colour : COLOR0;
    float2 uv : TEXCOORD0;
};
VertexOut MainVS(VertexIn input)
{
    VertexOut output;
    output.position = float4(input.position.xy, 0.0, 1.0);
    output.colour = input.colour;
    output.uv = input.uv;
    return output;
}
sampler2D glyphs : register(s0);
float4 MainPS(float4 colour : COLOR0, float2 uv : TEXCOORD0) : COLOR0
{
    return colour * tex2D(glyphs, uv);
}
)";

// The layer and D3DX compile from files: the source goes through a temporary one.
bool CompileShader(const char* entry, const char* profile, ID3DXBuffer** code, std::string& error)
{
    char path[] = "/tmp/quorl-preview-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
    {
        error = "cannot write the overlay shader to /tmp";
        return false;
    }
    bool written = write(fd, kShaderSource, sizeof kShaderSource - 1) == static_cast<ssize_t>(sizeof kShaderSource - 1);
    close(fd);
    ID3DXBuffer* errors = nullptr;
    HRESULT hr =
        written ? D3DXCompileShaderFromFileA(path, NULL, NULL, entry, profile, 0, code, &errors, NULL) : E_FAIL;
    unlink(path);
    if (FAILED(hr))
    {
        error = std::string("the overlay shader does not compile: ") +
                (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        if (errors)
            errors->Release();
        return false;
    }
    if (errors)
        errors->Release();
    return true;
}

template <class T>
void Release(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

const stbtt_bakedchar* Glyph(const std::vector<unsigned char>& glyphs, char c)
{
    int index = static_cast<unsigned char>(c) - kFirstChar;
    if (index < 0 || index >= kCharCount)
        index = '?' - kFirstChar;
    return reinterpret_cast<const stbtt_bakedchar*>(glyphs.data()) + index;
}
} // namespace

Overlay::~Overlay()
{
    Release(m_Declaration);
    Release(m_PixelShader);
    Release(m_VertexShader);
    Release(m_Font);
}

bool Overlay::Create(IDirect3DDevice9* device, int pixelHeight, std::string& error)
{
    m_Device = device;
    std::ifstream file(kFontPath, std::ios::binary);
    std::vector<unsigned char> ttf((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (ttf.empty())
    {
        error = std::string("cannot read the font ") + kFontPath + " (package fonts-dejavu-core)";
        return false;
    }
    std::vector<unsigned char> coverage(static_cast<size_t>(m_AtlasWidth) * m_AtlasHeight);
    m_Glyphs.resize(sizeof(stbtt_bakedchar) * kCharCount);
    int rows = stbtt_BakeFontBitmap(ttf.data(), 0, static_cast<float>(pixelHeight), coverage.data(), m_AtlasWidth,
                                    m_AtlasHeight, kFirstChar, kCharCount,
                                    reinterpret_cast<stbtt_bakedchar*>(m_Glyphs.data()));
    if (rows <= 0 || rows > m_AtlasHeight - 4)
    {
        error = "the overlay font does not fit its texture";
        return false;
    }
    stbtt_fontinfo info;
    stbtt_InitFont(&info, ttf.data(), 0);
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    float scale = stbtt_ScaleForPixelHeight(&info, static_cast<float>(pixelHeight));
    m_Ascent = std::ceil(ascent * scale);
    m_LineHeight = static_cast<int>(std::ceil((ascent - descent + gap) * scale)) + 1;
    m_Advance = Glyph(m_Glyphs, 'M')->xadvance;
    // A solid 2x2 block in the bottom-right corner draws the panels.
    for (int y = m_AtlasHeight - 2; y < m_AtlasHeight; ++y)
        for (int x = m_AtlasWidth - 2; x < m_AtlasWidth; ++x)
            coverage[static_cast<size_t>(y) * m_AtlasWidth + x] = 255;

    if (FAILED(
            device->CreateTexture(m_AtlasWidth, m_AtlasHeight, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &m_Font, NULL)))
    {
        error = "cannot create the overlay font texture";
        return false;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(m_Font->LockRect(0, &locked, NULL, 0)))
    {
        error = "cannot fill the overlay font texture";
        return false;
    }
    for (int y = 0; y < m_AtlasHeight; ++y)
    {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<unsigned char*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < m_AtlasWidth; ++x)
            row[x] = (static_cast<uint32_t>(coverage[static_cast<size_t>(y) * m_AtlasWidth + x]) << 24) | 0xFFFFFFu;
    }
    m_Font->UnlockRect(0);

    ID3DXBuffer* code = nullptr;
    if (!CompileShader("MainVS", "vs_2_0", &code, error))
        return false;
    HRESULT hr = device->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &m_VertexShader);
    code->Release();
    if (FAILED(hr) || !CompileShader("MainPS", "ps_2_0", &code, error))
    {
        if (FAILED(hr))
            error = "cannot create the overlay vertex shader";
        return false;
    }
    hr = device->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), &m_PixelShader);
    code->Release();
    if (FAILED(hr))
    {
        error = "cannot create the overlay pixel shader";
        return false;
    }
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
                                          {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    if (FAILED(device->CreateVertexDeclaration(elements, &m_Declaration)))
    {
        error = "cannot create the overlay vertex declaration";
        return false;
    }
    return true;
}

void Overlay::AddQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1, DWORD colour)
{
    // Pixels to clip space, y up; Direct3D 9 samples texel centres half a pixel in.
    x0 -= 0.5f;
    y0 -= 0.5f;
    x1 -= 0.5f;
    y1 -= 0.5f;
    float sx = 2.0f / static_cast<float>(m_ScreenWidth);
    float sy = 2.0f / static_cast<float>(m_ScreenHeight);
    Vertex a = {x0 * sx - 1.0f, 1.0f - y0 * sy, 0.0f, colour, u0, v0};
    Vertex b = {x1 * sx - 1.0f, 1.0f - y0 * sy, 0.0f, colour, u1, v0};
    Vertex c = {x1 * sx - 1.0f, 1.0f - y1 * sy, 0.0f, colour, u1, v1};
    Vertex d = {x0 * sx - 1.0f, 1.0f - y1 * sy, 0.0f, colour, u0, v1};
    m_Vertices.insert(m_Vertices.end(), {a, b, c, a, c, d});
}

float Overlay::AddText(float x, float y, const std::string& text, DWORD colour)
{
    float penX = x;
    float penY = y + m_Ascent;
    for (char c : text)
    {
        stbtt_aligned_quad quad;
        int index = static_cast<unsigned char>(c) - kFirstChar;
        if (index < 0 || index >= kCharCount)
            index = '?' - kFirstChar;
        stbtt_GetBakedQuad(reinterpret_cast<const stbtt_bakedchar*>(m_Glyphs.data()), m_AtlasWidth, m_AtlasHeight,
                           index, &penX, &penY, &quad, 1);
        if (quad.x1 > quad.x0)
            AddQuad(quad.x0, quad.y0, quad.x1, quad.y1, quad.s0, quad.t0, quad.s1, quad.t1, colour);
    }
    return penX;
}

std::vector<std::string> Overlay::Wrap(const std::string& text, int width) const
{
    size_t columns = static_cast<size_t>(std::max(8.0f, (static_cast<float>(width) - 24.0f) / m_Advance));
    std::vector<std::string> lines;
    std::string rest = text;
    while (rest.size() > columns)
    {
        size_t cut = rest.rfind(' ', columns);
        if (cut == std::string::npos || cut < columns / 2)
            cut = columns;
        lines.push_back(rest.substr(0, cut));
        rest = "  " + rest.substr(cut + (rest[cut] == ' ' ? 1 : 0));
    }
    lines.push_back(rest);
    return lines;
}

void Overlay::Draw(IDirect3DSurface9* backBuffer, int width, int height, const std::vector<OverlayLine>& top,
                   const std::vector<OverlayLine>& bottom)
{
    if (!m_Font || !m_VertexShader || !m_PixelShader || !m_Declaration)
        return;
    m_ScreenWidth = width;
    m_ScreenHeight = height;
    m_Vertices.clear();

    const float u = (static_cast<float>(m_AtlasWidth) - 1.0f) / static_cast<float>(m_AtlasWidth);
    const float v = (static_cast<float>(m_AtlasHeight) - 1.0f) / static_cast<float>(m_AtlasHeight);
    const DWORD panel = 0xA0000000;
    const float margin = 6.0f;
    auto drawPanel = [&](const std::vector<OverlayLine>& lines, bool atBottom)
    {
        std::vector<OverlayLine> wrapped;
        for (const OverlayLine& line : lines)
            for (const std::string& part : Wrap(line.text, width))
                wrapped.push_back({part, line.colour});
        if (wrapped.empty())
            return;
        size_t longest = 0;
        for (const OverlayLine& line : wrapped)
            longest = std::max(longest, line.text.size());
        float panelWidth = std::min(static_cast<float>(width), static_cast<float>(longest) * m_Advance + 2 * margin);
        float panelHeight = static_cast<float>(wrapped.size() * m_LineHeight) + 2 * margin;
        float y0 = atBottom ? static_cast<float>(height) - panelHeight : 0.0f;
        AddQuad(0.0f, y0, panelWidth, y0 + panelHeight, u, v, u, v, panel);
        float y = y0 + margin;
        for (const OverlayLine& line : wrapped)
        {
            AddText(margin, y, line.text, line.colour);
            y += static_cast<float>(m_LineHeight);
        }
    };
    drawPanel(top, false);
    drawPanel(bottom, true);
    Flush(backBuffer);
}

void Overlay::Flush(IDirect3DSurface9* backBuffer)
{
    // Draw into the back buffer; everything touched is put back afterwards.
    IDirect3DDevice9* device = m_Device;
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* depth = nullptr;
    D3DVIEWPORT9 viewport;
    device->GetRenderTarget(0, &target);
    device->GetDepthStencilSurface(&depth);
    device->GetViewport(&viewport);
    IDirect3DBaseTexture9* texture = nullptr;
    device->GetTexture(0, &texture);
    IDirect3DVertexShader9* vertexShader = nullptr;
    IDirect3DPixelShader9* pixelShader = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    device->GetVertexShader(&vertexShader);
    device->GetPixelShader(&pixelShader);
    device->GetVertexDeclaration(&declaration);
    IDirect3DVertexBuffer9* stream = nullptr;
    UINT streamOffset = 0, streamStride = 0;
    device->GetStreamSource(0, &stream, &streamOffset, &streamStride);

    const D3DRENDERSTATETYPE states[] = {D3DRS_ZENABLE,   D3DRS_ZWRITEENABLE, D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,
                                         D3DRS_DESTBLEND, D3DRS_CULLMODE,     D3DRS_ALPHATESTENABLE};
    const DWORD ours[] = {D3DZB_FALSE, FALSE, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DCULL_NONE, FALSE};
    DWORD saved[sizeof states / sizeof states[0]];
    for (size_t i = 0; i < sizeof states / sizeof states[0]; ++i)
    {
        device->GetRenderState(states[i], &saved[i]);
        device->SetRenderState(states[i], ours[i]);
    }
    const D3DSAMPLERSTATETYPE samplers[] = {D3DSAMP_MINFILTER, D3DSAMP_MAGFILTER};
    DWORD savedSamplers[2];
    for (int i = 0; i < 2; ++i)
    {
        device->GetSamplerState(0, samplers[i], &savedSamplers[i]);
        device->SetSamplerState(0, samplers[i], D3DTEXF_POINT);
    }

    device->SetRenderTarget(0, backBuffer);
    device->SetTexture(0, m_Font);
    device->SetVertexShader(m_VertexShader);
    device->SetPixelShader(m_PixelShader);
    device->SetVertexDeclaration(m_Declaration);
    if (device->BeginScene() == D3D_OK)
    {
        if (!m_Vertices.empty())
            device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(m_Vertices.size() / 3), m_Vertices.data(),
                                    sizeof(Vertex));
        device->EndScene();
    }

    device->SetRenderTarget(0, target);
    device->SetDepthStencilSurface(depth);
    device->SetViewport(&viewport);
    device->SetTexture(0, texture);
    device->SetVertexShader(vertexShader);
    device->SetPixelShader(pixelShader);
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, stream, streamOffset, streamStride);
    for (size_t i = 0; i < sizeof states / sizeof states[0]; ++i)
        device->SetRenderState(states[i], saved[i]);
    for (int i = 0; i < 2; ++i)
        device->SetSamplerState(0, samplers[i], savedSamplers[i]);
    Release(stream);
    Release(declaration);
    Release(pixelShader);
    Release(vertexShader);
    Release(texture);
    Release(depth);
    Release(target);
}
} // namespace Preview
