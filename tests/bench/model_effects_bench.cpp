// The 3D effects' per-frame cost:
// - shape_grid's point generator for a 29 x 29 x 29 grid with two solids
//   (placing the solids, two transforms and up to two inside tests a point,
//   writing into memory of the dynamic buffer's size), compiled at -O2
//   whatever the build type; median microseconds per frame;
// - pqtorus and tunnel on the real device layer at 1024 x 768: median CPU
//   microseconds of Render (one draw call each, from buffers built at Init)
//   and heap allocations per frame, counted with a replaced operator new.
// Run from anywhere; it reads the shipped data from the source tree.
#include "support/counting_allocator.h"
#include "app/demo.h"
#include "effects/pqtorus.h"
#include "effects/shape_grid.h"
#include "effects/tunnel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <vector>

namespace
{

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

template <class Frame>
double MedianMicroseconds(int frames, Frame frame)
{
    std::vector<double> times;
    times.reserve(frames);
    for (int i = 0; i < frames; ++i)
    {
        auto start = std::chrono::steady_clock::now();
        frame(i);
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void GridGenerator()
{
    C_FXShapeGrid grid;
    for (const auto& attribute : std::initializer_list<std::pair<const char*, const char*>>{{"colour1", "0xFFFFA030"},
                                                                                            {"colour2", "0xFF30E0FF"},
                                                                                            {"shape1", "0"},
                                                                                            {"shape2", "2"},
                                                                                            {"grid_x", "29"},
                                                                                            {"grid_y", "29"},
                                                                                            {"grid_z", "29"},
                                                                                            {"step_size", "0.14"}})
        grid.SetVariable(attribute.first, attribute.second);
    std::vector<Particles::Vertex> buffer(C_Renderer::kDynamicVertexBufferSize / sizeof(Particles::Vertex));
    UINT lit = 0;
    auto frame = [&](int i)
    {
        grid.PlaceShapes(i / 60.0f);
        lit += grid.GeneratePoints(buffer.data(), static_cast<UINT>(buffer.size()));
    };
    MedianMicroseconds(60, frame);
    lit = 0;
    const double median = MedianMicroseconds(600, frame);
    std::printf("shape_grid 29^3, sphere and ring: %.1f us per frame (%u points lit on average)\n", median, lit / 600);
}

void Drawn(C_Demo& demo, C_FXEffect& effect, const char* name)
{
    IDirect3DDevice9* device = demo.m_Renderer.device;
    long allocations = 0;
    auto frame = [&](int i)
    {
        long before = g_Allocations;
        effect.Render(0.5f, i / 60.0f, 1.0f / 60.0f);
        allocations += g_Allocations - before;
    };
    auto present = [&](int i)
    {
        device->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        frame(i);
        device->Present(NULL, NULL, NULL, NULL);
    };
    for (int i = 0; i < 30; ++i)
        present(i);
    std::vector<double> times;
    allocations = 0;
    const int frames = 300;
    for (int i = 0; i < frames; ++i)
    {
        device->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        auto start = std::chrono::steady_clock::now();
        frame(i);
        auto end = std::chrono::steady_clock::now();
        device->Present(NULL, NULL, NULL, NULL);
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%s: Render %.1f us per frame (CPU), %.2f allocations per frame\n", name, times[frames / 2],
                static_cast<double>(allocations) / frames);
}

int DeviceEffects()
{
    std::filesystem::current_path(QUORL_SOURCE_DIR);
    C_Demo demo;
    demo.m_Settings.width = 1024;
    demo.m_Settings.height = 768;
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuorlModelBench";
    RegisterClassA(&wc);
    demo.m_Window = CreateWindowExA(0, wc.lpszClassName, "bench", WS_POPUP, 0, 0, 1024, 768, nullptr, nullptr,
                                    wc.hInstance, nullptr);
    if (!demo.m_Window || !demo.m_Renderer.Create(1024, 768, 0, false, true))
    {
        std::fprintf(stderr, "no device\n");
        return 1;
    }
    {
        C_FXPQTorus torus;
        torus.SetVariable("start_pq", "2 3");
        torus.SetVariable("end_pq", "3 5");
        torus.SetVariable("colour1", "0xFFFFFFFF");
        torus.SetVariable("colour2", "0xFF8040FF");
        torus.Init();
        Drawn(demo, torus, "pqtorus, 500 sprites");

        C_FXTunnel tunnel;
        tunnel.SetVariable("texture", "tunnel.png");
        tunnel.SetVariable("speed", "1");
        tunnel.Init();
        Drawn(demo, tunnel, "tunnel, 6,400 triangles");
    }
    DestroyWindow(demo.m_Window);
    return 0;
}
} // namespace

int main()
{
    GridGenerator();
    return DeviceEffects();
}
