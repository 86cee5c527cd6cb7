#pragma once
// How a fuzz target reports a broken rule: a line naming it, then an abort that libFuzzer keeps
// the input of.
#include <cstdio>
#include <cstdlib>

namespace tarnwick::fuzz {

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

inline void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

}  // namespace tarnwick::fuzz
