#pragma once
// The benchmark program's sections. Each measures one thing, prints its own table and
// never fails: a measurement that cannot be made is printed as such.

namespace bench {

using Section = void (*)();

// Registers a section at static initialisation; returns true so it can initialise a
// namespace-scope constant.
bool addSection(const char* name, Section run);

}  // namespace bench
