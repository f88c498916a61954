#pragma once
// The owner-drawn combos of the object settings: each item shows the line,
// width, marker or fill pattern it stands for. They fill themselves once, as
// the number combos do.
#include "platform/controls/controls.h"
#include "ui_controls/combos/number_combo.h"

struct DRAWITEMSTRUCT;
struct MEASUREITEMSTRUCT;

// The styles an owner-drawn style combo needs when created in code.
constexpr DWORD kStyleComboStyles = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;

class CLineStyleCombo : public CNumberTableCombo5 {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id)
    {
        return CComboBox::Create(style | kStyleComboStyles, r, parent, id);
    }
    // The selected pen style; 5 (the null pen) when nothing is selected.
    int GetSelectedStyle() const;
    void DrawItem(DRAWITEMSTRUCT* dis);
    void MeasureItem(MEASUREITEMSTRUCT*) {}

protected:
    DECLARE_MESSAGE_MAP()
};

class CLineWidthCombo : public CNumberCombo10 {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id)
    {
        return CComboBox::Create(style | kStyleComboStyles, r, parent, id);
    }
    void DrawItem(DRAWITEMSTRUCT* dis);
    void MeasureItem(MEASUREITEMSTRUCT*) {}

protected:
    DECLARE_MESSAGE_MAP()
};

class CPointStyleCombo : public CNumberCombo7 {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id)
    {
        return CComboBox::Create(style | kStyleComboStyles, r, parent, id);
    }
    void DrawItem(DRAWITEMSTRUCT* dis);
    void MeasureItem(MEASUREITEMSTRUCT*) {}

protected:
    DECLARE_MESSAGE_MAP()
};

class CFillStyleCombo : public CNumberTableCombo8 {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id)
    {
        return CComboBox::Create(style | kStyleComboStyles, r, parent, id);
    }
    // Selects the first item with this data and returns its index; none:
    // clears the selection, -1.
    int SelectByData(int value);
    void DrawItem(DRAWITEMSTRUCT* dis);
    void MeasureItem(MEASUREITEMSTRUCT*) {}

protected:
    DECLARE_MESSAGE_MAP()
};
