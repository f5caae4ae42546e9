#pragma once

#include <cstdio>

// One figure with its target, in a line scripts/benchmark.sh gathers into its summary:
// "FIGURE<TAB>what<TAB>value<TAB>unit<TAB>relation<TAB>target", relation "<" or "<=".
inline void benchFigure(const char *what, double value, const char *unit, const char *relation, double target)
{
    std::printf("FIGURE\t%s\t%.2f\t%s\t%s\t%.2f\n", what, value, unit, relation, target);
    std::fflush(stdout);
}
