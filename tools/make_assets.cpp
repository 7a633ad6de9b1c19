// Writes the mesh and the sprite images that the quad and particle effects
// draw with. Deterministic, so the committed files can be remade; run from
// the repository root:
//   quorl-make-assets
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "asset_files.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

namespace
{
const int kSpriteSize = 64;
const int kSupersample = 4; // per axis, so the circles' edges are smooth

struct Rgba
{
    double r, g, b, a;
};

// The unit square, y down as on the target, with texture coordinates equal
// to the positions. Both triangles run clockwise on screen, Direct3D's front
// face under the default culling. One explicit material, so that every
// loader gives the mesh exactly one subset.
const char kQuadMesh[] = R"(xof 0303txt 0032
Mesh Quad2D {
 4;
 0.0;0.0;0.0;,
 1.0;0.0;0.0;,
 1.0;1.0;0.0;,
 0.0;1.0;0.0;;
 2;
 3;0,1,2;,
 3;0,2,3;;
 MeshMaterialList {
  1;
  2;
  0,0;;
  Material White {
   1.0;1.0;1.0;1.0;;
   0.0;
   0.0;0.0;0.0;;
   0.0;0.0;0.0;;
  }
 }
 MeshNormals {
  1;
  0.0;0.0;-1.0;;
  2;
  3;0,0,0;,
  3;0,0,0;;
 }
 MeshTextureCoords {
  4;
  0.0;0.0;,
  1.0;0.0;,
  1.0;1.0;,
  0.0;1.0;;
 }
}
)";

// Renders a square sprite from a shading function of the point (x, y), both
// -1..1 across the image, y down. Each pixel averages a grid of samples.
std::vector<uint8_t> Render(const std::function<Rgba(double, double)>& shade)
{
    std::vector<uint8_t> pixels;
    pixels.reserve(kSpriteSize * kSpriteSize * 4);
    for (int row = 0; row < kSpriteSize; ++row)
        for (int column = 0; column < kSpriteSize; ++column)
        {
            Rgba sum{0, 0, 0, 0};
            for (int sy = 0; sy < kSupersample; ++sy)
                for (int sx = 0; sx < kSupersample; ++sx)
                {
                    const double x = (column + (sx + 0.5) / kSupersample) * 2.0 / kSpriteSize - 1.0;
                    const double y = (row + (sy + 0.5) / kSupersample) * 2.0 / kSpriteSize - 1.0;
                    const Rgba c = shade(x, y);
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                    sum.a += c.a;
                }
            const double n = kSupersample * kSupersample;
            pixels.push_back(ToByte(sum.r / n));
            pixels.push_back(ToByte(sum.g / n));
            pixels.push_back(ToByte(sum.b / n));
            pixels.push_back(ToByte(sum.a / n));
        }
    return pixels;
}

// White everywhere, so filtering never darkens the edge; the glow lives in
// alpha alone and reaches 0 exactly at the inscribed circle.
Rgba Glow(double x, double y)
{
    const double r2 = x * x + y * y;
    const double falloff = r2 < 1.0 ? (1.0 - r2) * (1.0 - r2) : 0.0;
    return {1.0, 1.0, 1.0, falloff};
}

// Drawn for additive blending: black is transparent. A thin bright rim with a
// faint thin-film shimmer, an interior that brightens towards the rim, and a
// small highlight up and to the left.
Rgba Bubble(double x, double y)
{
    const double r = std::sqrt(x * x + y * y);
    if (r >= 1.0)
        return {0, 0, 0, 0};
    const double rim = std::exp(-std::pow((r - 0.88) / 0.05, 2.0));
    const double interior = 0.06 + 0.22 * std::pow(r, 4.0);
    const double hx = x + 0.38, hy = y + 0.38;
    const double highlight = std::exp(-(hx * hx + hy * hy) / (2.0 * 0.09 * 0.09));
    const double edge = 1.0 - SmoothStep(0.95, 1.0, r);

    // The shimmer tints the rim slightly by angle; its mean stays white.
    const double angle = std::atan2(y, x);
    const double film = 0.12 * rim;
    const double level = (interior + 0.85 * rim) * edge;
    Rgba c{level * (1.0 - film + film * std::cos(angle)), level * (1.0 - film + film * std::cos(angle - 2.0943951)),
           level * (1.0 - film + film * std::cos(angle + 2.0943951)), 0};
    c.r = Clamp01(c.r + highlight);
    c.g = Clamp01(c.g + highlight);
    c.b = Clamp01(c.b + highlight);
    c.a = std::max(c.r, std::max(c.g, c.b));
    return c;
}

} // namespace

int main()
{
    MakeDataFolders();
    bool ok = true;

    const char* mesh = "data/models/quad2d.x";
    ok &= Report(WriteText(mesh, kQuadMesh), mesh);

    const char* particle = "data/textures/particle.png";
    const std::vector<uint8_t> glow = Render(Glow);
    ok &= Report(stbi_write_png(particle, kSpriteSize, kSpriteSize, 4, glow.data(), kSpriteSize * 4) != 0, particle);

    // Run-length encoding is optional in TGA and not every reader has it.
    stbi_write_tga_with_rle = 0;
    const char* bubble = "data/textures/bubble.tga";
    const std::vector<uint8_t> bubblePixels = Render(Bubble);
    ok &= Report(stbi_write_tga(bubble, kSpriteSize, kSpriteSize, 4, bubblePixels.data()) != 0, bubble);

    return ok ? 0 : 1;
}
