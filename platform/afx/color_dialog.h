#pragma once
// CColorDialog: picks a colour.
#include "platform/types.h"

class CWnd;

class CColorDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr)
        : m_color(initial), m_flags(flags), m_parent(parent) {}
    virtual ~CColorDialog() = default;
    virtual int DoModal();
    COLORREF GetColor() const { return m_color; }

private:
    COLORREF m_color;
    DWORD m_flags;
    CWnd* m_parent;
};
