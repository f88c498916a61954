#pragma once
// CFontCombo: the installed font families (and the mapped face names whose
// family is installed), owner drawn with an outline-font mark and, by
// style, the name and a sample in the face itself.
#include <string>

#include "platform/afx/afx_controls.h"

#define TRUETYPE_FONTTYPE 0x0004u

class CFontCombo : public CComboBox {
public:
    CFontCombo() = default;
    ~CFontCombo() override;
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id)
    {
        return CComboBox::Create(style | CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS, r, parent, id);
    }

    void FillFonts();
    // Selects the item with exactly that text.
    void SelectFont(const std::string& name);
    std::string GetSelectedFont() const;

    void MeasureItem(MEASUREITEMSTRUCT* mis);
    void DrawItem(DRAWITEMSTRUCT* dis);

    bool m_filled = false;
    std::string m_sampleText = "abcdeABCDE";
    COLORREF m_sampleColor = 0;
    int m_style = 2;         // 0 name in its face, 1 name, 2 name + sample, 3 sample + name, 4 sample
    int m_fontHeight = 16;
    HIMAGELIST m_images = nullptr;
    int m_nameWidth = 0;
    int m_sampleWidth = 0;

protected:
    void PreSubclassWindow() override;
    LRESULT OnCreateMsg(WPARAM, LPARAM);
    void OnDropDown();
    // The context text is measured in (a test gives a recording one).
    virtual HDC GetMeasureDC() { return ::GetDC(m_hWnd); }
    virtual void ReleaseMeasureDC(HDC dc) { ::ReleaseDC(m_hWnd, dc); }
    HFONT CreateFace(const std::string& name) const;

    DECLARE_MESSAGE_MAP()
};
