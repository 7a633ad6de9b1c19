// Particles::C_System::Update + WriteVertices for a full pool of 26,000
// particles per frame (the most the dynamic vertex buffer holds is 26,214):
// time per frame, median of many frames, into plain memory of the buffer's size.
#include "effects/particles/bubble_system.h"
#include "effects/particles/particle_system.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace
{
template <class System>
double MedianMicroseconds(System& system, int frames, std::vector<Particles::Vertex>& vertices)
{
    std::vector<double> times;
    for (int i = 0; i < frames; ++i)
    {
        auto start = std::chrono::steady_clock::now();
        system.Update(1.0f / 60.0f);
        system.WriteVertices(vertices.data());
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
} // namespace

int main()
{
    const uint32_t count = 26000;
    std::vector<Particles::Vertex> vertices(count);

    Particles::Settings fountain = {};
    fountain.spawn_pos = D3DXVECTOR3(0.0f, -2.0f, 12.0f);
    fountain.spawn_radius = 0.2f;
    fountain.velocity = D3DXVECTOR3(0.0f, 6.0f, 0.0f);
    fountain.gravity = D3DXVECTOR3(0.0f, -5.0f, 0.0f);
    fountain.spray = 1.5f;
    fountain.age = 1.0f;
    fountain.age_rand = 1.5f;
    fountain.size_start = 0.2f;
    fountain.size_end = 0.05f;
    fountain.colour_start = D3DXCOLOR(1.0f, 0.8f, 0.3f, 1.0f);
    fountain.colour_end = D3DXCOLOR(1.0f, 0.1f, 0.0f, 0.0f);
    fountain.rejuvenate = true;

    Particles::C_System particles;
    particles.Init(count, fountain);
    MedianMicroseconds(particles, 60, vertices);
    double system = MedianMicroseconds(particles, 600, vertices);

    Particles::Settings rising = {};
    rising.velocity = D3DXVECTOR3(0.0f, 0.75f, 0.0f);
    rising.spray = 0.35f;
    rising.size_start = rising.size_end = rising.size_rand = 0.02f;
    rising.colour_start = D3DXCOLOR(0.2f, 0.4f, 1.0f, 1.0f);
    rising.colour_end = D3DXCOLOR(0.8f, 1.0f, 1.0f, 1.0f);
    rising.rejuvenate = true;
    C_BubbleSystem bubbles;
    bubbles.Init(count, rising);
    MedianMicroseconds(bubbles, 60, vertices);
    double bubble = MedianMicroseconds(bubbles, 600, vertices);

    std::printf("Update + WriteVertices, %u records, median of 600 frames:\n", count);
    std::printf("  particles  %8.1f us/frame  (%.1f ns/particle)\n", system, system * 1000.0 / count);
    std::printf("  bubbles    %8.1f us/frame  (%.1f ns/particle)\n", bubble, bubble * 1000.0 / count);
    std::printf("  share of a 60 Hz frame: %.1f%% / %.1f%%\n", system / 166.67, bubble / 166.67);
    return 0;
}
