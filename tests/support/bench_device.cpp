#include "support/bench_device.h"
#include "support/present_parameters.h"

namespace
{
LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
} // namespace

bool BenchDevice::Open(UINT width, UINT height)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuorlBench";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, wc.lpszClassName, "bench", WS_POPUP, 0, 0, static_cast<int>(width),
                             static_cast<int>(height), nullptr, nullptr, wc.hInstance, nullptr);
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params = WindowedParameters(window, width, height);
    return window && d3d &&
           SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                       &params, &device));
}

BenchDevice::~BenchDevice()
{
    if (device)
        device->Release();
    if (d3d)
        d3d->Release();
    if (window)
        DestroyWindow(window);
}
