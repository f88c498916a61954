// The IDE's resource tables (see resources.h).
#include "ide/shell/resources.h"

#include <mutex>

#include "ide/editors/value_edit.h"
#include "platform/controls/controls.h"
#include "ui_controls/edit/edit_view.h"

void RegisterVeldraBitmaps(HINSTANCE module);

namespace {

// The File menu's head and tail, shared by both main menus.
#define VELDRA_FILE_TAIL                                      \
    {MF_STRING, ID_FILE_PRINT_SETUP, "P&rint Setup..."},      \
    {MF_SEPARATOR, 0, nullptr},                               \
    {MF_STRING, ID_FILE_MRU_FILE1, "Recent File"},            \
    {MF_SEPARATOR, 0, nullptr},                               \
    {MF_STRING | MF_END, ID_APP_EXIT, "E&xit"}

#define VELDRA_VIEW_TOOLS                                           \
    {MF_POPUP | MF_END, 0, "T&ools"},                               \
    {MF_STRING, ID_VIEW_OUTPUT, "&Output Bar\tAlt+0"},              \
    {MF_STRING, ID_VIEW_EDITOR, "&Editor\tAlt+5"},                  \
    {MF_STRING, ID_VIEW_VARIABLES, "&Variables\tAlt+2"},            \
    {MF_STRING, ID_VIEW_FUNCTIONS, "&Functions\tAlt+1"},            \
    {MF_STRING | MF_END, ID_VIEW_WATCHER, "&Watcher\tAlt+3"}

#define VELDRA_HELP                                                 \
    {MF_POPUP | MF_END, 0, "&Help"},                                \
    {MF_STRING, ID_HELP_CONTENTS, "&Contents"},                     \
    {MF_STRING, ID_HELP_INDEX, "&Index..."},                        \
    {MF_STRING, ID_HELP_WEBPAGE, "&Web-page"},                      \
    {MF_SEPARATOR, 0, nullptr},                                     \
    {MF_STRING | MF_END, ID_APP_ABOUT, "&About Veldra..."}

const MenuTableItem kMainMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING, ID_FILE_NEW, "&New\tCtrl+N"},
    {MF_STRING, ID_FILE_OPEN, "&Open...\tCtrl+O"},
    {MF_SEPARATOR, 0, nullptr},
    VELDRA_FILE_TAIL,
    {MF_POPUP, 0, "&View"},
    {MF_STRING, ID_VIEW_TOOLBAR, "&Toolbar"},
    {MF_STRING, ID_VIEW_CALCBAR, "&Calc Bar"},
    {MF_STRING, ID_VIEW_STATUS_BAR, "&Status Bar"},
    VELDRA_VIEW_TOOLS,
    {MF_POPUP, 0, "&Tools"},
    {MF_STRING, ID_TOOLS_SETTINGS, "&Settings..."},
    {MF_STRING | MF_END, ID_TOOLS_AUTOCALC, "&Auto Calculate"},
    VELDRA_HELP,
};

const MenuTableItem kDocumentMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING, ID_FILE_NEW, "&New\tCtrl+N"},
    {MF_STRING, ID_FILE_OPEN, "&Open...\tCtrl+O"},
    {MF_STRING, ID_FILE_CLOSE, "&Close"},
    {MF_STRING, ID_FILE_SAVE, "&Save\tCtrl+S"},
    {MF_STRING, ID_FILE_SAVE_AS, "Save &As..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_FILE_PRINT, "&Print...\tCtrl+P"},
    {MF_STRING, ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
    VELDRA_FILE_TAIL,
    {MF_POPUP, 0, "&Edit"},
    {MF_STRING, ID_EDIT_UNDO, "&Undo\tCtrl+Z"},
    {MF_STRING, ID_EDIT_REDO, "&Redo\tCtrl+Y"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_EDIT_CUT, "Cu&t\tCtrl+X"},
    {MF_STRING, ID_EDIT_COPY, "&Copy\tCtrl+C"},
    {MF_STRING, ID_EDIT_PASTE, "&Paste\tCtrl+V"},
    {MF_STRING, ID_EDIT_SELECT_ALL, "Select &All\tCtrl+A"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_EDIT_FIND, "&Find...\tCtrl+F"},
    {MF_STRING, ID_EDIT_REPLACE, "R&eplace...\tCtrl+H"},
    {MF_STRING, ID_EDIT_REPEAT, "Find &Next\tF3"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_EDIT_COMMENT, "Co&mment\tCtrl+Q"},
    {MF_STRING, ID_EDIT_UNCOMMENT, "U&ncomment\tCtrl+W"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_EDIT_PROPERTIES, "Pr&operties..."},
    {MF_POPUP, 0, "&View"},
    {MF_STRING, ID_VIEW_TOOLBAR, "&Toolbar"},
    {MF_STRING, ID_VIEW_CALCBAR, "&Calc Bar"},
    {MF_STRING, ID_VIEW_STATUS_BAR, "&Status Bar"},
    VELDRA_VIEW_TOOLS,
    {MF_POPUP, 0, "&Program"},
    {MF_STRING, ID_PROGRAM_CALCULATE, "&Calculate\tCtrl+F5"},
    {MF_STRING, ID_PROGRAM_PAUSE, "&Pause"},
    {MF_STRING, ID_PROGRAM_STOP, "&Stop"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_DEBUG_START, "Start &Debug\tF5"},
    {MF_STRING, ID_DEBUG_STEP, "S&tep\tF10"},
    {MF_STRING, ID_DEBUG_STEP_INTO, "Step &Into\tF11"},
    {MF_STRING, ID_DEBUG_BREAK, "&Break"},
    {MF_STRING, ID_DEBUG_RUN_TO_CURSOR, "Run to C&ursor\tCtrl+F10"},
    {MF_STRING | MF_END, ID_DEBUG_STOP, "St&op Debug\tShift+F5"},
    {MF_POPUP, 0, "&Insert"},
    {MF_STRING, ID_INSERT_STATEMENT, "&Statement"},
    {MF_STRING, ID_INSERT_FUNCTION, "&Function"},
    {MF_STRING, ID_INSERT_OPERATION, "&Operation"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_INSERT_MATRIX, "&Matrix..."},
    {MF_STRING, ID_INSERT_STRUCTURE, "S&tructure..."},
    {MF_STRING, ID_INSERT_BINARY, "&Binary string..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_INSERT_NEW_FUNCTION, "New F&unction..."},
    {MF_POPUP, 0, "&Tools"},
    {MF_STRING, ID_TOOLS_VARIABLES, "&Variables"},
    {MF_STRING, ID_TOOLS_FUNCTIONS, "&Functions"},
    {MF_STRING, ID_TOOLS_WATCHER, "&Watcher"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_TOOLS_SETTINGS, "&Settings..."},
    {MF_STRING | MF_END, ID_TOOLS_AUTOCALC, "&Auto Calculate"},
    {MF_POPUP, 0, "&Window"},
    {MF_STRING, ID_WINDOW_CASCADE, "&Cascade"},
    {MF_STRING, ID_WINDOW_TILE_HORZ, "&Tile"},
    {MF_STRING | MF_END, ID_WINDOW_ARRANGE, "&Arrange Icons"},
    VELDRA_HELP,
};

const MenuTableItem kEditorMenu[] = {
    {MF_POPUP | MF_END, 0, "Editor"},
    {MF_STRING, ID_EDIT_CUT, "Cu&t"},
    {MF_STRING, ID_EDIT_COPY, "&Copy"},
    {MF_STRING, ID_EDIT_PASTE, "&Paste"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_EDIT_COMMENT, "&Comment\tCtrl+Q"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_TOGGLE_BREAKPOINT, "Insert &Breakpoint"},
    {MF_STRING, ID_REMOVE_ALL_BREAKPOINTS, "&Remove All Breakpoints"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_INSERT_FUNCTION, "&Function..."},
    {MF_STRING, ID_INSERT_BINARY, "&Binary..."},
    {MF_STRING, ID_INSERT_MATRIX, "&Matrix..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_EDIT_PROPERTIES, "Pr&operties..."},
};

const ACCEL kAccelerators[] = {
    {FVIRTKEY | FCONTROL, 'N', (WORD)ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'O', (WORD)ID_FILE_OPEN},
    {FVIRTKEY | FCONTROL, 'S', (WORD)ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL, 'P', (WORD)ID_FILE_PRINT},
    {FVIRTKEY | FCONTROL, 'Z', (WORD)ID_EDIT_UNDO},
    {FVIRTKEY | FCONTROL, 'Y', (WORD)ID_EDIT_REDO},
    {FVIRTKEY | FCONTROL, 'X', (WORD)ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'C', (WORD)ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, 'V', (WORD)ID_EDIT_PASTE},
    {FVIRTKEY | FCONTROL, 'A', (WORD)ID_EDIT_SELECT_ALL},
    {FVIRTKEY | FCONTROL, 'F', (WORD)ID_EDIT_FIND},
    {FVIRTKEY | FCONTROL, 'H', (WORD)ID_EDIT_REPLACE},
    {FVIRTKEY, VK_F3, (WORD)ID_EDIT_REPEAT},
    {FVIRTKEY | FCONTROL, 'Q', (WORD)ID_EDIT_COMMENT},
    {FVIRTKEY | FCONTROL, 'W', (WORD)ID_EDIT_UNCOMMENT},
    {FVIRTKEY | FCONTROL, VK_F5, (WORD)ID_PROGRAM_CALCULATE},
    {FVIRTKEY, VK_F5, (WORD)ID_DEBUG_START},
    {FVIRTKEY | FSHIFT, VK_F5, (WORD)ID_DEBUG_STOP},
    {FVIRTKEY, VK_F9, (WORD)ID_TOGGLE_BREAKPOINT},
    {FVIRTKEY, VK_F10, (WORD)ID_DEBUG_STEP},
    {FVIRTKEY, VK_F11, (WORD)ID_DEBUG_STEP_INTO},
    {FVIRTKEY | FCONTROL, VK_F10, (WORD)ID_DEBUG_RUN_TO_CURSOR},
    {FVIRTKEY | FALT, '0', (WORD)ID_VIEW_OUTPUT},
    {FVIRTKEY | FALT, '1', (WORD)ID_VIEW_FUNCTIONS},
    {FVIRTKEY | FALT, '2', (WORD)ID_VIEW_VARIABLES},
    {FVIRTKEY | FALT, '3', (WORD)ID_VIEW_WATCHER},
    {FVIRTKEY | FALT, '5', (WORD)ID_VIEW_EDITOR},
    {FVIRTKEY, VK_F1, (WORD)ID_HELP_F1},
    {FVIRTKEY | FSHIFT, VK_F1, (WORD)ID_CONTEXT_HELP},
};

// A command's string: "prompt\ntool tip".
#define VELDRA_PROMPT(id, prompt, tip) {id, prompt "\n" tip}

const AfxStringEntry kStrings[] = {
    {IDR_MAINFRAME, "Veldra"},
    {IDR_VDXTYPE, "\nVeldra\nVeldra\nVeldra Files (*.vdx)\n.vdx\nVeldra.Document\nVeldra Document"},
    {AFX_IDS_APP_TITLE, "Veldra"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {IDS_OLE_INIT_FAILED, "OLE initialization failed. Make sure that the OLE libraries are the correct version."},
    {ID_INDICATOR_CURSOR, "Ln 99999, Col 9999"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
    VELDRA_PROMPT(ID_FILE_NEW, "Create a new program", "New"),
    VELDRA_PROMPT(ID_FILE_OPEN, "Open an existing program", "Open"),
    VELDRA_PROMPT(ID_FILE_CLOSE, "Close the active program", "Close"),
    VELDRA_PROMPT(ID_FILE_SAVE, "Save the active program", "Save"),
    VELDRA_PROMPT(ID_FILE_SAVE_AS, "Save the active program with a new name", "Save As"),
    VELDRA_PROMPT(ID_FILE_PRINT, "Print the active program", "Print"),
    VELDRA_PROMPT(ID_FILE_PRINT_PREVIEW, "Display full pages", "Print Preview"),
    VELDRA_PROMPT(ID_FILE_PRINT_SETUP, "Change the printer and printing options", "Print Setup"),
    VELDRA_PROMPT(ID_FILE_MRU_FILE1, "Open this program", "Open"),
    VELDRA_PROMPT(ID_APP_EXIT, "Quit the application; prompts to save programs", "Exit"),
    VELDRA_PROMPT(ID_EDIT_UNDO, "Undo the last action", "Undo"),
    VELDRA_PROMPT(ID_EDIT_REDO, "Redo the previously undone action", "Redo"),
    VELDRA_PROMPT(ID_EDIT_CUT, "Cut the selection and put it on the Clipboard", "Cut"),
    VELDRA_PROMPT(ID_EDIT_COPY, "Copy the selection and put it on the Clipboard", "Copy"),
    VELDRA_PROMPT(ID_EDIT_PASTE, "Insert Clipboard contents", "Paste"),
    VELDRA_PROMPT(ID_EDIT_SELECT_ALL, "Select the entire text", "Select All"),
    VELDRA_PROMPT(ID_EDIT_FIND, "Find the specified text", "Find"),
    VELDRA_PROMPT(ID_EDIT_REPLACE, "Replace specific text with different text", "Replace"),
    VELDRA_PROMPT(ID_EDIT_REPEAT, "Repeat the last find", "Find Next"),
    VELDRA_PROMPT(ID_EDIT_COMMENT, "Comment the selected lines", "Comment"),
    VELDRA_PROMPT(ID_EDIT_UNCOMMENT, "Uncomment the selected lines", "Uncomment"),
    VELDRA_PROMPT(ID_EDIT_PROPERTIES, "Edit the value at the caret", "Properties"),
    VELDRA_PROMPT(ID_TOGGLE_BREAKPOINT, "Insert or remove a breakpoint", "Breakpoint"),
    VELDRA_PROMPT(ID_REMOVE_ALL_BREAKPOINTS, "Remove all breakpoints", "Remove All Breakpoints"),
    VELDRA_PROMPT(ID_VIEW_TOOLBAR, "Show or hide the toolbar", "Toggle ToolBar"),
    VELDRA_PROMPT(ID_VIEW_STATUS_BAR, "Show or hide the status bar", "Toggle StatusBar"),
    VELDRA_PROMPT(ID_VIEW_CALCBAR, "Show or hide the Calc bar", "Toggle Calc Bar"),
    VELDRA_PROMPT(ID_VIEW_OUTPUTBAR, "Show or hide the output bar", "Output Bar"),
    VELDRA_PROMPT(ID_VIEW_OUTPUT, "Go to the output bar", "Output Bar"),
    VELDRA_PROMPT(ID_VIEW_EDITOR, "Go to the editor", "Editor"),
    VELDRA_PROMPT(ID_VIEW_VARIABLES, "Go to the variables window", "Variables"),
    VELDRA_PROMPT(ID_VIEW_FUNCTIONS, "Go to the functions window", "Functions"),
    VELDRA_PROMPT(ID_VIEW_WATCHER, "Go to the watcher", "Watcher"),
    VELDRA_PROMPT(ID_TOOLS_SETTINGS, "Change the settings", "Settings"),
    VELDRA_PROMPT(ID_TOOLS_AUTOCALC, "Run each new line as it is entered", "Auto Calculate"),
    VELDRA_PROMPT(ID_TOOLS_VARIABLES, "Show or hide the variables window", "Variables"),
    VELDRA_PROMPT(ID_TOOLS_FUNCTIONS, "Show or hide the functions window", "Functions"),
    VELDRA_PROMPT(ID_TOOLS_WATCHER, "Show or hide the watcher", "Watcher"),
    VELDRA_PROMPT(ID_PROGRAM_CALCULATE, "Run the program", "Calculate"),
    VELDRA_PROMPT(ID_PROGRAM_PAUSE, "Pause or continue the running program", "Pause"),
    VELDRA_PROMPT(ID_PROGRAM_STOP, "Stop the running program", "Stop"),
    VELDRA_PROMPT(ID_DEBUG_START, "Run the program in the debugger", "Start Debug"),
    VELDRA_PROMPT(ID_DEBUG_STEP, "Run the next statement", "Step"),
    VELDRA_PROMPT(ID_DEBUG_STEP_INTO, "Run the next statement, entering functions", "Step Into"),
    VELDRA_PROMPT(ID_DEBUG_BREAK, "Break at the next statement", "Break"),
    VELDRA_PROMPT(ID_DEBUG_RUN_TO_CURSOR, "Run to the caret's line", "Run to Cursor"),
    VELDRA_PROMPT(ID_DEBUG_STOP, "Stop debugging", "Stop Debug"),
    VELDRA_PROMPT(ID_INSERT_STATEMENT, "Insert a statement", "Statement"),
    VELDRA_PROMPT(ID_INSERT_FUNCTION, "Insert a function", "Function"),
    VELDRA_PROMPT(ID_INSERT_OPERATION, "Insert an operation", "Operation"),
    VELDRA_PROMPT(ID_INSERT_MATRIX, "Insert a matrix", "Matrix"),
    VELDRA_PROMPT(ID_INSERT_STRUCTURE, "Insert a structure", "Structure"),
    VELDRA_PROMPT(ID_INSERT_BINARY, "Insert a binary string", "Binary string"),
    VELDRA_PROMPT(ID_INSERT_NEW_FUNCTION, "Insert a new function", "New Function"),
    VELDRA_PROMPT(ID_WINDOW_CASCADE, "Arrange windows so they overlap", "Cascade"),
    VELDRA_PROMPT(ID_WINDOW_TILE_HORZ, "Arrange windows as non-overlapping tiles", "Tile"),
    VELDRA_PROMPT(ID_WINDOW_ARRANGE, "Arrange icons at the bottom of the window", "Arrange Icons"),
    VELDRA_PROMPT(ID_HELP_CONTENTS, "Show the help contents", "Help Contents"),
    VELDRA_PROMPT(ID_HELP_INDEX, "Show the help index", "Help Index"),
    VELDRA_PROMPT(ID_HELP_INDEX_ALT, "Show the help index", "Help Index"),
    VELDRA_PROMPT(ID_HELP_WEBPAGE, "Open the Veldra web page", "Web-page"),
    VELDRA_PROMPT(ID_APP_ABOUT, "Display program information, version number and copyright", "About"),
};

const CDialogItemTemplate kAboutItems[] = {
    {"Static", "", IDC_ABOUT_PICTURE, 0, 7, 7, 48, 48, 0},
    {"Static", "Veldra v1.29", IDC_ABOUT_NAME, 0, 64, 10, 150, 8, 0},
    {"Static", "Click here to visit official program site", IDC_ABOUT_SITE, SS_NOTIFY, 64, 26, 150, 8, 0},
    {"Static", "Click here to check Veldra updates", IDC_ABOUT_UPDATES, SS_NOTIFY, 64, 40, 150, 8, 0},
    {"Button", "OK", IDOK, WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 168, 60, 50, 14, 0},
};
const CDialogTemplate kAbout = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, "About Veldra",
                                0, 0, 225, 81, kAboutItems, sizeof kAboutItems / sizeof kAboutItems[0]};

}  // namespace

const UINT kVeldraStatusPanes[5] = {ID_SEPARATOR, ID_INDICATOR_CURSOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                    ID_INDICATOR_SCRL};

AfxToolbarResource VeldraMainToolbar()
{
    return AfxToolbarResource{24, 24, {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0,
                                       ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
                                       ID_EDIT_UNDO, ID_EDIT_REDO, 0,
                                       ID_EDIT_FIND, ID_FILE_PRINT, 0,
                                       ID_VIEW_OUTPUTBAR, 0,
                                       ID_HELP_CONTENTS}};
}

AfxToolbarResource VeldraCalcToolbar()
{
    return AfxToolbarResource{24, 24, {ID_PROGRAM_CALCULATE, ID_PROGRAM_PAUSE, ID_PROGRAM_STOP, 0,
                                       ID_DEBUG_START, ID_DEBUG_STEP, ID_DEBUG_STEP_INTO,
                                       ID_DEBUG_RUN_TO_CURSOR, ID_DEBUG_BREAK, ID_DEBUG_STOP, 0,
                                       ID_TOOLS_VARIABLES, ID_TOOLS_FUNCTIONS, ID_TOOLS_WATCHER}};
}

CModuleState* VeldraModuleState()
{
    static std::once_flag once;
    CModuleState* state = AfxGetProgramModuleState();
    std::call_once(once, [state] {
        CResourceTable& t = state->m_resources;
        t.AddStrings(kStrings, sizeof kStrings / sizeof kStrings[0]);
        t.AddMenu(IDR_MAINFRAME, kMainMenu, sizeof kMainMenu / sizeof kMainMenu[0]);
        t.AddMenu(IDR_VDXTYPE, kDocumentMenu, sizeof kDocumentMenu / sizeof kDocumentMenu[0]);
        t.AddMenu(IDR_EDITOR_MENU, kEditorMenu, sizeof kEditorMenu / sizeof kEditorMenu[0]);
        t.AddAccelerators(IDR_MAINFRAME, kAccelerators, sizeof kAccelerators / sizeof kAccelerators[0]);
        t.AddAccelerators(IDR_VDXTYPE, kAccelerators, sizeof kAccelerators / sizeof kAccelerators[0]);
        t.AddDialog(IDD_ABOUTBOX, &kAbout);
        AddValueEditorTemplates(t);
        t.AddToolbar(IDR_MAINFRAME, VeldraMainToolbar());
        t.AddToolbar(IDR_CALCBAR, VeldraCalcToolbar());
        RegisterVeldraBitmaps(state->ResourceHandle());
    });
    return state;
}
