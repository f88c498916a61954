#pragma once
// A headless dialog from a C++ template whose combos are subclassed, and the
// recording of one owner-drawn item.
#include <gtest/gtest.h>
#include "tests/support/common_dialog_script.h"

#include <string>

#include "platform/afx/afx.h"
#include "platform/afx/afx_controls.h"
#include "platform/backend/headless_input.h"
#include "platform/user/user.h"

class ComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetHeadlessInput();
        ClearCommonDialogAnswers();
        TakeCommonDialogLog();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        PumpUntilIdle();
        CWnd::DeleteTempMap();
        ClearCommonDialogAnswers();
        ReleaseCapture();
        ResetHeadlessInput();
        PumpUntilIdle();
    }
};

// Sends WM_DRAWITEM for one item of an owner-drawn combo to its parent (which
// reflects it to the control's object) and returns the recorded drawing.
inline std::string RecordComboItem(CComboBox& combo, int item, UINT state, RECT rc = {0, 0, 160, 20})
{
    HDC dc = CreateRecordingDC(FALSE);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_COMBOBOX;
    dis.CtlID = (UINT)combo.GetDlgCtrlID();
    dis.itemID = (UINT)item;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = combo.m_hWnd;
    dis.hDC = dc;
    dis.rcItem = rc;
    dis.itemData = item >= 0 ? combo.GetItemData(item) : 0;
    ::SendMessage(::GetParent(combo.m_hWnd), WM_DRAWITEM, (WPARAM)dis.CtlID, (LPARAM)&dis);
    std::string log = GetRecordingLog(dc);
    DeleteDC(dc);
    return log;
}
