// Load times of D3DX files on this machine's GL: a 1024 x 1024 PNG, a
// 512 x 512 TGA and a 5,000-face text .x mesh, each made here first.
#include "support/bench_device.h"
#include "support/temp_dir.h"

#include <d3d9.h>
#include <d3dx9.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace
{
std::vector<unsigned char> Pattern(int size, int channels)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(size) * size * channels);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>((i * 7) ^ (i >> 9));
    return pixels;
}

// A grid of 50 x 50 quads, two triangles each: 5,000 faces.
void WriteGrid(const std::string& path)
{
    const int cells = 50;
    std::ofstream out(path);
    out << "xof 0303txt 0032\nMesh grid {\n" << (cells + 1) * (cells + 1) << ";\n";
    for (int y = 0; y <= cells; ++y)
        for (int x = 0; x <= cells; ++x)
            out << x << ";" << y << ";0;" << (y == cells && x == cells ? ";\n" : ",\n");
    out << cells * cells * 2 << ";\n";
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x)
        {
            int a = y * (cells + 1) + x, b = a + 1, c = a + cells + 1, d = c + 1;
            bool last = y == cells - 1 && x == cells - 1;
            out << "3;" << a << "," << b << "," << c << ";,\n3;" << b << "," << d << "," << c << ";"
                << (last ? ";\n" : ",\n");
        }
    out << "}\n";
}

template <class Load>
double Milliseconds(int runs, Load load)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        load();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / runs;
}
} // namespace

int main()
{
    TempDir dir;
    std::string png = (dir.Path() / "big.png").string();
    std::string tga = (dir.Path() / "mid.tga").string();
    std::string mesh = (dir.Path() / "grid.x").string();
    stbi_write_png(png.c_str(), 1024, 1024, 4, Pattern(1024, 4).data(), 1024 * 4);
    stbi_write_tga(tga.c_str(), 512, 512, 4, Pattern(512, 4).data());
    WriteGrid(mesh);

    BenchDevice bench;
    if (!bench.Open(64, 64))
    {
        std::fprintf(stderr, "no device\n");
        return 1;
    }
    IDirect3DDevice9* device = bench.device;

    auto texture = [&](const std::string& path)
    {
        IDirect3DTexture9* result = nullptr;
        if (SUCCEEDED(D3DXCreateTextureFromFileA(device, path.c_str(), &result)))
            result->Release();
        else
            std::fprintf(stderr, "failed: %s\n", path.c_str());
    };
    double pngMs = Milliseconds(10, [&] { texture(png); });
    double tgaMs = Milliseconds(20, [&] { texture(tga); });
    double meshMs = Milliseconds(20,
                                 [&]
                                 {
                                     ID3DXMesh* result = nullptr;
                                     ID3DXBuffer* materials = nullptr;
                                     DWORD count = 0;
                                     if (SUCCEEDED(D3DXLoadMeshFromXA(mesh.c_str(), D3DXMESH_MANAGED, device, nullptr,
                                                                      &materials, nullptr, &count, &result)))
                                     {
                                         result->Release();
                                         if (materials)
                                             materials->Release();
                                     }
                                     else
                                         std::fprintf(stderr, "failed: %s\n", mesh.c_str());
                                 });
    std::printf("1024x1024 PNG: %.1f ms\n512x512 TGA: %.1f ms\n5,000-face .x mesh: %.1f ms\n", pngMs, tgaMs, meshMs);
    return 0;
}
