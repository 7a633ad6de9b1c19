// The .x mesh reader as the mesh resource uses it, drawn once, against the
// recording Direct3D; every device object it makes must be released again.
#include "app/demo.h"
#include "fuzz_scratch.h"
#include "render/d3dx_mesh.h"
#include "support/recording_d3d9.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static C_Demo* demo = []
    {
        auto* made = new C_Demo;
        if (!made->m_Renderer.Create(320, 240, 0, false, true))
            std::abort();
        return made;
    }();
    RecordingD3D9::Reset(); // the calls only: the live count stays
    const int liveBefore = RecordingD3D9::Get().liveObjects;
    const std::string path = Fuzz::WriteScratch("model.x", data, size);
    {
        C_D3DXMesh mesh;
        if (mesh.LoadFromFile(path.c_str()))
            mesh.Draw();
    }
    if (RecordingD3D9::Get().liveObjects != liveBefore)
        std::abort();
    (void)demo;
    return 0;
}
