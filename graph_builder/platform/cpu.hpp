#pragma once
// What the processor offers beyond the compiler's baseline, asked once per
// process. The fast paths that use these features are compiled for them
// separately and chosen at run time.

namespace graph_builder::platform {

// 512-bit integer vectors (AVX-512F): sixteen MD5 digests side by side.
bool has_avx512_hashing();

// AVX-512 BW, VL, VBMI, VBMI2 and BMI2: JSON strings escaped 32 bytes at a time.
bool has_avx512_escaping();

}  // namespace graph_builder::platform
