#pragma once
// The binary data editor: CBinaryDlg (template 174, "Binary data") hosting a
// hex editor (id 1151) over its own copy of the bytes, with the name, the
// row length, the size and the item width.
//
// Input -> result:
//   Columns box / check 1121    row length (0 with the check: as many as fit)
//   Size box (editable only)    the byte count; new bytes are zero
//   radio "1", "2", "4"         2, 4 or 8 digits per item
//   Insert                      modal: ends with IDOK; an editable editor
//                               writes the bytes back into the caller's
//                               value; modeless: inserts the literal
#include <string>
#include <vector>

#include "ui_controls/hex_edit/hex_edit_ctrl.h"
#include "ui_controls/layout/dynamic_dialog.h"
#include "values/value.h"

class IValueEditHost;
class CBinaryDlg;

// The hex editor that owns its byte buffer (malloc'd) and reports size changes.
class CBinaryHexCtrl : public CHexEditCtrl {
public:
    ~CBinaryHexCtrl() override;
    void SetBytes(const std::vector<unsigned char>& bytes);
    std::vector<unsigned char> Bytes() const;
    void OnBufferResized() override;
    HFONT m_font = nullptr;
    CBinaryDlg* m_pReport = nullptr;   // told of size changes
};

class CBinaryDlg : public LytDynamicDialog {
public:
    // value: the caller's binary value (may be null: a temporary literal).
    // host null: modal.
    CBinaryDlg(std::string* outName, const std::string& name, CValue* value, const std::vector<unsigned char>& bytes,
               bool editable, IValueEditHost* host, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    const LayoutTableEntry* GetLayoutTable() const override;
    void PostNcDestroy() override;

    // Before start: the row length and digits per item the hex editor starts with.
    void SetLayout(int rowLength, int digits);
    // The item choice: 0 "1", 1 "2", 2 "4" bytes per item.
    void ChooseItemSize(int choice);
    void SetAutoColumns(bool on);
    // The hex editor's size changed: the size box follows.
    void OnHexResized();

    std::vector<unsigned char> Bytes() const { return m_hex.Bytes(); }
    int RowLength() const { return m_hex.GetItemsPerRow(); }
    int Digits() const { return m_hex.GetDigitsPerItem(); }
    // The literal the Insert of a modeless editor inserts (no name).
    std::string Literal() const;

    std::string* m_pOutName;
    bool m_initialised = false;
    IValueEditHost* m_pHost;
    CValue* m_pValue;
    CBinaryHexCtrl m_hex;
    bool m_editable;
    unsigned m_columns = 8;
    unsigned m_size = 0;
    std::string m_name;
    int m_itemChoice = 0;
    int m_autoColumns = 0;

private:
    void FillBoxes();
    int m_startRowLength = 8, m_startDigits = 2;
    bool m_filling = false;
};
