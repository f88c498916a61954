#pragma once
// CColorDialog: picks a colour (headless: the script's `color`).
#include "platform/types.h"

class CWnd;

class CColorDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* = nullptr) : m_color(initial), m_flags(flags) {}
    virtual ~CColorDialog() = default;
    virtual int DoModal();
    COLORREF GetColor() const { return m_color; }

private:
    COLORREF m_color;
    DWORD m_flags;
};
