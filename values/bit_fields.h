#pragma once
// Numbers to and from the bytes of binary strings: bit fields and IEEE single/double bytes.
// Input bytes are cells whose payload's low byte is the byte; results are new ValueArrays
// (AllocValueArray) that the caller installs in a value or frees.
#include <cstdint>

#include "values/value.h"

// Cuts n bytes into fields of `width` bits (1..64), lowest bit first, as Real cells.
// Returns the bit count of a last partial field (0 when none); -1 for a bad width or a
// failed allocation. n = 0 gives count 0 and no array.
int UnpackBits(const CValue* bytes, uint32_t n, CValue*& out, uint32_t& outCount, int width, bool isSigned);

// Packs n numbers (Real, or the real part of a Complex) truncated to `width` bits into Byte
// cells. Returns the bits used in the last byte (0 when full); -1 when a cell is not a number,
// the width is bad or the allocation fails (nothing is returned then).
int PackBits(const CValue* numbers, uint32_t n, CValue*& out, int width);

// Mode 1: binary32, modes 2 and 3: binary64, little-endian. A partial last number is completed
// with zero bytes at its high end. Returns n mod size; -1 for a bad mode or failed allocation.
int BinaryStringToReals(const CValue* bytes, uint32_t n, CValue*& out, uint32_t& outCount, int mode);

// Each number as 4 or 8 Byte cells. Returns 0; -1 when a cell is not a number, for a bad mode
// or a failed allocation.
int RealsToBinaryString(const CValue* numbers, uint32_t n, CValue*& out, int mode);
