#pragma once
// Invariant checks that stay on in release builds. A failed check is a bug in
// this program (never bad input), so it reports file and line and aborts.

#include <cstdio>
#include <cstdlib>

#define GB_CHECK(cond)                                                                       \
  do {                                                                                       \
    if (!(cond)) {                                                                           \
      std::fprintf(stderr, "graph_builder: internal error: %s:%d: %s\n", __FILE__, __LINE__, \
                   #cond);                                                                   \
      std::abort();                                                                          \
    }                                                                                        \
  } while (0)
