// A Direct3D 9 that records the calls it gets and answers from a script, for
// checking call sequences and cache behaviour without a GPU. Linked instead of
// the real device layer: it defines Direct3DCreate9.
#pragma once

#include "support/null_d3d9.h"

#include <array>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace RecordingD3D9
{
struct Script
{
    std::vector<std::string> calls;
    std::deque<HRESULT> cooperativeLevels; // TestCooperativeLevel answers; D3D_OK once empty
    HRESULT resetResult = D3D_OK;
    bool createDeviceFails = false;
    bool vertexBufferFails = false;
    bool indexBufferFails = false;
    bool direct3DFails = false;
    bool beginSceneFails = false;
    D3DPRESENT_PARAMETERS presentParameters = {};
    // Shader constant registers as last set, and what the last vertex buffer unlock held.
    std::map<UINT, std::array<float, 4>> vertexConstants;
    std::map<UINT, std::array<float, 4>> pixelConstants;
    std::vector<unsigned char> unlockedData;
    std::vector<unsigned char> unlockedIndexData; // likewise for index buffers
    int liveObjects = 0;                          // every fake object made and not yet released for good
};

Script& Get();
void Reset();
} // namespace RecordingD3D9
