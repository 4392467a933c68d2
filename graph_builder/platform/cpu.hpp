#pragma once
// What the processor offers beyond the compiler's baseline, asked once per
// process (the fast paths that use these features are compiled for them
// separately and chosen at run time), and how many cores the process may use.

namespace graph_builder::platform {

// 512-bit integer vectors (AVX-512F): sixteen MD5 digests side by side.
bool has_avx512_hashing();

// AVX-512 BW, VL, VBMI, VBMI2 and BMI2: JSON strings escaped 32 bytes at a time.
bool has_avx512_escaping();

// The number of processors this process may run on: those of its CPU
// affinity, lowered to a cgroup CPU quota (rounded up) when one is set on its
// cgroup or an ancestor. At least 1. Asked afresh on each call.
unsigned usable_cores();

}  // namespace graph_builder::platform
