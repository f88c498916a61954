#pragma once
// Strings of char cells: routines over ValueArray cells.
#include <cstddef>

#include "values/value.h"

CValue* FillCharCells(CValue* cells, const char* text);
CValue* FillByteCells(CValue* cells, const unsigned char* bytes, size_t n);
size_t StringLength(const CValue* cells);
CValue* CopyValueArray(CValue* dst, const CValue* src);
CValue* ConcatValueArrays(CValue* dst, const CValue* first, const CValue* second);
bool ValueArraysEqual(const CValue* a, const CValue* b);    // through value equality
int CompareValueArrays(const CValue* a, const CValue* b);   // through value subtraction
int AddCharCells(CValue* dst, const CValue* src);
int SubCharCells(CValue* dst, const CValue* src);
void AndCharCells(CValue* dst, const CValue* src);
void OrCharCells(CValue* dst, const CValue* src);
void XorCharCells(CValue* dst, const CValue* src);
