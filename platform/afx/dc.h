#pragma once
// CDC: a device context as views and printing see it. It does not own the
// handle unless made by CreateDC-like helpers (m_bOwns).
#include "platform/gdi/gdi.h"

class CDC {
public:
    CDC() = default;
    explicit CDC(HDC hdc) : m_hDC(hdc), m_hAttribDC(hdc) {}
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }
    void Attach(HDC hdc, bool owns = false)
    {
        m_hDC = m_hAttribDC = hdc;
        m_bOwns = owns;
    }
    HDC Detach()
    {
        HDC h = m_hDC;
        m_hDC = m_hAttribDC = nullptr;
        m_bOwns = false;
        return h;
    }

    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;
    BOOL m_bPrinting = FALSE;
    bool m_bOwns = false;
};
