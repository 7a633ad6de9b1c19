// Text drawn through the device over the picture: a monospaced font baked
// with stb_truetype into a texture at start-up, drawn as textured quads with
// the tool's own small shaders. Leaves the device state as it found it, so the
// show's renderer caches stay true.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Preview
{
struct OverlayLine
{
    std::string text;
    uint32_t colour; // 0xAARRGGBB
};

class Overlay
{
public:
    Overlay() = default;
    ~Overlay();

    // False with error set when the font or a shader cannot be made.
    bool Create(IDirect3DDevice9* device, int pixelHeight, std::string& error);

    // Panels of lines at the top left and at the bottom, drawn into the back
    // buffer; long lines wrap at the screen's width.
    void Draw(IDirect3DSurface9* backBuffer, int width, int height, const std::vector<OverlayLine>& top,
              const std::vector<OverlayLine>& bottom);

    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

private:
    struct Vertex
    {
        float x, y, z;
        DWORD colour;
        float u, v;
    };

    void AddQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1, DWORD colour);
    float AddText(float x, float y, const std::string& text, DWORD colour);
    std::vector<std::string> Wrap(const std::string& text, int width) const;
    void Flush(IDirect3DSurface9* backBuffer);

    IDirect3DDevice9* m_Device = nullptr;
    IDirect3DTexture9* m_Font = nullptr;
    IDirect3DVertexShader9* m_VertexShader = nullptr;
    IDirect3DPixelShader9* m_PixelShader = nullptr;
    IDirect3DVertexDeclaration9* m_Declaration = nullptr;
    std::vector<Vertex> m_Vertices;
    std::vector<unsigned char> m_Glyphs; // stbtt_bakedchar records
    int m_AtlasWidth = 512;
    int m_AtlasHeight = 256;
    int m_LineHeight = 0;
    float m_Advance = 0;
    float m_Ascent = 0;
    int m_ScreenWidth = 1;
    int m_ScreenHeight = 1;
};
} // namespace Preview
