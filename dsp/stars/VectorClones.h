// Marks a per-bin loop to be compiled twice, for AVX2 and for the baseline x86-64 set;
// the loader picks the copy the machine can run. Neither copy is allowed FMA, so both
// round every operation alike and a render is bit-identical on any x86-64 machine.
// Sanitizer builds get the baseline copy only: the loader runs the copy-choosing
// resolver before the sanitizer runtime is up, and an instrumented resolver crashes.
#pragma once

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define HALCYRA_SANITIZED_BUILD 1
#endif

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(HALCYRA_SANITIZED_BUILD)
#define HALCYRA_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define HALCYRA_VECTOR_CLONES
#endif
