// Places the unit square of quad2d.x on the current render target.
//
// Coordinates are fractions of the render target, from 0 to 1, with the
// origin at its top-left corner and y running down.
//   screenspace off: x and y give the centre of the rectangle, width and
//                    height its size; x=0.5 y=0.5 width=1 height=1 covers
//                    the whole target.
//   screenspace on:  x and y give the top-left corner of the rectangle
//                    instead; width and height are the same.
//
// c0: colour (r, g, b, a); c1: (x, y, width, height);
// c2.x: 1 when screenspace is on, else 0 (the other components belong to
// other effects and are not read).

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
    // 0.5 moves a centred rectangle half its size up and left; 0 keeps the corner.
    float centred = 0.5 - 0.5 * step(0.5, options.x);
    float2 p = placement.xy + (i.pos.xy - centred) * placement.zw;
    o.pos = float4(p.x * 2.0 - 1.0, 1.0 - p.y * 2.0, 0.0, 1.0);
    o.colour = colour;
    o.uv = i.uv;
    return o;
}
