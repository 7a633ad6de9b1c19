// Point-sprite particles.
// c0..c3: the projection, transposed by the application; c4: (target width,
// target height, 0, 0) in pixels.
// The sprite covers as many pixels as an object of the particle's size would
// at its depth, so sprites shrink with distance. With the identity matrix the
// size is in clip-space units: a size of 1 is half the target's height.

float4x4 projection : register(c0);
float4 target : register(c4);

struct VS_IN
{
    float3 pos : POSITION;
    float4 colour : COLOR0;
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
    o.pos = mul(float4(i.pos, 1.0), projection);
    o.colour = i.colour;
    // _22 is the projection's y scale; the point size is in pixels.
    o.size = i.size * projection._22 * target.y * 0.5 / o.pos.w;
    return o;
}
