#pragma once
// Small helpers the settings pages share.
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/afx/data_exchange.h"
#include "platform/afx/win_app.h"
#include "platform/afx/wnd.h"
#include "platform/afx/afx_controls.h"
#include "platform/controls/controls.h"
#include "ui_controls/combos/font_combo.h"
#include "values/app_settings.h"

// A drop-down list's selection as a member.
inline void DDX_ComboIndex(CDataExchange* pDX, int id, int& index)
{
    CControlAlias<CComboBox> combo(pDX->PrepareCtrl(id));
    if (pDX->m_bSaveAndValidate) index = combo.GetCurSel();
    else combo.SetCurSel(index);
}

// A spin button stepping its edit within lo..hi.
inline void AttachSpin(HWND page, int spinId, int editId, int lo, int hi)
{
    CControlAlias<CSpinButtonCtrl> spin(::GetDlgItem(page, spinId));
    CControlAlias<CEdit> edit(::GetDlgItem(page, editId));
    spin.SetBuddy(&edit);
    spin.SetRange32(lo, hi);
}

// The size boxes offer these points and take typed ones.
inline void FillSizeBox(HWND box, int tenths)
{
    CControlAlias<CComboBox> combo(box);
    for (const char* s : {"6", "7", "8", "9", "10", "11", "12", "14", "16"}) combo.AddString(s);
    const std::string shown = std::to_string(tenths / 10);
    ::SetWindowText(box, shown.c_str());
}

// The typed size in tenths of a point; false when outside low..high points
// (text that is no number counts as outside).
inline bool ReadSizeBox(CWnd* page, int id, int low, int high, int& tenths)
{
    const std::string text = page->GetDlgItemText(id);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !(v >= low && v <= high)) return false;
    tenths = (int)std::lround(v * 10);
    return true;
}

// Shows the range message and puts the focus on the size box.
inline void RefuseSize(CWnd* page, int id, const char* message)
{
    AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    if (HWND box = ::GetDlgItem(page->m_hWnd, id)) ::SetFocus(box);
}

// A face combo's choice; the stored face when the list does not have it.
inline std::string ChosenFace(const CFontCombo& combo, const std::string& stored)
{
    const std::string face = combo.m_hWnd ? combo.GetSelectedFont() : std::string();
    return face.empty() ? stored : face;
}
