#pragma once
// A resizable dialog: the layout engine moves its controls, it never gets
// smaller than its first size, and it reopens where it was left
// ("WindowPositions\ID=0x<template id>" in the settings file).
#include "platform/afx/dialog.h"
#include "ui_controls/layout/dynamic_layout.h"

class LytDynamicDialog : public CDialog, public LytDynamicLayout {
    DECLARE_DYNAMIC(LytDynamicDialog)
public:
    LytDynamicDialog(UINT templateId, CWnd* parent, int axes = 3, int flags = 3);
    // A template given as a table; `storeId` names the position-store entry (0: none).
    LytDynamicDialog(const CDialogTemplate* tmpl, CWnd* parent, int axes, int flags, UINT storeId);

    BOOL OnInitDialog() override;
    BOOL DestroyWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnAttached() override;
    void OnDetaching() override;

    BOOL StorePosition();
    BOOL RestorePosition();
    // First use: centred on the parent, 10 % larger.
    void PlaceFirstTime();
    std::string StoreSection() const;
};

class LytDynamicChildDlg : public LytDynamicDialog {
    DECLARE_DYNAMIC(LytDynamicChildDlg)
public:
    using LytDynamicDialog::LytDynamicDialog;
};
