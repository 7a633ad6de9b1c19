// A windowed Direct3D device on a hidden popup, for the benchmarks.
#pragma once

#include <d3d9.h>

struct BenchDevice
{
    HWND window = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;

    // False, with nothing left open, when no device can be had.
    bool Open(UINT width, UINT height);
    ~BenchDevice();
};
