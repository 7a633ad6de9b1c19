// Environment-mapped mesh, vs_2_0, about 26 instruction slots (2 x 4 dp4 for
// the transforms, 3 dp4 for the normal, 2 normalisations at 3 each, reflect 3,
// rim 4, moves).
// c0..c3: world x projection, transposed by the application; c4..c7: world,
// transposed. There is no view matrix: the eye sits at the origin looking
// along +z.
// Out: TEXCOORD0.xyz the reflection of the view ray about the world normal;
// TEXCOORD1.x how much the surface turns away from the eye (0 facing it, 1 at
// the silhouette).

float4x4 worldViewProjection : register(c0);
float4x4 world : register(c4);

struct VS_IN
{
    float3 pos : POSITION;
    float3 normal : NORMAL;
};

struct VS_OUT
{
    float4 pos : POSITION;
    float4 reflection : TEXCOORD0;
    float4 rim : TEXCOORD1;
};

VS_OUT MainVS(VS_IN i)
{
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1.0), worldViewProjection);
    float3 position = mul(float4(i.pos, 1.0), world).xyz;
    float3 normal = normalize(mul(float4(i.normal, 0.0), world).xyz);
    float3 view = normalize(position);
    o.reflection = float4(reflect(view, normal), 0.0);
    float turned = 1.0 - saturate(-dot(view, normal));
    o.rim = float4(turned * turned, 0.0, 0.0, 0.0);
    return o;
}
