#pragma once
// Resources of one module (program, device library, test library): menus,
// accelerators, strings and dialog templates as C++ tables; toolbar and other
// images are PNGs registered with the drawing level under the module handle.
// Lookups go to the current module first, then to the platform's own table.
#include <map>
#include <mutex>
#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "platform/user/menu.h"

// Ids every module may use; the platform table answers those a module lacks.
#define AFX_IDS_APP_TITLE 0xE000u          // 57344: "Veldra", "Quorra", "Nerith"
#define AFX_IDS_IDLEMESSAGE 0xE001u        // "Ready"
#define AFX_IDS_UNTITLED 0xE002u
#define AFX_IDP_ASK_TO_SAVE 0xF000u
#define AFX_IDS_MEMORY_EXCEPTION 0xF001u
#define AFX_IDP_INTERNAL_FAILURE 0xF002u
#define AFX_IDP_PARSE_INT 0xF003u
#define AFX_IDP_PARSE_REAL 0xF004u
#define AFX_IDP_PARSE_INT_RANGE 0xF005u
#define AFX_IDP_PARSE_REAL_RANGE 0xF006u
#define AFX_IDP_PARSE_STRING_SIZE 0xF007u
#define AFX_IDP_FAILED_TO_OPEN_DOC 0xF008u
#define AFX_IDP_FAILED_TO_SAVE_DOC 0xF009u
#define AFX_IDS_APPLY 0xF00Au
#define AFX_IDS_OK 0xF00Bu
#define AFX_IDS_CANCEL 0xF00Cu

struct AfxStringEntry {
    UINT id;
    const char* text;
};

struct CDialogTemplate;

// A toolbar: its button size and the command of each button (0 = separator);
// the image strip is the module's bitmap of the same id (a PNG named by the
// decimal id).
struct AfxToolbarResource {
    int width = 16;
    int height = 15;
    std::vector<UINT> buttons;
};

class CResourceTable {
public:
    void AddStrings(const AfxStringEntry* entries, size_t count);
    void AddMenu(UINT id, const MenuTableItem* items, size_t count);
    void AddAccelerators(UINT id, const ACCEL* entries, size_t count);
    void AddDialog(UINT id, const CDialogTemplate* tmpl);
    void AddToolbar(UINT id, AfxToolbarResource toolbar);

    bool FindString(UINT id, std::string& text) const;
    // A new menu / accelerator table (the caller owns it), or null.
    HMENU LoadMenu(UINT id) const;
    HACCEL LoadAccelerators(UINT id) const;
    const CDialogTemplate* FindDialog(UINT id) const;
    bool FindToolbar(UINT id, AfxToolbarResource& toolbar) const;

private:
    mutable std::mutex m_lock;
    std::map<UINT, std::string> m_strings;
    std::map<UINT, std::vector<MenuTableItem>> m_menus;
    std::map<UINT, std::vector<ACCEL>> m_accels;
    std::map<UINT, const CDialogTemplate*> m_dialogs;
    std::map<UINT, AfxToolbarResource> m_toolbars;
};

// Lookups through the current module state, then the platform table.
std::string AfxLoadString(UINT id);
bool AfxLoadString(UINT id, std::string& text);
HMENU AfxLoadMenu(UINT id);
HACCEL AfxLoadAccelerators(UINT id);
const CDialogTemplate* AfxFindDialogTemplate(UINT id);
bool AfxFindToolbar(UINT id, AfxToolbarResource& toolbar);

// "%1".."%9" replaced by the arguments (AfxFormatString).
std::string AfxFormatString(const std::string& format, const std::vector<std::string>& args);

// Opens a file or address with xdg-open (argv, no shell). False at once when
// xdg-open is missing or cannot start; `failed`, when given, is called later
// on another thread when xdg-open ends with a failure status (nothing could
// show the target).
bool AfxOpenExternal(const std::string& target, std::function<void(int status)> failed = nullptr);
// A hook that opens instead of xdg-open (tests install one); null removes it.
void AfxSetOpenExternalHook(std::function<bool(const std::string&)> hook);
