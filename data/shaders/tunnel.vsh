// Tunnel tube, vs_2_0, about 40 of 256 instruction slots (2 sincos at about
// 11 each with their range reduction, the projection 4 dp4, bend, scroll and
// fog about 14).
// c0..c3: the projection, transposed by the application (no world or view:
// the eye sits on the tube's axis at its open end, looking along +z);
// c4.x: t, the event seconds times the speed.
// The tube, radius 1 and rings at z = 0..100, swings away from the axis the
// further it reaches and sways with t; the wall turns and, for a positive t,
// flows towards the eye (v grows down the tube, so adding t brings each ring
// of the texture nearer). TEXCOORD1.x is the fog: 1 at the eye, 0 far down
// the tube.

float4x4 projection : register(c0);
float4 time : register(c4);

struct VS_IN
{
    float3 pos : POSITION;
    float2 uv : TEXCOORD0;
};

struct VS_OUT
{
    float4 pos : POSITION;
    float4 uv : TEXCOORD0;
    float4 fog : TEXCOORD1;
};

VS_OUT MainVS(VS_IN i)
{
    VS_OUT o;
    float z = i.pos.z;
    float t = time.x;
    // The bend grows with the square of the distance, so the mouth stays round about the eye.
    float bend = z * z * 0.006;
    float2 sway = float2(sin(z * 0.11 + t * 0.7), cos(z * 0.07 + t * 0.5)) * bend;
    float3 p = float3(i.pos.xy + sway, z);
    o.pos = mul(float4(p, 1.0), projection);
    o.uv = float4(i.uv.x + t * 0.05 + z * 0.02, i.uv.y + t, 0.0, 0.0);
    o.fog = float4(saturate(1.0 - z * 0.03), 0.0, 0.0, 0.0);
    return o;
}
