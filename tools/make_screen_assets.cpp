// Writes the data files of the screen-space effects: the window frame
// (border.x, border.png), moopy's two images (blob.bmp, sincosnoise.bmp) and
// the fractal's palette (fractal_palette.png). Deterministic, so the
// committed files can be remade; run from the repository root:
//   quorl-make-screen-assets
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "asset_files.h"

#include <stb/stb_image_write.h>
#define STB_PERLIN_IMPLEMENTATION
#include <stb/stb_perlin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace
{
const double kPi = 3.14159265358979323846;

// A frame of four strips around the unit square. Vertices 0-3 are the inner
// corners (z = 0), 4-7 the outer ones (z = 1), which border.vsh pushes out
// along (2 xy - 1). Texture v runs from 0 on the inner edge to 1 on the
// outer. Every triangle runs clockwise on screen (y down), Direct3D's front
// face under the default culling; one material gives one subset.
const char kBorderMesh[] = R"(xof 0303txt 0032
Mesh Border {
 8;
 0.0;0.0;0.0;,
 1.0;0.0;0.0;,
 1.0;1.0;0.0;,
 0.0;1.0;0.0;,
 0.0;0.0;1.0;,
 1.0;0.0;1.0;,
 1.0;1.0;1.0;,
 0.0;1.0;1.0;;
 8;
 3;4,5,1;,
 3;4,1,0;,
 3;5,6,2;,
 3;5,2,1;,
 3;6,7,3;,
 3;6,3,2;,
 3;7,4,0;,
 3;7,0,3;;
 MeshMaterialList {
  1;
  8;
  0,0,0,0,0,0,0,0;;
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
  8;
  3;0,0,0;,
  3;0,0,0;,
  3;0,0,0;,
  3;0,0,0;,
  3;0,0,0;,
  3;0,0,0;,
  3;0,0,0;,
  3;0,0,0;;
 }
 MeshTextureCoords {
  8;
  0.5;0.0;,
  0.5;0.0;,
  0.5;0.0;,
  0.5;0.0;,
  0.5;1.0;,
  0.5;1.0;,
  0.5;1.0;,
  0.5;1.0;;
 }
}
)";

struct Colour
{
    double r, g, b;
};

Colour Mix(const Colour& a, const Colour& b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Piecewise smooth blend through (position, colour) stops sorted by position.
Colour Ramp(const std::vector<std::pair<double, Colour>>& stops, double t)
{
    if (t <= stops.front().first)
        return stops.front().second;
    for (size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].first)
            return Mix(stops[i - 1].second, stops[i].second, SmoothStep(stops[i - 1].first, stops[i].first, t));
    return stops.back().second;
}

// A bevelled steel frame across v: a dark seam at the picture, a bright
// ridge, a cooler slope and a dark outer rim.
std::vector<uint8_t> BorderImage(int size)
{
    const std::vector<std::pair<double, Colour>> stops = {
        {0.00, {0.03, 0.04, 0.06}}, {0.10, {0.05, 0.06, 0.09}}, {0.22, {0.92, 0.95, 1.00}}, {0.45, {0.62, 0.68, 0.80}},
        {0.80, {0.30, 0.36, 0.50}}, {0.92, {0.10, 0.12, 0.18}}, {1.00, {0.02, 0.02, 0.04}}};
    std::vector<uint8_t> pixels;
    for (int row = 0; row < size; ++row)
    {
        const Colour c = Ramp(stops, (row + 0.5) / size);
        for (int column = 0; column < size; ++column)
        {
            pixels.push_back(ToByte(c.r));
            pixels.push_back(ToByte(c.g));
            pixels.push_back(ToByte(c.b));
            pixels.push_back(255);
        }
    }
    return pixels;
}

// A radial fall-off, (1 - r^2)^2, reaching 0 a few texels inside the border
// so that clamped addressing gives 0 all around.
std::vector<uint8_t> BlobImage(int size)
{
    std::vector<uint8_t> pixels;
    const double radius = size * 0.5 - 3.0;
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column)
        {
            const double x = (column + 0.5 - size * 0.5) / radius;
            const double y = (row + 0.5 - size * 0.5) / radius;
            const double r2 = x * x + y * y;
            const uint8_t v = ToByte(r2 < 1.0 ? (1.0 - r2) * (1.0 - r2) : 0.0);
            pixels.insert(pixels.end(), {v, v, v});
        }
    return pixels;
}

// Red and green: one period of sine and cosine across u, the same on every
// row; blue: three octaves of gradient noise that wraps, so the image tiles.
std::vector<uint8_t> SinCosNoiseImage(int size)
{
    std::vector<double> noise;
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column)
        {
            const double u = (column + 0.5) / size, v = (row + 0.5) / size;
            double sum = 0.0, weight = 0.6;
            for (int cells = 4; cells <= 16; cells *= 2, weight *= 0.5)
            {
                const float x = static_cast<float>(u * cells), y = static_cast<float>(v * cells);
                sum += weight * stb_perlin_noise3(x, y, 0.0f, cells, cells, 0);
            }
            noise.push_back(sum);
        }
    const auto range = std::minmax_element(noise.begin(), noise.end());
    const double low = *range.first, high = *range.second;

    std::vector<uint8_t> pixels;
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column)
        {
            const double angle = 2.0 * kPi * (column + 0.5) / size;
            pixels.push_back(ToByte(0.5 + 0.5 * std::sin(angle)));
            pixels.push_back(ToByte(0.5 + 0.5 * std::cos(angle)));
            pixels.push_back(ToByte((noise[row * size + column] - low) / (high - low)));
        }
    return pixels;
}

// From pixels that escape at once (deep blue) through violet, rose and
// amber to near-white at the set's edge, and a dark indigo inside the set.
// The alpha is half the aspect of the target the fractal fills, 170 for 4:3;
// palette_aspect.psh gives the screen's instead.
std::vector<uint8_t> FractalPalette(int size)
{
    const std::vector<std::pair<double, Colour>> stops = {
        {0.00, {0.00, 0.01, 0.04}}, {0.25, {0.05, 0.06, 0.30}}, {0.45, {0.42, 0.10, 0.55}}, {0.62, {0.90, 0.25, 0.40}},
        {0.78, {1.00, 0.60, 0.15}}, {0.92, {1.00, 0.95, 0.75}}, {0.97, {0.35, 0.30, 0.55}}, {1.00, {0.06, 0.03, 0.14}}};
    std::vector<uint8_t> pixels;
    for (int column = 0; column < size; ++column)
    {
        const Colour c = Ramp(stops, (column + 0.5) / size);
        pixels.insert(pixels.end(), {ToByte(c.r), ToByte(c.g), ToByte(c.b), 170});
    }
    return pixels;
}

} // namespace

int main()
{
    MakeDataFolders();
    bool ok = true;

    const char* mesh = "data/models/border.x";
    ok &= Report(WriteText(mesh, kBorderMesh), mesh);

    const char* border = "data/textures/border.png";
    const std::vector<uint8_t> borderPixels = BorderImage(32);
    ok &= Report(stbi_write_png(border, 32, 32, 4, borderPixels.data(), 32 * 4) != 0, border);

    // 24-bit BMP files: stbi_write_bmp writes three components without alpha.
    const char* blob = "data/textures/blob.bmp";
    const std::vector<uint8_t> blobPixels = BlobImage(128);
    ok &= Report(stbi_write_bmp(blob, 128, 128, 3, blobPixels.data()) != 0, blob);

    const char* waves = "data/textures/sincosnoise.bmp";
    const std::vector<uint8_t> wavePixels = SinCosNoiseImage(256);
    ok &= Report(stbi_write_bmp(waves, 256, 256, 3, wavePixels.data()) != 0, waves);

    const char* palette = "data/textures/fractal_palette.png";
    const std::vector<uint8_t> palettePixels = FractalPalette(256);
    ok &= Report(stbi_write_png(palette, 256, 1, 4, palettePixels.data(), 256 * 4) != 0, palette);

    return ok ? 0 : 1;
}
