// The HLSL compiler wrapper on shader text, as the shader resources call it.
// The first byte picks the stage; the rest is the source file.
#include "d3dx9/test_hooks.h"
#include "fuzz_scratch.h"

#include <d3dx9.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
#ifdef QUORL_FUZZ_COMPILE_IN_PROCESS
    // Coverage of the checks after glslang's parse; its own crashes show too.
    static const bool inProcess = (D3DXTest_CompileInHelper(false), true);
    (void)inProcess;
#endif
    const bool pixel = data[0] & 1;
    const std::string path = Fuzz::WriteScratch("shader.hlsl", data + 1, size - 1);

    LPD3DXBUFFER code = nullptr;
    LPD3DXBUFFER errors = nullptr;
    const HRESULT hr = D3DXCompileShaderFromFileA(path.c_str(), nullptr, nullptr, pixel ? "MainPS" : "MainVS",
                                                  pixel ? "ps_2_0" : "vs_2_0", 0, &code, &errors, nullptr);
    // A success hands back code; a failure says why.
    if (SUCCEEDED(hr) ? !code || code->GetBufferSize() == 0 : !errors)
        std::abort();
    if (code)
        code->Release();
    if (errors)
        errors->Release();
    return 0;
}
