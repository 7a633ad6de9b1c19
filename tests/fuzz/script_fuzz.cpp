// The whole script: loaded into effects against the recording Direct3D, with
// the shipped shaders, textures and meshes, then a few frames composed. The
// device objects made on the way must all be released with the demo.
#include "app/demo.h"
#include "d3dx9/test_hooks.h"
#include "fuzz_scratch.h"
#include "support/recording_d3d9.h"
#include "timeline/script_loader.h"

#include <cstdlib>
#include <filesystem>

#ifndef QUORL_DATA_DIR
#error "QUORL_DATA_DIR names the shipped data folder"
#endif

namespace
{
void LinkShippedData()
{
    const std::filesystem::path data = std::filesystem::path(Fuzz::ScratchDir()) / "data";
    std::filesystem::create_directories(data);
    for (const char* folder : {"shaders", "textures", "models"})
        if (!std::filesystem::exists(data / folder))
            std::filesystem::create_directory_symlink(std::filesystem::path(QUORL_DATA_DIR) / folder, data / folder);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Shaders compile in this process: a child per compile would cost most of
    // each run, and the shipped shaders do not crash glslang.
    static const bool linked = (LinkShippedData(), D3DXTest_CompileInHelper(false), true);
    (void)linked;
    Fuzz::WriteScratch("data/demo.xml", data, size);
    RecordingD3D9::Reset();
    const int liveBefore = RecordingD3D9::Get().liveObjects;
    {
        C_Demo demo;
        if (!demo.m_Renderer.Create(320, 240, 0, false, true))
            std::abort();
        demo.m_Factory.RegisterAll();
        Fuzz::InScratch cwd;
        if (LoadScript(demo, "data\\demo.xml"))
        {
            // The first frame, then the middle of the first few events.
            uint32_t previous = demo.m_StartTime;
            demo.RenderFrame(previous, 0);
            size_t shown = 0;
            for (const auto& event : demo.m_Events)
            {
                if (++shown > 6)
                    break;
                const uint32_t time = uint32_t(event->m_StartTime.value) + uint32_t(event->m_Duration.value) / 2;
                if (time < previous)
                    continue; // the music clock only runs forward
                demo.RenderFrame(time, time - previous);
                previous = time;
            }
        }
    }
    if (RecordingD3D9::Get().liveObjects != liveBefore)
        std::abort();
    return 0;
}
