// The screen-space passes' draw (fractal, postprocess, radial_blur, text):
// quad2d.x with the depth test off, the shaders and textures bound, vertex
// constants c0..c2 (colour, placement, options) and the pixel constants from
// c0 one register each, in a scene of its own; the depth test is on again
// afterwards, whether or not the scene began.
#pragma once

#include <initializer_list>

class C_Renderer;

struct FlatQuad
{
    int mesh;
    int vertexShader;
    int pixelShader;
};

void DrawFlatQuad(C_Renderer& renderer, const FlatQuad& quad, std::initializer_list<int> textures, const float* colour,
                  const float* placement, const float* options, std::initializer_list<const float*> pixelConstants);
