// What D3DXCompileShaderFromFileA costs: the first compile of a process
// (glslang builds its built-in tables then) and later ones, for a vertex and a
// pixel shader of the size the effects use.
#include <d3dx9.h>

#include "support/temp_dir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

const char* const kVertex = R"(
float4x4 wvp : register(c0);
float4x4 world : register(c4);
float4 eye : register(c8);
struct VS_OUT { float4 pos : POSITION; float3 normal : TEXCOORD0; float3 view : TEXCOORD1; float2 uv : TEXCOORD2; };
VS_OUT MainVS(float3 p : POSITION, float3 n : NORMAL, float2 uv : TEXCOORD0)
{
    VS_OUT o;
    o.pos = mul(float4(p, 1), wvp);
    float3 wp = mul(float4(p, 1), world).xyz;
    o.normal = normalize(mul(n, (float3x3)world));
    o.view = normalize(eye.xyz - wp);
    o.uv = uv;
    return o;
}
)";

const char* const kPixel = R"(
sampler2D env : register(s0);
float4 colour1 : register(c0);
float4 colour2 : register(c1);
float4 MainPS(float3 n : TEXCOORD0, float3 v : TEXCOORD1, float2 uv : TEXCOORD2) : COLOR
{
    float3 r = reflect(-v, normalize(n));
    float4 e = tex2D(env, r.xy * 0.5 + 0.5);
    float f = pow(1 - saturate(dot(n, v)), 3);
    float4 c = lerp(colour1, colour2, f);
    for (int i = 0; i < 4; i++)
        c += e * 0.05 * i;
    return c;
}
)";

double Compile(const std::string& path, const char* entry, const char* profile)
{
    LPD3DXBUFFER code = nullptr, errors = nullptr;
    Clock::time_point start = Clock::now();
    HRESULT hr = D3DXCompileShaderFromFileA(path.c_str(), nullptr, nullptr, entry, profile, 0, &code, &errors, nullptr);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (FAILED(hr))
        std::fprintf(stderr, "%s failed: %s\n", path.c_str(), errors ? (const char*)errors->GetBufferPointer() : "");
    if (code)
        code->Release();
    if (errors)
        errors->Release();
    return FAILED(hr) ? -1.0 : ms;
}

void Report(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    std::printf("%-22s median %6.2f ms  mean %6.2f ms  min %6.2f ms  max %6.2f ms  (%zu runs)\n", what,
                times[times.size() / 2], sum / times.size(), times.front(), times.back(), times.size());
}
} // namespace

int main()
{
    TempDir dir;
    dir.Write("bench.vsh", kVertex);
    dir.Write("bench.psh", kPixel);
    std::string vs = (dir.Path() / "bench.vsh").string(), ps = (dir.Path() / "bench.psh").string();

    double first = Compile(vs, "MainVS", "vs_2_0");
    if (first < 0)
        return 1;
    std::printf("%-22s %6.2f ms\n", "first compile (vs_2_0)", first);
    std::vector<double> vertex, pixel;
    for (int i = 0; i < 50; ++i)
    {
        vertex.push_back(Compile(vs, "MainVS", "vs_2_0"));
        pixel.push_back(Compile(ps, "MainPS", "ps_2_0"));
    }
    Report("later vs_2_0", vertex);
    Report("later ps_2_0", pixel);
    return 0;
}
