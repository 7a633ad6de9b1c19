// Direct3D 9's enum names for the recording device's log and the tests that
// read it: "SetRenderState D3DRS_ZENABLE 1" says what "SetRenderState 7 1"
// only encodes. A value without a name is written as its number.
#pragma once

#include <d3d9.h>

#include <string>

namespace d3d9names
{
std::string RenderStateName(DWORD value);
std::string SamplerStateName(DWORD value);
std::string FormatName(DWORD value);
std::string PrimitiveName(DWORD value);
std::string PoolName(DWORD value);
std::string BlendName(DWORD value);
std::string BlendOpName(DWORD value);
std::string CullName(DWORD value);
std::string CompareName(DWORD value);
std::string FilterName(DWORD value);
std::string AddressName(DWORD value);
std::string DeclTypeName(DWORD value);
std::string DeclUsageName(DWORD value);
std::string DeviceTypeName(DWORD value);
std::string MultiSampleName(DWORD value);

// Flag sets: "D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER", "0" for none.
std::string ClearFlagsName(DWORD value);
std::string LockFlagsName(DWORD value);
std::string UsageName(DWORD value);
std::string CreateFlagsName(DWORD value);

// A render or sampler state's value by the enum that the state takes (blend
// factors, compare functions, filters...); numbers for the rest.
std::string RenderStateValueName(D3DRENDERSTATETYPE state, DWORD value);
std::string SamplerStateValueName(D3DSAMPLERSTATETYPE type, DWORD value);
} // namespace d3d9names
