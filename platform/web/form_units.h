// The page lays its dialog forms out at the base units of Windows' 8-point
// dialog font at 96 DPI: 6 pixels across and 13 down, so a dialog unit is a
// quarter of the one and an eighth of the other.
#pragma once

namespace web
{
const int kBaseX = 6;
const int kBaseY = 13;
} // namespace web
