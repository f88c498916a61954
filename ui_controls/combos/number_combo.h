#pragma once
// CNumberCombo and its variants: combo boxes that fill themselves once with
// "%d" numbers or a {text, data} table, when created in code (WM_CREATE) or
// subclassed from a dialog template.
#include <string>
#include <utility>
#include <vector>

#include "platform/afx/afx_controls.h"

class CNumberCombo : public CComboBox {
public:
    struct Entry {
        const char* text;
        LONG_PTR data;
    };
    bool IsFilled() const { return m_filled; }

protected:
    // `count` "%d" items 0..count-1 with `data` (or none) as item data.
    CNumberCombo(int count, const LONG_PTR* data) : m_count(count), m_numberData(data) {}
    CNumberCombo(const Entry* table, int count, int shrinkBy)
        : m_count(count), m_table(table), m_shrinkBy(shrinkBy)
    {
    }
    void PreSubclassWindow() override;
    LRESULT OnCreateMsg(WPARAM, LPARAM);
    void Fill();

    bool m_filled = false;
    int m_count;
    const LONG_PTR* m_numberData = nullptr;
    const Entry* m_table = nullptr;
    int m_shrinkBy = 0;

    DECLARE_MESSAGE_MAP()
};

// 136 numbers whose item data come from the control's table (zeros unless
// SetItemDataTable filled it before the control was created).
class CNumberCombo136 : public CNumberCombo {
public:
    static constexpr int kCount = 136;
    CNumberCombo136() : CNumberCombo(kCount, m_itemData) {}
    void SetItemDataTable(const std::vector<LONG_PTR>& values);
    const LONG_PTR* ItemDataTable() const { return m_itemData; }

private:
    LONG_PTR m_itemData[kCount] = {};
};

class CNumberCombo10 : public CNumberCombo {
public:
    CNumberCombo10() : CNumberCombo(10, nullptr) {}
};

class CNumberCombo7 : public CNumberCombo {
public:
    CNumberCombo7() : CNumberCombo(7, nullptr) {}
};

// The five pen styles; the control is 4 pixels shorter than created.
class CNumberTableCombo5 : public CNumberCombo {
public:
    static const Entry kTable[5];
    CNumberTableCombo5() : CNumberCombo(kTable, 5, 4) {}
};

// The eight fill styles (-2 hollow, -1 solid, else a hatch index).
class CNumberTableCombo8 : public CNumberCombo {
public:
    static const Entry kTable[8];
    CNumberTableCombo8() : CNumberCombo(kTable, 8, 0) {}
};
