// Marks a per-bin loop to be compiled twice, for AVX2 and for the baseline x86-64 set;
// the loader picks the copy the machine can run. Neither copy is allowed FMA, so both
// round every operation alike and a render is bit-identical on any x86-64 machine.
#pragma once

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define HALCYRA_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define HALCYRA_VECTOR_CLONES
#endif
