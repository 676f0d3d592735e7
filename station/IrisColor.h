// Iris, brightness and colour: the tables and arithmetic behind the handlers of IrisColor.cpp.
#pragma once

#include "control/ColourSequences.h"

// The flash level range, and a level stepped by `step` within it. A level outside the range (a
// stored value an administrator edited) is first taken as the nearest end.
inline constexpr int kLowestFlashLevel = 0;
inline constexpr int kHighestFlashLevel = 32;
int StepFlashLevel(int level, int step);
