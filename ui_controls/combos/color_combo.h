#pragma once
// CColorCombo: an owner-drawn drop-down list of named colours, an automatic
// entry and a custom colour ("...") picked through the colour dialog.
#include <string>

#include "platform/afx/afx_controls.h"

struct ColorComboEntry {
    COLORREF color;
    char name[16];
};

class CColorCombo : public CComboBox {
public:
    static constexpr int kEntryCount = 19;
    static constexpr int kAutomaticIndex = 17;
    static constexpr int kCustomIndex = 18;
    static const ColorComboEntry kTable[kEntryCount];

    CColorCombo() = default;
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id)
    {
        return CComboBox::Create(style | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, r, parent, id);
    }
    // Before filling: a non-empty text replaces "Undefined" and the colour
    // replaces its item data (the IDE's "Auto" stores 0xFFFFFFFF).
    void SetAutomaticEntry(const std::string& text, COLORREF color)
    {
        m_customText = text;
        m_automaticColor = color;
    }
    // The selected item's data, CB_ERR when nothing is selected.
    COLORREF GetSelectedColor() const;
    // A colour not in the list goes into "..." and selects it.
    void SetSelectedColor(COLORREF color);

    void DrawItem(DRAWITEMSTRUCT* dis);
    void MeasureItem(MEASUREITEMSTRUCT*) {}
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    void PreSubclassWindow() override;
    LRESULT OnCreateMsg(WPARAM, LPARAM);
    void Fill();

    bool m_filled = false;
    std::string m_customText;
    COLORREF m_automaticColor = 0xFF000000u;

    DECLARE_MESSAGE_MAP()
};
