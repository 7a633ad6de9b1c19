// RenderFrame with 1,000 events of which 20 are active, effects that draw
// nothing, on a device that does nothing: time per frame and allocations per
// frame in steady state (counted with a replaced global operator new). Then
// each screen-space effect's Render alone on that device, with stand-in
// resources, so the cost is the effect's own and the renderer's caches.
#include "support/counting_allocator.h"
#include "app/demo.h"
#include "effects/fractal.h"
#include "effects/moopy.h"
#include "effects/postprocess.h"
#include "effects/radial_blur.h"
#include "effects/text.h"
#include "effects/window2d.h"
#include "render/mesh.h"
#include "resource/render_target.h"
#include "resource/texture.h"
#include "support/held_resource.h"
#include "support/null_d3d9.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace
{

class Idle : public C_FXEffect
{
};

// Scenes begin, so the effects draw their meshes.
class SceneDevice : public NullD3D9::Direct3DDevice9
{
public:
    HRESULT STDMETHODCALLTYPE BeginScene() override { return D3D_OK; }
    HRESULT STDMETHODCALLTYPE EndScene() override { return D3D_OK; }
};

class NoMesh : public I_Mesh
{
public:
    bool Draw() override { return true; }
    IDirect3DVertexBuffer9* GetVertexBuffer() override { return nullptr; }
    IDirect3DIndexBuffer9* GetIndexBuffer() override { return nullptr; }
};

template <class T>
void MeasureRender(const char* name, std::initializer_list<std::pair<const char*, const char*>> attributes)
{
    T effect;
    for (const auto& attribute : attributes)
        effect.SetVariable(attribute.first, attribute.second);
    effect.Init();
    const int frames = 1000000;
    float progress = 0.0f;
    effect.Render(progress, 0.0f, 0.016f);
    long before = g_Allocations;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
    {
        progress = progress >= 0.999f ? 0.0f : progress + 0.001f;
        effect.Render(progress, progress * 10.0f, 0.016f);
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-12s Render: %6.1f ns, allocations per frame %.3f\n", name, seconds * 1e9 / frames,
                static_cast<double>(g_Allocations - before) / frames);
}

void MeasureScreenEffects()
{
    C_Demo demo;
    demo.m_Renderer.device = new SceneDevice;
    demo.m_Renderer.targetWidth = 1024;
    demo.m_Renderer.targetHeight = 768;
    C_ResourceRegistry& resources = demo.m_Resources;
    NoMesh mesh;
    RenderTargetSurfaces surfaces;
    surfaces.width = 1024;
    surfaces.height = 768;
    resources.Add("scene", new HeldResource(Resource::RenderTarget, &surfaces));
    for (const char* name : {"title.png", "palette.png", "border.png", "blob.bmp", "sincosnoise.bmp"})
    {
        auto* texture = new Resource::C_Texture;
        texture->m_Info.Width = 256;
        texture->m_Info.Height = 64;
        resources.Add(name, texture);
    }
    for (const char* name : {"quad2d.x", "border.x"})
        resources.Add(name, new HeldResource(Resource::Mesh, &mesh));
    for (const char* name : {"quad2d.vsh", "border.vsh", "moopy.vsh"})
        resources.Add(name, new HeldResource(Resource::VertexShader, &mesh));
    for (const char* name : {"quad2d.psh", "radial_blur.psh", "fractal.psh", "moopy.psh", "grade.psh"})
        resources.Add(name, new HeldResource(Resource::PixelShader, &mesh));

    MeasureRender<C_FXPostProcess>("postprocess",
                                   {{"image", "scene"}, {"texture", "scene"}, {"pixel_shader", "grade.psh"}});
    MeasureRender<C_FXRadialBlur>("radial_blur", {{"texture", "scene"}, {"start_amount", "0"}, {"end_amount", "1"}});
    MeasureRender<C_FXFractal>("fractal", {{"texture", "palette.png"}, {"end_zoom", "3"}});
    MeasureRender<C_FXText>("text", {{"texture", "title.png"}, {"scale", "1"}, {"start_length", "0.2"}});
    MeasureRender<C_FXWindow2D>("window2d", {{"texture", "scene"}, {"width", "0.5"}, {"start_length", "0.2"}});
    MeasureRender<C_FXMoopy>("moopy", {{"tiles", "2"}});
}
} // namespace

int main()
{
    // One demo object at a time: the screen effects' own goes first.
    MeasureScreenEffects();

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
