#pragma once
// What the resource tables of every device library share: the ids the
// framework and the frame skeleton name, the File, View and Help menus, the
// standard strings and the About box. Header only: a device's tests link its
// resource tables without the framework.
#include <iterator>
#include <span>
#include <vector>

#include "platform/afx/afx_ids.h"
#include "platform/afx/dialog_template.h"
#include "platform/afx/resources.h"
#include "platform/user/geometry.h"
#include "platform/user/message_box.h"
#include "platform/user/window.h"

enum : UINT {
    IDR_MAINFRAME = 128,
    IDD_ABOUTBOX = 100,
    IDC_ABOUT_NAME = 1000,
    IDC_ABOUT_VERSION = 1001,

    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_SEPARATOR = 0,
    ID_INDICATOR_CAPS = 0xE701,   // the framework's key panes: its handlers update them
    ID_INDICATOR_NUM = 0xE702,
    ID_INDICATOR_SCRL = 0xE703,
};

// A command's string: the message-pane prompt, then the tool tip.
#define DEVICE_PROMPT(id, prompt, tip) {id, prompt "\n" tip}

// The device's name where it shows: the title, the About box (the name,
// "Version 1.0" and OK) and Help's one item. The template points into the
// object, which therefore stays where it is made.
struct DeviceAboutBox {
    constexpr DeviceAboutBox(const char* name, const char* caption, const char* menuItem)
        : items{{"Static", name, IDC_ABOUT_NAME, 0, 40, 10, 119, 8, 0},
                {"Static", "Version 1.0", IDC_ABOUT_VERSION, 0, 40, 25, 119, 8, 0},
                {"Button", "OK", IDOK, WS_GROUP | WS_TABSTOP, 178, 7, 50, 14, 0}},
          dialog{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, caption, 0, 0, 235, 55, items, 3},
          name(name),
          menuItem(menuItem)
    {
    }
    DeviceAboutBox(const DeviceAboutBox&) = delete;
    DeviceAboutBox& operator=(const DeviceAboutBox&) = delete;

    CDialogItemTemplate items[3];
    CDialogTemplate dialog;
    const char* name;       // string 57344
    const char* menuItem;   // "&About <name>..."
};

// What a device adds to the shared tables under IDR_MAINFRAME and IDD_ABOUTBOX.
struct DeviceResourceTables {
    const DeviceAboutBox* about = nullptr;
    const char* documentString = "";          // string 128: the document template's names
    std::span<const MenuTableItem> editMenu;  // the main menu between File and View
    std::span<const MenuTableItem> ownMenus;  // between View and Help
    std::span<const ACCEL> accelerators;
    std::span<const AfxStringEntry> strings;  // the device's command strings
    AfxToolbarResource toolbar;
};

inline constexpr MenuTableItem kDeviceFileMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING, ID_FILE_NEW, "&New\tCtrl+N"},
    {MF_STRING, ID_FILE_OPEN, "&Open...\tCtrl+O"},
    {MF_STRING, ID_FILE_SAVE, "&Save\tCtrl+S"},
    {MF_STRING, ID_FILE_SAVE_AS, "Save &As..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_FILE_PRINT, "&Print...\tCtrl+P"},
    {MF_STRING, ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
    {MF_STRING, ID_FILE_PRINT_SETUP, "P&rint Setup..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_FILE_MRU_FILE1, "Recent File"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_APP_EXIT, "E&xit"},
};

inline constexpr MenuTableItem kDeviceViewMenu[] = {
    {MF_POPUP, 0, "&View"},
    {MF_STRING, ID_VIEW_TOOLBAR, "&Toolbar"},
    {MF_STRING | MF_END, ID_VIEW_STATUS_BAR, "&Status Bar"},
};

// Registers the main menu (File, the device's Edit, View, the device's own
// popups, Help), the accelerators, the strings, the About box and toolbar 128.
inline void RegisterDeviceResources(CResourceTable& table, const DeviceResourceTables& t)
{
    const AfxStringEntry shared[] = {
        {IDR_MAINFRAME, t.documentString},
        {AFX_IDS_APP_TITLE, t.about->name},
        {AFX_IDS_IDLEMESSAGE, "Ready"},
        {ID_INDICATOR_CAPS, "CAP"},
        {ID_INDICATOR_NUM, "NUM"},
        {ID_INDICATOR_SCRL, "SCRL"},
    };
    table.AddStrings(shared, std::size(shared));
    table.AddStrings(t.strings.data(), t.strings.size());

    std::vector<MenuTableItem> menu(std::begin(kDeviceFileMenu), std::end(kDeviceFileMenu));
    menu.insert(menu.end(), t.editMenu.begin(), t.editMenu.end());
    menu.insert(menu.end(), std::begin(kDeviceViewMenu), std::end(kDeviceViewMenu));
    menu.insert(menu.end(), t.ownMenus.begin(), t.ownMenus.end());
    menu.push_back({MF_POPUP | MF_END, 0, "&Help"});
    menu.push_back({MF_STRING | MF_END, ID_APP_ABOUT, t.about->menuItem});
    table.AddMenu(IDR_MAINFRAME, menu.data(), menu.size());

    table.AddAccelerators(IDR_MAINFRAME, t.accelerators.data(), t.accelerators.size());
    table.AddDialog(IDD_ABOUTBOX, &t.about->dialog);
    table.AddToolbar(IDR_MAINFRAME, t.toolbar);
}
