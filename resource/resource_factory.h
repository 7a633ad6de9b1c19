// Empty resource objects by kind, for the registry to load.
#pragma once

#include "resource/resource.h"

namespace Resource
{
// Null for a kind this build cannot make.
I_Resource* MakeResource(int kind);
} // namespace Resource
