#pragma once
// The in-place edit window a grid cell opens over itself. It ends on Tab,
// Enter, Esc, navigation keys (when allowed) or losing the focus, reports
// the text to its owner with LVN_ENDLABELEDIT and deletes itself.
#include <string>

#include "platform/afx/afx_controls.h"

class CDataGridEditBox : public CEdit {
public:
    CDataGridEditBox(CWnd* parent, const RECT& rect, DWORD style, UINT id, int row, int col, const std::string& text,
                     UINT firstChar);

    void FinishEdit();
    BOOL PreTranslateMessage(MSG* msg) override;

    // Live edit box objects on this thread (tests check for leaks).
    static int LiveCount();

    int m_editRow, m_editColumn;
    std::string m_originalText;
    UINT m_endKey = 0;
    BOOL m_navKeysExit;
    RECT m_editRect;

    ~CDataGridEditBox() override;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void PostNcDestroy() override;
    void OnKeyDown(UINT key);
    void OnChar(UINT ch);
    void GrowToText();
    void EndWith(UINT key);
};
