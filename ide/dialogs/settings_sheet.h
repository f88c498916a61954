#pragma once
// The settings sheet of Tools "&Settings...": four pages over the IDE's
// settings ("Main", "Editor", "Modules", "Program"). Each page copies the
// settings into its controls when made and writes them back only in its
// apply step; a page that refuses keeps the sheet open and changes nothing.
// Nothing is saved here: the settings are saved when the main frame goes.
#include <string>
#include <vector>

#include "platform/afx/afx_controls.h"
#include "platform/afx/data_exchange.h"
#include "platform/afx/dialog_template.h"
#include "platform/afx/message_map.h"
#include "platform/afx/property_page.h"
#include "platform/afx/property_sheet.h"
#include "platform/afx/wnd.h"
#include "ui_controls/combos/color_combo.h"
#include "ui_controls/combos/font_combo.h"
#include "values/app_settings.h"

class CmdrInfo;
struct FuncLibrary;
struct FuncModule;

#define IDD_SETS_GENERAL 155
#define IDD_SETS_EDITOR 157
#define IDD_SETS_PROGRAM 159
#define IDD_SETS_MODULES 160

// The page templates (ide/settings_templates.cpp).
const CDialogTemplate* SetsPageTemplate(UINT id);

// A page whose edits offer "&Apply" once the user changes something.
class CSetsPage : public CPropertyPage {
public:
    using CPropertyPage::CPropertyPage;
    BOOL OnSetActive() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    bool m_ready = false;   // the controls hold the settings: changes count from now
};

// "Main".
class CSetsGeneral : public CSetsPage {
public:
    CSetsGeneral();
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnApply() override;

    int m_autoOpen, m_timeLabel, m_useAsConsole;
    int m_precision;
    int m_streamLimitKb;
    int m_outputStyle;    // 0 "As Stream", 1 "Printing"
    int m_numericStyle;   // 0 "Format", 1 "Variable"
    int m_formatPrecision, m_formatWidth, m_columnLimit;
    FontSetting m_fonts[3];   // variables, watcher, output
    CFontCombo m_faces[3];
};

// "Editor".
class CSetsEditor : public CSetsPage {
public:
    CSetsEditor();
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnApply() override;
    void OnLayerChanged();
    void OnForegroundChanged();
    void OnBackgroundChanged();

    int m_insertAsExample, m_multiline, m_alignment;
    LayerColor m_layers[AppSettings::LayerCount];   // the private copy
    FontSetting m_editorFont, m_tooltipFont;
    CColorCombo m_foreground, m_background;
    CFontCombo m_editorFace, m_tooltipFace;

protected:
    DECLARE_MESSAGE_MAP()
    int CurrentLayer() const;
};

// One module item of the Modules tree.
struct ModuleItem {
    int kind;                  // 1 statement library, 2 input/output library, 3 functions library
    CmdrInfo* group;           // kinds 1 and 2
    FuncLibrary* library;      // kind 3
    int (*funcSets)(FuncLibrary*, HWND);
    std::string fileName;
};

// "Modules".
class CSetsModules : public CSetsPage {
public:
    CSetsModules();
    ~CSetsModules() override;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnApply() override;
    void OnSelChanged(NMHDR* hdr, LRESULT* result);
    void OnBrowseFunctions();
    void OnBrowseModules();
    void OnSetting();

    std::string m_functionsFolder, m_modulesFolder;

    // The selected module's record, or null.
    const ModuleItem* SelectedItem() const;

protected:
    DECLARE_MESSAGE_MAP()
    void Browse(int editId);
    void ShowItem(const ModuleItem* item);
    HTREEITEM AddItem(HTREEITEM category, const std::string& name, ModuleItem* item);
    CTreeCtrl& Tree() const;

    std::vector<ModuleItem*> m_items;
    HTREEITEM m_categories[3] = {};
    HTREEITEM m_lastModule = nullptr;
    bool m_moving = false;
    mutable CTreeCtrl m_tree;
};

// "Program".
class CSetsProgram : public CSetsPage {
public:
    CSetsProgram();
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnApply() override;
    void OnStackChanged();
    void OnStackSpin(NMHDR* hdr, LRESULT* result);

    int m_updatePeriod;
    int m_callCount;
    double m_stackMb;
    int m_watcherCalls;
    int m_priority;   // index into the priority list

    // The call-count maximum of a stack size: Mb x 300, truncated.
    static int CallLimit(double stackMb);

protected:
    DECLARE_MESSAGE_MAP()
    void SetCallLimit(int maximum);
};

class CSetsSheet : public CPropertySheet {
public:
    CSetsSheet(const char* caption, CWnd* parent = nullptr, UINT firstPage = 0);
    ~CSetsSheet() override;
    // The page the sheet opens on: the one shown when it was last closed.
    static int LastPage();

    CSetsGeneral m_general;
    CSetsEditor m_editor;
    CSetsModules m_modules;
    CSetsProgram m_program;

protected:
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};

// Tools "&Settings..." (33111): runs the sheet "Settings"; true on OK, the
// settings then written to AppSettings. The caller re-applies fonts and colours.
bool RunSettingsSheet(CWnd* owner);
