// Writes the desktop icon in the show's look: the tunnel's cyan rings and
// light rays round a torus knot of glowing sparks, on a rounded dark square.
// Deterministic, so the committed files can be remade; run from the
// repository root:
//   quorl-make-icon
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "asset_files.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
const double kPi = 3.14159265358979323846;

struct Colour
{
    double r, g, b;
};

Colour operator+(Colour a, Colour b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Colour operator*(Colour a, double s)
{
    return {a.r * s, a.g * s, a.b * s};
}

const Colour kTunnel{0.25, 0.78, 0.88};
const Colour kEmber{1.0, 0.55, 0.2};
const Colour kKnotOutside{1.0, 0.55, 0.8};
const Colour kKnotInside{0.35, 0.5, 1.0};

struct Spark
{
    double x, y;
    Colour colour;
};

// A (2, 3) torus knot, tilted towards the viewer; the outside of the knot's
// torus warm, the inside blue, as the show's knots are coloured.
std::vector<Spark> KnotSparks()
{
    const int count = 84;
    const double tilt = 0.3;
    std::vector<Spark> sparks;
    for (int i = 0; i < count; ++i)
    {
        const double t = 2.0 * kPi * i / count;
        const double ring = 0.4 + 0.2 * std::cos(3.0 * t);
        const double x = ring * std::cos(2.0 * t);
        const double y = ring * std::sin(2.0 * t);
        const double z = 0.2 * std::sin(3.0 * t);
        const double outside = 0.5 + 0.5 * std::cos(3.0 * t);
        const Colour colour = kKnotOutside * outside + kKnotInside * (1.0 - outside);
        sparks.push_back({x, y * std::cos(tilt) - z * std::sin(tilt), colour});
    }
    return sparks;
}

// The light of the tunnel at (x, y), -1..1 across the icon: rings fogged
// towards the centre, one of them ember-coloured, and five rays.
Colour Tunnel(double x, double y)
{
    const double radius = std::sqrt(x * x + y * y);
    const double fog = SmoothStep(0.05, 0.8, radius);
    Colour light{0.0, 0.0, 0.0};
    for (int ring = 0; ring < 6; ++ring)
    {
        const double at = 0.95 / (1.0 + 0.55 * ring);
        const double width = 0.012 + 0.006 * at;
        const double glow = std::exp(-std::pow((radius - at) / width, 2.0));
        light = light + (ring == 2 ? kEmber : kTunnel) * (glow * 0.6);
    }
    const double angle = std::atan2(y, x);
    for (int ray = 0; ray < 5; ++ray)
    {
        double apart = std::remainder(angle - (0.4 + ray * 2.0 * kPi / 5.0), 2.0 * kPi);
        const double across = std::abs(apart) * radius;
        light = light + kTunnel * (0.5 * std::exp(-std::pow(across / (0.015 + 0.07 * radius), 2.0)));
    }
    return light * fog;
}

// Coverage of the rounded square at (x, y): 1 inside, 0 outside.
bool InsideSquare(double x, double y)
{
    const double half = 0.94, corner = 0.24;
    const double dx = std::max(0.0, std::abs(x) - (half - corner));
    const double dy = std::max(0.0, std::abs(y) - (half - corner));
    return std::abs(x) <= half && std::abs(y) <= half && dx * dx + dy * dy <= corner * corner;
}

std::vector<uint8_t> Icon(int size)
{
    const std::vector<Spark> sparks = KnotSparks();
    // Sparks at least a pixel and a bit wide, so the small icon keeps its knot;
    // each has a faint wide halo, as the glow pass gives bright things.
    const double sparkWidth = std::max(0.02, 2.4 / size);
    const double haloWidth = 0.08;
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (int py = 0; py < size; ++py)
    {
        for (int px = 0; px < size; ++px)
        {
            // 4 x 4 samples for the square's edge; the light is smooth enough for one.
            int covered = 0;
            for (int s = 0; s < 16; ++s)
            {
                const double sx = (px + (s % 4 + 0.5) / 4.0) / size * 2.0 - 1.0;
                const double sy = (py + (s / 4 + 0.5) / 4.0) / size * 2.0 - 1.0;
                covered += InsideSquare(sx, sy);
            }
            const double x = (px + 0.5) / size * 2.0 - 1.0;
            const double y = (py + 0.5) / size * 2.0 - 1.0;
            const double depth = std::sqrt(x * x + y * y);
            Colour light = Colour{0.02, 0.05, 0.16} * (1.0 - 0.7 * SmoothStep(0.0, 1.3, depth)) + Tunnel(x, y);
            for (const Spark& spark : sparks)
            {
                const double d2 = (x - spark.x) * (x - spark.x) + (y - spark.y) * (y - spark.y);
                light = light + spark.colour * (1.8 * std::exp(-d2 / (sparkWidth * sparkWidth)) +
                                                0.08 * std::exp(-d2 / (haloWidth * haloWidth)));
            }
            // Additive light saturates towards white, as the glow pass does.
            uint8_t* out = &rgba[(static_cast<size_t>(py) * size + px) * 4];
            out[0] = ToByte(1.0 - std::exp(-light.r));
            out[1] = ToByte(1.0 - std::exp(-light.g));
            out[2] = ToByte(1.0 - std::exp(-light.b));
            out[3] = ToByte(covered / 16.0);
        }
    }
    return rgba;
}
} // namespace

int main()
{
    bool ok = true;
    for (int size : {48, 256})
    {
        const std::string path = "tools/package/quorl_" + std::to_string(size) + ".png";
        const std::vector<uint8_t> rgba = Icon(size);
        ok &= Report(stbi_write_png(path.c_str(), size, size, 4, rgba.data(), size * 4) != 0, path);
    }
    return ok ? 0 : 1;
}
