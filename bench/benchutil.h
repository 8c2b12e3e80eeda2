#pragma once
// Generated drawings for the benchmarks.
#include "schematic/core/records.h"

namespace benchutil {
// A deterministic mix of every shape kind, components with shapes and texts, and free texts,
// spread over a world area of about `extent` units square.
TSchModel MakeDrawing(int shapes, int comps, int texts, int extent = 1000);
// Runs the registered benchmarks inside an offscreen Qt application (fonts, images and widgets need one).
int RunWithGui(int argc, char** argv);
} // namespace benchutil
