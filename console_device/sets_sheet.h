#pragma once
// The console's settings sheet "Settings" with its one page "General".
#include <string>

#include "platform/afx/data_exchange.h"
#include "platform/afx/message_map.h"
#include "platform/afx/property_page.h"
#include "platform/afx/property_sheet.h"
#include "platform/afx/wnd.h"
#include "ui_controls/combos/font_combo.h"

class CSetsGeneral : public CPropertyPage {
public:
    CSetsGeneral();
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnApply() override;
    BOOL OnSetActive() override;
    // An edit of any control enables Apply.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    bool m_ready = false;   // the page shown: changes from now on are the user's
    int m_outStamp = 0;
    int m_timeStamp = 0;
    int m_outputType = 0;    // 0 "As Stream", 1 "Printing"
    int m_numericType = 0;   // 0 "Format", 1 "Variable"
    int m_streamLimitKb = 0;
    int m_precision = 0;
    int m_width = 0;
    int m_columnLimit = 0;
    std::string m_fontFace;
    std::string m_fontSize;  // points, as typed
    CFontCombo m_fontCombo;  // control 1013
};

class CSetsSheet : public CPropertySheet {
public:
    CSetsSheet(const char* caption, CWnd* parent = nullptr);
    ~CSetsSheet() override;
    // The page the sheet opens on: the one shown when it was last closed.
    static int LastPage();

    CSetsGeneral m_general;

protected:
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
