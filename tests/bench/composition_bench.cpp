// RenderFrame with 1,000 events of which 20 are active, effects that draw
// nothing, on a device that does nothing: time per frame and allocations per
// frame in steady state (counted with a replaced global operator new).
#include "app/demo.h"
#include "support/null_d3d9.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace
{
long g_Allocations = 0;

class Idle : public C_FXEffect
{
};
} // namespace

void* operator new(std::size_t size)
{
    ++g_Allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

int main()
{
    C_Demo demo;
    demo.m_Renderer.device = new NullD3D9::Direct3DDevice9;
    for (int i = 0; i < 1000; ++i)
    {
        Idle* effect = new Idle;
        bool active = i % 50 == 0;
        effect->m_StartTime.value = active ? i : 100000000 + i;
        effect->m_Duration.value = 1000000000;
        effect->m_Z.value = i % 7;
        effect->m_Target.text = "no such target";
        demo.AddEvent(boost::shared_ptr<C_FXEffect>(effect));
    }

    uint32_t time = 1000;
    demo.RenderFrame(time, 16); // activates the 20
    const int frames = 200000;
    long before = g_Allocations;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
    {
        time += 16;
        demo.RenderFrame(time, 16);
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long allocations = g_Allocations - before;

    std::printf("active effects: %zu of %zu events\n", demo.m_Active.size(), demo.m_Events.size());
    std::printf("RenderFrame: %.2f us per frame over %d frames\n", seconds * 1e6 / frames, frames);
    std::printf("allocations per frame in steady state: %.3f\n", static_cast<double>(allocations) / frames);
    return 0;
}
