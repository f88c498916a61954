#pragma once
// Real payload cells made and ended in bulk: loops over many cells look the
// pool up once instead of once per cell. The cells are the ones the value
// setters use, so a cell made here is an ordinary Real cell.
#include "values/cell_pool.h"
#include "values/value.h"

// The pools of Real and Complex payloads; null where every payload is its
// own heap block (sanitizer builds).
CCellPool* RealCellPool();
CCellPool* ComplexCellPool();

class CRealCells {
public:
    CRealCells() : m_pool(RealCellPool()) {}

    // cell holds no payload. False without memory; the cell then stays empty.
    bool Make(CValue& cell, double x)
    {
        double* p = m_pool ? static_cast<double*>(m_pool->Alloc()) : AllocRealCell();
        if (!p) return false;
        *p = x;
        cell.m_payload = (uintptr_t)p;
        cell.m_tag = VT_REAL;
        return true;
    }

    // What the cell's destructor does, without the dispatch for Real cells.
    void End(CValue& cell)
    {
        if (cell.Type() == VT_REAL && m_pool)
            m_pool->Free(reinterpret_cast<double*>(cell.m_payload));
        else
            cell.~CValue();
    }

private:
    CCellPool* m_pool;
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

private:
    CCellPool* m_pool;
};
