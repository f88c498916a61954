#include "values/char_cells.h"

CValue* FillCharCells(CValue* cells, const char* text)
{
    CValue* c = cells;
    for (; *text; ++text, ++c) {
        c->Clear();
        c->m_payload = (unsigned char)*text;
        c->m_tag = VT_CHAR;
    }
    c->Clear();
    return cells;
}

CValue* FillByteCells(CValue* cells, const unsigned char* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        cells[i].Clear();
        cells[i].m_payload = bytes[i];
        cells[i].m_tag = VT_BYTE;
    }
    cells[n].Clear();
    return cells;
}

size_t StringLength(const CValue* cells)
{
    size_t n = 0;
    while (cells[n].Type() != VT_EMPTY) ++n;
    return n;
}

CValue* CopyValueArray(CValue* dst, const CValue* src)
{
    size_t i = 0;
    for (; src[i].Type() != VT_EMPTY; ++i) dst[i] = src[i];
    dst[i] = src[i];
    return dst;
}

CValue* ConcatValueArrays(CValue* dst, const CValue* first, const CValue* second)
{
    CValue* d = dst;
    for (; first->Type() != VT_EMPTY; ++first, ++d) *d = *first;
    for (; second->Type() != VT_EMPTY; ++second, ++d) *d = *second;
    *d = *second;
    return d;
}

namespace {
inline bool IsCharCell(const CValue& c) { return c.Type() == VT_CHAR; }

template <class Op>
int CombineCells(CValue* dst, const CValue* src, Op op)
{
    int n = 0;
    for (; IsCharCell(*dst) && IsCharCell(*src); ++dst, ++src, ++n) dst->SetWord(op(dst->Word(), src->Word()));
    return n;
}
}  // namespace

int AddCharCells(CValue* dst, const CValue* src)
{
    return CombineCells(dst, src, [](uint32_t a, uint32_t b) { return a + b; });
}

int SubCharCells(CValue* dst, const CValue* src)
{
    return CombineCells(dst, src, [](uint32_t a, uint32_t b) { return a - b; });
}

void AndCharCells(CValue* dst, const CValue* src)
{
    CombineCells(dst, src, [](uint32_t a, uint32_t b) { return a & b; });
}

void OrCharCells(CValue* dst, const CValue* src)
{
    CombineCells(dst, src, [](uint32_t a, uint32_t b) { return a | b; });
}

void XorCharCells(CValue* dst, const CValue* src)
{
    CombineCells(dst, src, [](uint32_t a, uint32_t b) { return a ^ b; });
}
