#pragma once
// The benchmark program's sections. Each measures one thing, prints its own table and
// never fails: a measurement that cannot be made is printed as such. Sections that
// measure something with a goal also add it to the final table, printed after them all.

#include "bench/figures.h"

namespace bench {

using Section = void (*)();

// Registers a section at static initialisation; returns true so it can initialise a
// namespace-scope constant.
bool addSection(const char* name, Section run);

// Adds a figure to the final table, in the order added.
void addFigure(Figure figure);

// Adds figures measured before a change, printed in a table of their own after the final
// one under the heading `when` ("measured before ...").
void addBefore(const char* when, std::span<const Before> rows);

}  // namespace bench
