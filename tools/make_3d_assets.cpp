// Writes the meshes and images of the 3D effects: a torus and a trefoil-knot
// tube for env_model (text .x files with normals and texture coordinates), a
// sphere-mapped environment and a tileable tunnel wall. Deterministic, so the
// committed files can be remade; run from the repository root:
//   quorl-make-3d-assets
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "asset_files.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{
const double kPi = 3.14159265358979323846;

struct Vec3
{
    double x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
double Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Normalize(Vec3 a)
{
    return a * (1.0 / std::sqrt(Dot(a, a)));
}

struct Vertex
{
    Vec3 position;
    Vec3 normal;
    double u, v;
};

struct Mesh
{
    std::vector<Vertex> vertices;
    std::vector<int> triangles; // three indices each
};

// A closed parametric surface sampled on a (rings + 1) x (sides + 1) grid; the
// last row and column repeat the first with texture coordinate 1, so the
// seams carry their own coordinates. surface(s, t) gives the position and the
// outward normal for s, t in 0..1.
Mesh Sweep(int rings, int sides, const std::function<Vertex(double, double)>& surface)
{
    Mesh mesh;
    for (int i = 0; i <= rings; ++i)
        for (int j = 0; j <= sides; ++j)
        {
            Vertex v = surface(static_cast<double>(i % rings) / rings, static_cast<double>(j % sides) / sides);
            v.u = static_cast<double>(i) / rings;
            v.v = static_cast<double>(j) / sides;
            mesh.vertices.push_back(v);
        }
    const int row = sides + 1;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < sides; ++j)
        {
            const int a = i * row + j, b = (i + 1) * row + j, c = (i + 1) * row + j + 1, d = i * row + j + 1;
            for (int t : {a, b, c, a, c, d})
                mesh.triangles.push_back(t);
        }
    // Direct3D's front faces run clockwise on screen under its default culling:
    // (b - a) x (c - a) points out of the surface.
    for (size_t t = 0; t < mesh.triangles.size(); t += 3)
    {
        const Vertex& a = mesh.vertices[mesh.triangles[t]];
        const Vertex& b = mesh.vertices[mesh.triangles[t + 1]];
        const Vertex& c = mesh.vertices[mesh.triangles[t + 2]];
        const Vec3 face = Cross(b.position - a.position, c.position - a.position);
        if (Dot(face, a.normal + b.normal + c.normal) < 0.0)
            std::swap(mesh.triangles[t + 1], mesh.triangles[t + 2]);
    }
    return mesh;
}

Vertex TorusPoint(double s, double t)
{
    const double major = 0.8, minor = 0.32;
    const double a = s * 2.0 * kPi, b = t * 2.0 * kPi;
    const Vec3 normal{std::cos(a) * std::cos(b), std::sin(a) * std::cos(b), std::sin(b)};
    const Vec3 centre{std::cos(a) * major, std::sin(a) * major, 0.0};
    return {centre + normal * minor, normal, 0, 0};
}

// A trefoil knot, scaled to about the torus's size, as a tube whose section
// swells and narrows three times along its length.
Vec3 Trefoil(double a)
{
    const double scale = 0.3;
    return Vec3{std::sin(a) + 2.0 * std::sin(2.0 * a), std::cos(a) - 2.0 * std::cos(2.0 * a), -std::sin(3.0 * a)} *
           scale;
}

Vertex KnotPoint(double s, double t)
{
    const double a = s * 2.0 * kPi, b = t * 2.0 * kPi;
    const double h = 1e-4;
    const Vec3 centre = Trefoil(a);
    const Vec3 derivative = (Trefoil(a + h) - Trefoil(a - h)) * (1.0 / (2.0 * h));
    const Vec3 tangent = Normalize(derivative);
    const Vec3 side = Normalize(Cross(tangent, Vec3{0.0, 0.0, 1.0}));
    const Vec3 up = Cross(side, tangent);
    const Vec3 normal = side * std::cos(b) + up * std::sin(b);
    const double radius = 0.13 + 0.04 * std::cos(6.0 * a);
    Vertex v{centre + normal * radius, normal, 0, 0};
    // The swelling tilts the true normal along the tangent by the radius's
    // change per unit of length.
    const double slope = -0.24 * std::sin(6.0 * a) / std::sqrt(Dot(derivative, derivative));
    v.normal = Normalize(normal - tangent * slope);
    return v;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", std::fabs(value) < 5e-7 ? 0.0 : value);
    return text;
}

// Text .x: positions, one material, per-vertex normals and texture coordinates.
std::string XFile(const std::string& name, const Mesh& mesh)
{
    const size_t count = mesh.vertices.size(), faces = mesh.triangles.size() / 3;
    std::string out = "xof 0303txt 0032\nMesh " + name + " {\n " + std::to_string(count) + ";\n";
    for (size_t i = 0; i < count; ++i)
    {
        const Vec3& p = mesh.vertices[i].position;
        out += " " + Number(p.x) + ";" + Number(p.y) + ";" + Number(p.z) + ";" + (i + 1 < count ? "," : ";") + "\n";
    }
    std::string faceList = " " + std::to_string(faces) + ";\n";
    for (size_t f = 0; f < faces; ++f)
        faceList += " 3;" + std::to_string(mesh.triangles[3 * f]) + "," + std::to_string(mesh.triangles[3 * f + 1]) +
                    "," + std::to_string(mesh.triangles[3 * f + 2]) + ";" + (f + 1 < faces ? "," : ";") + "\n";
    out += faceList;
    out += " MeshMaterialList {\n  1;\n  " + std::to_string(faces) + ";\n";
    for (size_t f = 0; f < faces; ++f)
        out += std::string(f == 0 ? "  " : "") + "0" + (f + 1 < faces ? "," : ";;\n");
    out += "  Material Metal {\n   1.0;1.0;1.0;1.0;;\n   0.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n  }\n }\n";
    out += " MeshNormals {\n  " + std::to_string(count) + ";\n";
    for (size_t i = 0; i < count; ++i)
    {
        const Vec3& n = mesh.vertices[i].normal;
        out += "  " + Number(n.x) + ";" + Number(n.y) + ";" + Number(n.z) + ";" + (i + 1 < count ? "," : ";") + "\n";
    }
    out += faceList;
    out += " }\n MeshTextureCoords {\n  " + std::to_string(count) + ";\n";
    for (size_t i = 0; i < count; ++i)
        out += "  " + Number(mesh.vertices[i].u) + ";" + Number(mesh.vertices[i].v) + ";" +
               (i + 1 < count ? "," : ";") + "\n";
    out += " }\n}\n";
    return out;
}

Vec3 Mix(Vec3 a, Vec3 b, double t)
{
    return a * (1.0 - t) + b * t;
}

// Renders a size x size RGB image from a shading function of (u, v) in 0..1,
// v down, averaging 4 x 4 samples a pixel.
std::vector<uint8_t> Render(int size, const std::function<Vec3(double, double)>& shade)
{
    const int n = 4;
    std::vector<uint8_t> pixels;
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column)
        {
            Vec3 sum{0, 0, 0};
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx)
                    sum = sum + shade((column + (sx + 0.5) / n) / size, (row + (sy + 0.5) / n) / size);
            for (double c : {sum.x, sum.y, sum.z})
                pixels.push_back(static_cast<uint8_t>(std::lround(Clamp01(c / (n * n)) * 255.0)));
        }
    return pixels;
}

// The world around the show, by direction (y up): a sky from a warm horizon
// to deep blue with streaks of cloud, a low sun behind the viewer's left
// shoulder, a skyline of dark blocks, and a dark floor with a bright grid.
Vec3 World(Vec3 r)
{
    const Vec3 sunDirection = Normalize(Vec3{-0.45, 0.35, -0.8});
    const double toSun = Dot(r, sunDirection);
    const double sun = SmoothStep(0.9985, 0.9992, toSun) * 4.0 + std::pow(std::max(0.0, toSun), 40.0) * 0.6;
    const double azimuth = std::atan2(r.x, r.z);
    if (r.y >= 0.0)
    {
        const double up = r.y;
        Vec3 sky = Mix(Vec3{1.0, 0.78, 0.55}, Vec3{0.08, 0.2, 0.55}, std::pow(up, 0.45));
        const double streak = 0.5 + 0.5 * std::sin(azimuth * 7.0 + std::sin(azimuth * 3.0) * 2.0 + up * 9.0);
        const double cloud =
            SmoothStep(0.6, 0.95, streak) * SmoothStep(0.05, 0.2, up) * (1.0 - SmoothStep(0.5, 0.8, up));
        sky = Mix(sky, Vec3{0.95, 0.93, 0.9}, cloud * 0.6);
        // Blocks on the horizon, their heights from the azimuth in steps.
        const double cell = std::floor((azimuth + kPi) / (2.0 * kPi) * 40.0);
        const double height = 0.04 + 0.12 * std::fabs(std::sin(cell * 12.9898) * 0.5 + std::sin(cell * 4.1414) * 0.5);
        if (up < height)
            sky = Vec3{0.06, 0.05, 0.08};
        return sky + Vec3{1.0, 0.95, 0.8} * sun;
    }
    // The floor plane one unit down, seen along r.
    const double distance = 1.0 / -r.y;
    const double x = r.x * distance, z = r.z * distance;
    const double gx = std::fabs(x - std::round(x)), gz = std::fabs(z - std::round(z));
    const double line = std::max(1.0 - SmoothStep(0.0, 0.04, gx), 1.0 - SmoothStep(0.0, 0.04, gz));
    const double fade = std::exp(-distance * 0.08);
    Vec3 floor = Mix(Vec3{0.02, 0.02, 0.03}, Vec3{0.3, 0.7, 1.0}, line * fade);
    return Mix(Vec3{0.5, 0.42, 0.38}, floor, SmoothStep(0.0, 0.25, -r.y));
}

// A sphere map: the picture of a mirror ball seen along +z, so that texel
// (u, v) holds the world in the direction the ball reflects the view there.
Vec3 SphereMap(double u, double v)
{
    const double sx = u * 2.0 - 1.0, sy = 1.0 - v * 2.0;
    const double s2 = sx * sx + sy * sy;
    if (s2 >= 1.0)
        return World(Vec3{0.0, 0.0, 1.0});
    const Vec3 normal{sx, sy, -std::sqrt(1.0 - s2)};
    const Vec3 view{0.0, 0.0, 1.0};
    return World(Normalize(view - normal * (2.0 * Dot(view, normal))));
}

// Riveted wall panels with glowing seams; every term repeats with period 1
// in u and v, so the texture tiles.
Vec3 TunnelWall(double u, double v)
{
    const int panels = 4;
    const double pu = u * panels, pv = v * panels;
    const int cu = static_cast<int>(std::floor(pu)) % panels, cv = static_cast<int>(std::floor(pv)) % panels;
    const double fu = pu - std::floor(pu), fv = pv - std::floor(pv);
    const double shade = 0.25 + 0.15 * std::fabs(std::sin((cu * 7 + cv * 13) * 1.7));
    Vec3 colour = Vec3{0.55, 0.6, 0.7} * shade;
    // Fine brushed lines within each panel.
    colour = colour * (0.9 + 0.1 * std::sin(fv * 2.0 * kPi * 24.0));
    // Rivets near the corners.
    for (double ru : {0.12, 0.88})
        for (double rv : {0.12, 0.88})
        {
            const double d = std::hypot(fu - ru, fv - rv);
            colour = Mix(colour, Vec3{0.8, 0.8, 0.85}, 1.0 - SmoothStep(0.025, 0.04, d));
        }
    // Seams between the panels glow cyan, one diagonal stripe orange.
    const double edge = std::min(std::min(fu, 1.0 - fu), std::min(fv, 1.0 - fv));
    colour = colour + Vec3{0.2, 0.8, 1.0} * (1.0 - SmoothStep(0.0, 0.05, edge));
    const double stripe = std::fabs(std::sin((u + v) * kPi * 2.0));
    colour = colour + Vec3{1.0, 0.45, 0.1} * (1.0 - SmoothStep(0.0, 0.06, stripe)) * 0.8;
    return colour;
}

bool WritePng(const std::string& path, int size, const std::function<Vec3(double, double)>& shade)
{
    const std::vector<uint8_t> pixels = Render(size, shade);
    return stbi_write_png(path.c_str(), size, size, 3, pixels.data(), size * 3) != 0;
}
} // namespace

int main()
{
    MakeDataFolders();
    bool ok = true;

    const std::string torus = "data/models/torus.x";
    ok &= Report(WriteText(torus, XFile("Torus", Sweep(48, 24, TorusPoint))), torus);
    const std::string knot = "data/models/knot.x";
    ok &= Report(WriteText(knot, XFile("Knot", Sweep(144, 14, KnotPoint))), knot);

    const std::string environment = "data/textures/environment.png";
    ok &= Report(WritePng(environment, 256, SphereMap), environment);
    const std::string tunnel = "data/textures/tunnel.png";
    ok &= Report(WritePng(tunnel, 256, TunnelWall), tunnel);
    return ok ? 0 : 1;
}
