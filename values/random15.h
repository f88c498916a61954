#pragma once
// The runtime's stand-in for the C library's rand(): a per-thread generator
// with a 15-bit range, so that scaling formulas written for 0..32767 keep their meaning.

int Rand15();                   // 0 .. 32767
void SeedRand15(unsigned seed); // this thread only
