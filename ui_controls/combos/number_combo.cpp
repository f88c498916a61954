#include "ui_controls/combos/number_combo.h"

#include <algorithm>
#include <cstdio>

const CNumberCombo::Entry CNumberTableCombo5::kTable[5] = {
    {"Solid", 0}, {"Dash", 1}, {"Dot", 2}, {"Dash-dot", 3}, {"Dash-dot-dot", 4},
};

const CNumberCombo::Entry CNumberTableCombo8::kTable[8] = {
    {"No filling", -2}, {"Solid", -1},     {"Diagonal down", 3}, {"Grid", 4},
    {"Diagonal grid", 5}, {"Diagonal up", 2}, {"Horizontal", 0},  {"Vertical", 1},
};

BEGIN_MESSAGE_MAP(CNumberCombo, CComboBox)
    ON_MESSAGE(WM_CREATE, OnCreateMsg)
END_MESSAGE_MAP()

LRESULT CNumberCombo::OnCreateMsg(WPARAM, LPARAM)
{
    LRESULT r = Default();
    if (r == -1) return r;
    Fill();
    return r;
}

void CNumberCombo::PreSubclassWindow()
{
    Fill();
    CComboBox::PreSubclassWindow();
}

void CNumberCombo::Fill()
{
    if (m_filled || !m_hWnd) return;
    if (m_shrinkBy > 0) {
        // A drop-down combo's closed height is its selection field's: the
        // field item gets shorter, and the window with it, at the same place.
        RECT r;
        GetWindowRect(&r);
        int height = std::max(1, (int)(r.bottom - r.top) - m_shrinkBy);
        if ((GetStyle() & 3u) != CBS_SIMPLE) {
            int field = (int)Send(CB_GETITEMHEIGHT, (WPARAM)-1);
            if (field > m_shrinkBy) Send(CB_SETITEMHEIGHT, (WPARAM)-1, field - m_shrinkBy);
        }
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int i = 0; i < m_count; ++i) {
        char number[16];
        const char* text = number;
        if (m_table) text = m_table[i].text;
        else std::snprintf(number, sizeof number, "%d", i);
        int at = AddString(text);
        if (at == CB_ERRSPACE || at == CB_ERR) break;
        if (m_table) SetItemData(at, (UINT_PTR)m_table[i].data);
        else if (m_numberData) SetItemData(at, (UINT_PTR)m_numberData[i]);
    }
    m_filled = true;
}

void CNumberCombo136::SetItemDataTable(const std::vector<LONG_PTR>& values)
{
    std::fill(std::begin(m_itemData), std::end(m_itemData), 0);
    std::copy_n(values.begin(), std::min<size_t>(values.size(), kCount), m_itemData);
}
