#pragma once
// Number cells made and ended in bulk: loops over many cells look the
// Complex pool up once instead of once per cell. A cell made here is an
// ordinary cell of its kind.
#include <bit>
#include <cstdint>
#include <new>

#include "values/cell_pool.h"
#include "values/value.h"

// A truth as the Real 1.0 or 0.0, made as a mask of the bits of 1.0 rather
// than chosen: a branch there mispredicts on every other cell of random data.
inline double TruthValue(bool t)
{
    return std::bit_cast<double>(std::bit_cast<uint64_t>(1.0) & (0 - (uint64_t)t));
}

// Real cells hold their number inline; the class keeps the bulk loops' shape.
class CRealCells {
public:
    // cell holds no payload. Always true: a Real needs no memory of its own.
    bool Make(CValue& cell, double x)
    {
        cell.m_real = x;
        cell.m_tag = VT_REAL;
        return true;
    }

    // What the cell's destructor does.
    void End(CValue& cell) { cell.~CValue(); }
};

class CComplexCells {
public:
    CComplexCells() : m_pool(ComplexCellPool()) {}

    // cell holds no payload. False without memory; the cell then stays empty.
    bool Make(CValue& cell, const Complex& z)
    {
        Complex* p = m_pool ? static_cast<Complex*>(m_pool->Alloc()) : AllocComplexCell();
        if (!p) return false;
        *p = z;
        cell.m_payload = (uintptr_t)p;
        cell.m_tag = VT_COMPLEX;
        return true;
    }

    // An unset cell becomes z; without pool memory it goes SetComplex's way
    // (and stays empty when the heap refuses that too).
    void MakeUnset(CValue& cell, const Complex& z)
    {
        if (Make(cell, z)) return;
        new (&cell) CValue();
        cell.SetComplex(z);
    }

    // cell holds no payload; p is a cell of the Complex pool holding its number.
    static void Adopt(CValue& cell, Complex* p)
    {
        cell.m_payload = (uintptr_t)p;
        cell.m_tag = VT_COMPLEX;
    }

private:
    CCellPool* m_pool;
};

// Fresh Complex payloads carved side by side for a large result (see
// CCellPool::CarveRun), so that a library can write its numbers straight into
// them; handed back to the pool unless the result took them. First() is null
// for small results, in sanitizer builds and when free cells can serve.
class CComplexRun {
public:
    static constexpr size_t kMinCells = 16 * 1024;

    explicit CComplexRun(size_t n)
        : m_pool(ComplexCellPool()), m_n(n),
          m_first(m_pool && n >= kMinCells ? static_cast<Complex*>(m_pool->CarveRun(n)) : nullptr)
    {
    }
    CComplexRun(const CComplexRun&) = delete;
    CComplexRun& operator=(const CComplexRun&) = delete;
    ~CComplexRun()
    {
        if (m_first) m_pool->ReturnRun(m_first, m_n);
    }
    Complex* First() const { return m_first; }
    // The cells now belong to the result (CComplexCells::Adopt).
    void Release() { m_first = nullptr; }

private:
    CCellPool* m_pool;
    size_t m_n;
    Complex* m_first;
};
