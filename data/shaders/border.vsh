// Places border.x, a frame, around the rectangle that quad2d.vsh places from
// the same registers: the frame's inner edge is the rectangle's edge and it
// reaches outwards by 5% of the rectangle's smaller side, so it grows and
// shrinks with the picture.
// Nothing in these registers gives the target's aspect, so the frame is laid
// out for kAspect (width / height), the geometric mean of 4:3 and 5:4: on
// either, its sides and its top differ by 3.3%, under a pixel for frames up
// to 30 pixels thick. For a screen of another shape, set kAspect to its own.
// Mesh: POSITION.xy is a corner of the unit square; POSITION.z is 0 on the
// inner edge and 1 on the outer edge, which moves out along (2 xy - 1).
// c0: colour (r, g, b, a); c1: (x, y, width, height) as in quad2d.vsh;
// c2.x: 1 when screenspace is on (x and y give the top-left corner), else 0.
// Slots by hand: 17.

float4 colour : register(c0);
float4 placement : register(c1);
float4 options : register(c2);

struct VS_IN
{
    float3 pos : POSITION;
    float2 uv : TEXCOORD0;
};

struct VS_OUT
{
    float4 pos : POSITION;
    float4 colour : COLOR0;
    float2 uv : TEXCOORD0;
};

VS_OUT MainVS(VS_IN i)
{
    VS_OUT o;
    float centred = 0.5 - 0.5 * step(0.5, options.x);
    float2 p = placement.xy + (i.pos.xy - centred) * placement.zw;
    // The smaller side in target heights, then the same pixel width both ways.
    const float kAspect = 1.291;
    float thickness = 0.05 * min(placement.z * kAspect, placement.w);
    p += i.pos.z * (i.pos.xy * 2.0 - 1.0) * thickness * float2(1.0 / kAspect, 1.0);
    o.pos = float4(p.x * 2.0 - 1.0, 1.0 - p.y * 2.0, 0.0, 1.0);
    o.colour = colour;
    o.uv = i.uv;
    return o;
}
