// Torus-knot points, vs_2_0, about 80 of 256 instruction slots (4 sincos
// at about 11 each with their range reduction, the projection 4 dp4, the
// knot frame, tilt, colour and size about 32).
// c0..c3: the projection, transposed by the application; c4: (target width,
// target height, 0, 0) in pixels; c8: colour1; c9: colour2; c10.x: T, the
// event time as an angle; c11.xy: (P, Q); c12.x: the size factor.
// In: TEXCOORD0 the curve parameter t in 0..2 pi, TEXCOORD1 a (0.05..0.1),
// TEXCOORD2 b (0..1), PSIZE the size.
// Each point rides along the (P, Q) knot on a torus of radii 2 and 1,
// scaled by 0.8 and set 7 units ahead, circling the curve at distance 2a and
// angle 2 pi b, turning with T; the whole knot turns slowly about y. The
// sprite is as large as an object of size x c12.x at its depth; its colour
// runs from colour1 on the outside of the torus to colour2 on the inside.

float4x4 projection : register(c0);
float4 target : register(c4);
float4 colour1 : register(c8);
float4 colour2 : register(c9);
float4 angle : register(c10);
float4 knot : register(c11);
float4 scale : register(c12);

struct VS_IN
{
    float t : TEXCOORD0;
    float a : TEXCOORD1;
    float b : TEXCOORD2;
    float size : PSIZE;
};

struct VS_OUT
{
    float4 pos : POSITION;
    float4 colour : COLOR0;
    float size : PSIZE;
};

VS_OUT MainVS(VS_IN i)
{
    VS_OUT o;
    float T = angle.x;
    float phi = i.t + T * 0.05;
    float ps, pc, qs, qc;
    sincos(knot.x * phi, ps, pc);
    sincos(knot.y * phi, qs, qc);
    float r = 2.0 + qc;
    float3 outward = float3(pc, ps, 0.0);
    float3 curve = float3(outward.xy * r, qs);

    float around, across;
    sincos(i.b * 6.2831853 + T, around, across);
    float3 p = curve + (outward * across + float3(0.0, 0.0, around)) * (2.0 * i.a);

    // Tilted towards the viewer, turning about y with T.
    float ts, tc;
    sincos(T * 0.1, ts, tc);
    float3 tilted = float3(p.x, p.y * 0.8 - p.z * 0.6, p.y * 0.6 + p.z * 0.8);
    float3 view = float3(tilted.x * tc + tilted.z * ts, tilted.y, tilted.z * tc - tilted.x * ts) * 0.8;
    view.z += 7.0;

    o.pos = mul(float4(view, 1.0), projection);
    o.colour = lerp(colour2, colour1, saturate(qc * 0.5 + 0.5));
    o.size = i.size * scale.x * projection._22 * target.y * 0.5 / o.pos.w;
    return o;
}
