// Entry points for tests only: the product never calls them.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

// Starts a device loss that lasts until D3D9Test_EndDeviceLoss: meanwhile
// TestCooperativeLevel answers D3DERR_DEVICELOST; afterwards
// D3DERR_DEVICENOTRESET until a Reset succeeds.
void D3D9Test_ForceDeviceLost(IDirect3DDevice9* device);
void D3D9Test_EndDeviceLoss(IDirect3DDevice9* device);

// The pixels of a colour surface (a render target's level, or the back
// buffer) as 0xAARRGGBB, row 0 the top row as Direct3D shows it.
bool D3D9Test_ReadPixels(IDirect3DSurface9* surface, std::vector<uint32_t>& argb, UINT* width = nullptr,
                         UINT* height = nullptr);
// The same for the device's back buffer.
bool D3D9Test_ReadBackBuffer(IDirect3DDevice9* device, std::vector<uint32_t>& argb, UINT* width = nullptr,
                             UINT* height = nullptr);

// Objects of the layer alive now: Direct3D objects, devices and their objects.
int D3D9Test_LiveObjects();
