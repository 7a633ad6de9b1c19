// The one pseudo-random source of the show. Its state starts at 1 and is never
// reseeded, so every run draws the same numbers; who draws depends on the
// order in which effects load and render.
#pragma once

#include <d3dx9.h>

#include <cstdint>

// 0 to 32767.
int Random();

// A draw scaled to 0.0 .. 1.0 inclusive.
float RandomUnit();

// Three draws: a length uniform in 0..radius and two angles over a full turn
// each, so directions are not uniform over the sphere.
D3DXVECTOR3 RandomVector(float radius);

// For tests that replay a run's draws; the show itself never reseeds.
uint32_t GetRandomState();
void SetRandomState(uint32_t state);
