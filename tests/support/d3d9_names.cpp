#include "support/d3d9_names.h"

#include <cstdio>
#include <utility>

namespace d3d9names
{
namespace
{
using Name = std::pair<DWORD, const char*>;
#define NAME(value)                                                                                                    \
    Name                                                                                                               \
    {                                                                                                                  \
        static_cast<DWORD>(value), #value                                                                              \
    }

template <size_t N>
std::string Find(const Name (&table)[N], DWORD value)
{
    for (const Name& entry : table)
        if (entry.first == value)
            return entry.second;
    return std::to_string(value);
}

const Name kRenderState[] = {
    NAME(D3DRS_ZENABLE),
    NAME(D3DRS_FILLMODE),
    NAME(D3DRS_SHADEMODE),
    NAME(D3DRS_ZWRITEENABLE),
    NAME(D3DRS_ALPHATESTENABLE),
    NAME(D3DRS_LASTPIXEL),
    NAME(D3DRS_SRCBLEND),
    NAME(D3DRS_DESTBLEND),
    NAME(D3DRS_CULLMODE),
    NAME(D3DRS_ZFUNC),
    NAME(D3DRS_ALPHAREF),
    NAME(D3DRS_ALPHAFUNC),
    NAME(D3DRS_DITHERENABLE),
    NAME(D3DRS_ALPHABLENDENABLE),
    NAME(D3DRS_FOGENABLE),
    NAME(D3DRS_SPECULARENABLE),
    NAME(D3DRS_FOGCOLOR),
    NAME(D3DRS_FOGTABLEMODE),
    NAME(D3DRS_FOGSTART),
    NAME(D3DRS_FOGEND),
    NAME(D3DRS_FOGDENSITY),
    NAME(D3DRS_RANGEFOGENABLE),
    NAME(D3DRS_STENCILENABLE),
    NAME(D3DRS_STENCILFAIL),
    NAME(D3DRS_STENCILZFAIL),
    NAME(D3DRS_STENCILPASS),
    NAME(D3DRS_STENCILFUNC),
    NAME(D3DRS_STENCILREF),
    NAME(D3DRS_STENCILMASK),
    NAME(D3DRS_STENCILWRITEMASK),
    NAME(D3DRS_TEXTUREFACTOR),
    NAME(D3DRS_WRAP0),
    NAME(D3DRS_WRAP1),
    NAME(D3DRS_WRAP2),
    NAME(D3DRS_WRAP3),
    NAME(D3DRS_WRAP4),
    NAME(D3DRS_WRAP5),
    NAME(D3DRS_WRAP6),
    NAME(D3DRS_WRAP7),
    NAME(D3DRS_CLIPPING),
    NAME(D3DRS_LIGHTING),
    NAME(D3DRS_AMBIENT),
    NAME(D3DRS_FOGVERTEXMODE),
    NAME(D3DRS_COLORVERTEX),
    NAME(D3DRS_LOCALVIEWER),
    NAME(D3DRS_NORMALIZENORMALS),
    NAME(D3DRS_DIFFUSEMATERIALSOURCE),
    NAME(D3DRS_SPECULARMATERIALSOURCE),
    NAME(D3DRS_AMBIENTMATERIALSOURCE),
    NAME(D3DRS_EMISSIVEMATERIALSOURCE),
    NAME(D3DRS_VERTEXBLEND),
    NAME(D3DRS_CLIPPLANEENABLE),
    NAME(D3DRS_POINTSIZE),
    NAME(D3DRS_POINTSIZE_MIN),
    NAME(D3DRS_POINTSPRITEENABLE),
    NAME(D3DRS_POINTSCALEENABLE),
    NAME(D3DRS_POINTSCALE_A),
    NAME(D3DRS_POINTSCALE_B),
    NAME(D3DRS_POINTSCALE_C),
    NAME(D3DRS_MULTISAMPLEANTIALIAS),
    NAME(D3DRS_MULTISAMPLEMASK),
    NAME(D3DRS_PATCHEDGESTYLE),
    NAME(D3DRS_DEBUGMONITORTOKEN),
    NAME(D3DRS_POINTSIZE_MAX),
    NAME(D3DRS_INDEXEDVERTEXBLENDENABLE),
    NAME(D3DRS_COLORWRITEENABLE),
    NAME(D3DRS_TWEENFACTOR),
    NAME(D3DRS_BLENDOP),
    NAME(D3DRS_POSITIONDEGREE),
    NAME(D3DRS_NORMALDEGREE),
    NAME(D3DRS_SCISSORTESTENABLE),
    NAME(D3DRS_SLOPESCALEDEPTHBIAS),
    NAME(D3DRS_ANTIALIASEDLINEENABLE),
    NAME(D3DRS_MINTESSELLATIONLEVEL),
    NAME(D3DRS_MAXTESSELLATIONLEVEL),
    NAME(D3DRS_ADAPTIVETESS_X),
    NAME(D3DRS_ADAPTIVETESS_Y),
    NAME(D3DRS_ADAPTIVETESS_Z),
    NAME(D3DRS_ADAPTIVETESS_W),
    NAME(D3DRS_ENABLEADAPTIVETESSELLATION),
    NAME(D3DRS_TWOSIDEDSTENCILMODE),
    NAME(D3DRS_CCW_STENCILFAIL),
    NAME(D3DRS_CCW_STENCILZFAIL),
    NAME(D3DRS_CCW_STENCILPASS),
    NAME(D3DRS_CCW_STENCILFUNC),
    NAME(D3DRS_COLORWRITEENABLE1),
    NAME(D3DRS_COLORWRITEENABLE2),
    NAME(D3DRS_COLORWRITEENABLE3),
    NAME(D3DRS_BLENDFACTOR),
    NAME(D3DRS_SRGBWRITEENABLE),
    NAME(D3DRS_DEPTHBIAS),
    NAME(D3DRS_WRAP8),
    NAME(D3DRS_WRAP9),
    NAME(D3DRS_WRAP10),
    NAME(D3DRS_WRAP11),
    NAME(D3DRS_WRAP12),
    NAME(D3DRS_WRAP13),
    NAME(D3DRS_WRAP14),
    NAME(D3DRS_WRAP15),
    NAME(D3DRS_SEPARATEALPHABLENDENABLE),
    NAME(D3DRS_SRCBLENDALPHA),
    NAME(D3DRS_DESTBLENDALPHA),
    NAME(D3DRS_BLENDOPALPHA),
};

const Name kSamplerState[] = {
    NAME(D3DSAMP_ADDRESSU),    NAME(D3DSAMP_ADDRESSV),      NAME(D3DSAMP_ADDRESSW),    NAME(D3DSAMP_BORDERCOLOR),
    NAME(D3DSAMP_MAGFILTER),   NAME(D3DSAMP_MINFILTER),     NAME(D3DSAMP_MIPFILTER),   NAME(D3DSAMP_MIPMAPLODBIAS),
    NAME(D3DSAMP_MAXMIPLEVEL), NAME(D3DSAMP_MAXANISOTROPY), NAME(D3DSAMP_SRGBTEXTURE), NAME(D3DSAMP_ELEMENTINDEX),
    NAME(D3DSAMP_DMAPOFFSET),
};

const Name kFormat[] = {
    NAME(D3DFMT_UNKNOWN),      NAME(D3DFMT_R8G8B8),       NAME(D3DFMT_A8R8G8B8),      NAME(D3DFMT_X8R8G8B8),
    NAME(D3DFMT_R5G6B5),       NAME(D3DFMT_X1R5G5B5),     NAME(D3DFMT_A1R5G5B5),      NAME(D3DFMT_A4R4G4B4),
    NAME(D3DFMT_R3G3B2),       NAME(D3DFMT_A8),           NAME(D3DFMT_A8R3G3B2),      NAME(D3DFMT_X4R4G4B4),
    NAME(D3DFMT_A2B10G10R10),  NAME(D3DFMT_A8B8G8R8),     NAME(D3DFMT_X8B8G8R8),      NAME(D3DFMT_G16R16),
    NAME(D3DFMT_A2R10G10B10),  NAME(D3DFMT_A16B16G16R16), NAME(D3DFMT_A8P8),          NAME(D3DFMT_P8),
    NAME(D3DFMT_L8),           NAME(D3DFMT_A8L8),         NAME(D3DFMT_A4L4),          NAME(D3DFMT_V8U8),
    NAME(D3DFMT_L6V5U5),       NAME(D3DFMT_X8L8V8U8),     NAME(D3DFMT_Q8W8V8U8),      NAME(D3DFMT_V16U16),
    NAME(D3DFMT_A2W10V10U10),  NAME(D3DFMT_UYVY),         NAME(D3DFMT_R8G8_B8G8),     NAME(D3DFMT_YUY2),
    NAME(D3DFMT_G8R8_G8B8),    NAME(D3DFMT_DXT1),         NAME(D3DFMT_DXT2),          NAME(D3DFMT_DXT3),
    NAME(D3DFMT_DXT4),         NAME(D3DFMT_DXT5),         NAME(D3DFMT_D16_LOCKABLE),  NAME(D3DFMT_D32),
    NAME(D3DFMT_D15S1),        NAME(D3DFMT_D24S8),        NAME(D3DFMT_D24X8),         NAME(D3DFMT_D24X4S4),
    NAME(D3DFMT_D16),          NAME(D3DFMT_L16),          NAME(D3DFMT_D32F_LOCKABLE), NAME(D3DFMT_D24FS8),
    NAME(D3DFMT_VERTEXDATA),   NAME(D3DFMT_INDEX16),      NAME(D3DFMT_INDEX32),       NAME(D3DFMT_Q16W16V16U16),
    NAME(D3DFMT_MULTI2_ARGB8), NAME(D3DFMT_R16F),         NAME(D3DFMT_G16R16F),       NAME(D3DFMT_A16B16G16R16F),
    NAME(D3DFMT_R32F),         NAME(D3DFMT_G32R32F),      NAME(D3DFMT_A32B32G32R32F),
};

const Name kPrimitive[] = {
    NAME(D3DPT_POINTLIST),    NAME(D3DPT_LINELIST),      NAME(D3DPT_LINESTRIP),
    NAME(D3DPT_TRIANGLELIST), NAME(D3DPT_TRIANGLESTRIP), NAME(D3DPT_TRIANGLEFAN),
};

const Name kPool[] = {
    NAME(D3DPOOL_DEFAULT),
    NAME(D3DPOOL_MANAGED),
    NAME(D3DPOOL_SYSTEMMEM),
    NAME(D3DPOOL_SCRATCH),
};

const Name kBlend[] = {
    NAME(D3DBLEND_ZERO),
    NAME(D3DBLEND_ONE),
    NAME(D3DBLEND_SRCCOLOR),
    NAME(D3DBLEND_INVSRCCOLOR),
    NAME(D3DBLEND_SRCALPHA),
    NAME(D3DBLEND_INVSRCALPHA),
    NAME(D3DBLEND_DESTALPHA),
    NAME(D3DBLEND_INVDESTALPHA),
    NAME(D3DBLEND_DESTCOLOR),
    NAME(D3DBLEND_INVDESTCOLOR),
    NAME(D3DBLEND_SRCALPHASAT),
    NAME(D3DBLEND_BOTHSRCALPHA),
    NAME(D3DBLEND_BOTHINVSRCALPHA),
    NAME(D3DBLEND_BLENDFACTOR),
    NAME(D3DBLEND_INVBLENDFACTOR),
};

const Name kBlendOp[] = {
    NAME(D3DBLENDOP_ADD), NAME(D3DBLENDOP_SUBTRACT), NAME(D3DBLENDOP_REVSUBTRACT),
    NAME(D3DBLENDOP_MIN), NAME(D3DBLENDOP_MAX),
};

const Name kCull[] = {
    NAME(D3DCULL_NONE),
    NAME(D3DCULL_CW),
    NAME(D3DCULL_CCW),
};

const Name kCompare[] = {
    NAME(D3DCMP_NEVER),   NAME(D3DCMP_LESS),     NAME(D3DCMP_EQUAL),        NAME(D3DCMP_LESSEQUAL),
    NAME(D3DCMP_GREATER), NAME(D3DCMP_NOTEQUAL), NAME(D3DCMP_GREATEREQUAL), NAME(D3DCMP_ALWAYS),
};

const Name kFilter[] = {
    NAME(D3DTEXF_NONE),        NAME(D3DTEXF_POINT),         NAME(D3DTEXF_LINEAR),
    NAME(D3DTEXF_ANISOTROPIC), NAME(D3DTEXF_PYRAMIDALQUAD), NAME(D3DTEXF_GAUSSIANQUAD),
};

const Name kAddress[] = {
    NAME(D3DTADDRESS_WRAP),   NAME(D3DTADDRESS_MIRROR),     NAME(D3DTADDRESS_CLAMP),
    NAME(D3DTADDRESS_BORDER), NAME(D3DTADDRESS_MIRRORONCE),
};

const Name kDeclType[] = {
    NAME(D3DDECLTYPE_FLOAT1),    NAME(D3DDECLTYPE_FLOAT2),  NAME(D3DDECLTYPE_FLOAT3),  NAME(D3DDECLTYPE_FLOAT4),
    NAME(D3DDECLTYPE_D3DCOLOR),  NAME(D3DDECLTYPE_UBYTE4),  NAME(D3DDECLTYPE_SHORT2),  NAME(D3DDECLTYPE_SHORT4),
    NAME(D3DDECLTYPE_UBYTE4N),   NAME(D3DDECLTYPE_SHORT2N), NAME(D3DDECLTYPE_SHORT4N), NAME(D3DDECLTYPE_USHORT2N),
    NAME(D3DDECLTYPE_USHORT4N),  NAME(D3DDECLTYPE_UDEC3),   NAME(D3DDECLTYPE_DEC3N),   NAME(D3DDECLTYPE_FLOAT16_2),
    NAME(D3DDECLTYPE_FLOAT16_4), NAME(D3DDECLTYPE_UNUSED),
};

const Name kDeclUsage[] = {
    NAME(D3DDECLUSAGE_POSITION),  NAME(D3DDECLUSAGE_BLENDWEIGHT), NAME(D3DDECLUSAGE_BLENDINDICES),
    NAME(D3DDECLUSAGE_NORMAL),    NAME(D3DDECLUSAGE_PSIZE),       NAME(D3DDECLUSAGE_TEXCOORD),
    NAME(D3DDECLUSAGE_TANGENT),   NAME(D3DDECLUSAGE_BINORMAL),    NAME(D3DDECLUSAGE_TESSFACTOR),
    NAME(D3DDECLUSAGE_POSITIONT), NAME(D3DDECLUSAGE_COLOR),       NAME(D3DDECLUSAGE_FOG),
    NAME(D3DDECLUSAGE_DEPTH),     NAME(D3DDECLUSAGE_SAMPLE),
};

const Name kDeviceType[] = {
    NAME(D3DDEVTYPE_HAL),
    NAME(D3DDEVTYPE_REF),
    NAME(D3DDEVTYPE_SW),
    NAME(D3DDEVTYPE_NULLREF),
};

const Name kMultiSample[] = {
    NAME(D3DMULTISAMPLE_NONE),       NAME(D3DMULTISAMPLE_NONMASKABLE), NAME(D3DMULTISAMPLE_2_SAMPLES),
    NAME(D3DMULTISAMPLE_3_SAMPLES),  NAME(D3DMULTISAMPLE_4_SAMPLES),   NAME(D3DMULTISAMPLE_5_SAMPLES),
    NAME(D3DMULTISAMPLE_6_SAMPLES),  NAME(D3DMULTISAMPLE_7_SAMPLES),   NAME(D3DMULTISAMPLE_8_SAMPLES),
    NAME(D3DMULTISAMPLE_9_SAMPLES),  NAME(D3DMULTISAMPLE_10_SAMPLES),  NAME(D3DMULTISAMPLE_11_SAMPLES),
    NAME(D3DMULTISAMPLE_12_SAMPLES), NAME(D3DMULTISAMPLE_13_SAMPLES),  NAME(D3DMULTISAMPLE_14_SAMPLES),
    NAME(D3DMULTISAMPLE_15_SAMPLES), NAME(D3DMULTISAMPLE_16_SAMPLES),
};
const Name kClearFlags[] = {NAME(D3DCLEAR_TARGET), NAME(D3DCLEAR_ZBUFFER), NAME(D3DCLEAR_STENCIL)};
const Name kLockFlags[] = {NAME(D3DLOCK_READONLY),  NAME(D3DLOCK_DISCARD),   NAME(D3DLOCK_NOOVERWRITE),
                           NAME(D3DLOCK_NOSYSLOCK), NAME(D3DLOCK_DONOTWAIT), NAME(D3DLOCK_NO_DIRTY_UPDATE)};
const Name kUsageFlags[] = {NAME(D3DUSAGE_RENDERTARGET), NAME(D3DUSAGE_DEPTHSTENCIL), NAME(D3DUSAGE_DYNAMIC),
                            NAME(D3DUSAGE_WRITEONLY),    NAME(D3DUSAGE_POINTS),       NAME(D3DUSAGE_SOFTWAREPROCESSING),
                            NAME(D3DUSAGE_AUTOGENMIPMAP)};
const Name kCreateFlags[] = {NAME(D3DCREATE_FPU_PRESERVE),
                             NAME(D3DCREATE_MULTITHREADED),
                             NAME(D3DCREATE_PUREDEVICE),
                             NAME(D3DCREATE_SOFTWARE_VERTEXPROCESSING),
                             NAME(D3DCREATE_HARDWARE_VERTEXPROCESSING),
                             NAME(D3DCREATE_MIXED_VERTEXPROCESSING)};
#undef NAME
} // namespace

std::string RenderStateName(DWORD value)
{
    return Find(kRenderState, value);
}

std::string SamplerStateName(DWORD value)
{
    return Find(kSamplerState, value);
}

std::string FormatName(DWORD value)
{
    return Find(kFormat, value);
}

std::string PrimitiveName(DWORD value)
{
    return Find(kPrimitive, value);
}

std::string PoolName(DWORD value)
{
    return Find(kPool, value);
}

std::string BlendName(DWORD value)
{
    return Find(kBlend, value);
}

std::string BlendOpName(DWORD value)
{
    return Find(kBlendOp, value);
}

std::string CullName(DWORD value)
{
    return Find(kCull, value);
}

std::string CompareName(DWORD value)
{
    return Find(kCompare, value);
}

std::string FilterName(DWORD value)
{
    return Find(kFilter, value);
}

std::string AddressName(DWORD value)
{
    return Find(kAddress, value);
}

std::string DeclTypeName(DWORD value)
{
    return Find(kDeclType, value);
}

std::string DeclUsageName(DWORD value)
{
    return Find(kDeclUsage, value);
}

std::string DeviceTypeName(DWORD value)
{
    return Find(kDeviceType, value);
}

// The set bits by name, joined with '|', in the table's order; bits without a
// name as one hex number at the end; 0 for none.
template <size_t N>
std::string Flags(const Name (&table)[N], DWORD value)
{
    std::string text;
    for (const Name& entry : table)
    {
        if (entry.first != 0 && (value & entry.first) == entry.first)
        {
            text += (text.empty() ? "" : "|") + std::string(entry.second);
            value &= ~entry.first;
        }
    }
    if (value != 0 || text.empty())
    {
        char rest[16];
        std::snprintf(rest, sizeof rest, value == 0 ? "0" : "0x%X", static_cast<unsigned>(value));
        text += (text.empty() ? "" : "|") + std::string(rest);
    }
    return text;
}

std::string ClearFlagsName(DWORD value)
{
    return Flags(kClearFlags, value);
}

std::string LockFlagsName(DWORD value)
{
    return Flags(kLockFlags, value);
}

std::string UsageName(DWORD value)
{
    return Flags(kUsageFlags, value);
}

std::string CreateFlagsName(DWORD value)
{
    return Flags(kCreateFlags, value);
}

std::string MultiSampleName(DWORD value)
{
    return Find(kMultiSample, value);
}

std::string RenderStateValueName(D3DRENDERSTATETYPE state, DWORD value)
{
    switch (state)
    {
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_SRCBLENDALPHA:
    case D3DRS_DESTBLENDALPHA: return BlendName(value);
    case D3DRS_BLENDOP:
    case D3DRS_BLENDOPALPHA: return BlendOpName(value);
    case D3DRS_CULLMODE: return CullName(value);
    case D3DRS_ZFUNC:
    case D3DRS_ALPHAFUNC:
    case D3DRS_STENCILFUNC: return CompareName(value);
    default: return std::to_string(value);
    }
}

std::string SamplerStateValueName(D3DSAMPLERSTATETYPE type, DWORD value)
{
    switch (type)
    {
    case D3DSAMP_ADDRESSU:
    case D3DSAMP_ADDRESSV:
    case D3DSAMP_ADDRESSW: return AddressName(value);
    case D3DSAMP_MAGFILTER:
    case D3DSAMP_MINFILTER:
    case D3DSAMP_MIPFILTER: return FilterName(value);
    default: return std::to_string(value);
    }
}
} // namespace d3d9names
