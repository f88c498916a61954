#pragma once
// DDX/DDV: moving values between a dialog's controls and its members, and
// checking them. A failed check shows an exclamation box with the standard
// text, puts the focus on the control and throws CUserException, which
// UpdateData turns into FALSE.
#include <string>

#include "platform/types.h"

class CWnd;

#ifndef BM_GETCHECK
#define BM_GETCHECK 0x00F0u
#define BM_SETCHECK 0x00F1u
#endif
#define BST_UNCHECKED 0
#define BST_CHECKED 1

class CDataExchange {
public:
    CDataExchange(CWnd* dlg, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlg) {}
    // The control's window (remembered for Fail); a missing control is a
    // programming error reported as a failure.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;
};

void DDX_Text(CDataExchange* pDX, int id, std::string& value);
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, UINT& value);
void DDX_Text(CDataExchange* pDX, int id, long& value);
void DDX_Text(CDataExchange* pDX, int id, double& value);
void DDX_Text(CDataExchange* pDX, int id, float& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
// The index of the checked radio button in the group starting at id (-1: none).
void DDX_Radio(CDataExchange* pDX, int id, int& value);
// Subclasses the control into the object on the first exchange.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int maxChars);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxLong(CDataExchange* pDX, long value, long minVal, long maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal);
void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal);
