// Covers the whole target with the unit square of quad2d.x and hands the
// pixel shader two planes: the picture's own (4:3, the height 0 to 1) and
// the background's, tiled.
// c0.x: how many times the background noise repeats down the target (y, z, w
//       unused).
// Out: TEXCOORD0 = (u * 4/3, v); TEXCOORD1 = TEXCOORD0 * tiles.
// Slots by hand: 6.

float4 tiles : register(c0);

struct VS_IN
{
    float3 pos : POSITION;
    float2 uv : TEXCOORD0;
};

struct VS_OUT
{
    float4 pos : POSITION;
    float2 picture : TEXCOORD0;
    float2 background : TEXCOORD1;
};

VS_OUT MainVS(VS_IN i)
{
    VS_OUT o;
    o.pos = float4(i.pos.x * 2.0 - 1.0, 1.0 - i.pos.y * 2.0, 0.0, 1.0);
    o.picture = i.uv * float2(4.0 / 3.0, 1.0);
    o.background = o.picture * tiles.x;
    return o;
}
