// The settings sheet's "Modules" page: the two library folders and the
// tree of loaded statement, input/output and function libraries.
#include "ide/dialogs/settings_sheet.h"

#include "devices/device_manager.h"
#include "devices/function_modules.h"
#include "ide/dialogs/folder_dialog.h"
#include "ide/dialogs/sets_page_util.h"
#include "ide/dialogs/settings_ids.h"
#include "interpreter/statement_module.h"
#include "platform/kernel/library.h"
#include "values/identifier_ids.h"
#include "values/path_text.h"

namespace {
const char* const kCategories[3] = {"Statements Libraries", "Input/Output Libraries", "Functions Libraries"};
}  // namespace

BEGIN_MESSAGE_MAP(CSetsModules, CSetsPage)
    ON_NOTIFY(TVN_SELCHANGED, IDC_SETS_TREE, OnSelChanged)
    ON_BN_CLICKED(IDC_SETS_BROWSE1, OnBrowseFunctions)
    ON_BN_CLICKED(IDC_SETS_BROWSE2, OnBrowseModules)
    ON_BN_CLICKED(IDC_SETS_SETTING, OnSetting)
END_MESSAGE_MAP()

CSetsModules::CSetsModules() : CSetsPage(SetsPageTemplate(IDD_SETS_MODULES), "Modules")
{
    m_functionsFolder = AppSettings::FunctionsFolder;
    m_modulesFolder = AppSettings::ModulesFolder;
}

CSetsModules::~CSetsModules()
{
    for (ModuleItem* item : m_items) delete item;
}

CTreeCtrl& CSetsModules::Tree() const
{
    // An alias of the page's tree window, outside the handle map.
    m_tree.m_hWnd = ::GetDlgItem(m_hWnd, IDC_SETS_TREE);
    return m_tree;
}

HTREEITEM CSetsModules::AddItem(HTREEITEM category, const std::string& name, ModuleItem* item)
{
    m_items.push_back(item);
    return Tree().InsertItem(name.c_str(), category, TVI_LAST, (LPARAM)item);
}

BOOL CSetsModules::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    CTreeCtrl& tree = Tree();
    for (int i = 0; i < 3; ++i) m_categories[i] = tree.InsertItem(kCategories[i]);
    HTREEITEM first = nullptr;
    auto note = [&](HTREEITEM h) {
        if (!first) first = h;
    };
    const int groups = CStatementModuleList::Count();
    for (int i = 0; i < groups; ++i) {
        const CStatementModuleList::Entry e = CStatementModuleList::At(i);
        const std::string name = e.info->title ? e.info->title : "";
        if (e.info->deviceManager)
            note(AddItem(m_categories[1], name,
                         new ModuleItem{2, e.info, nullptr, nullptr, e.info->deviceManager->LibraryPath()}));
        note(AddItem(m_categories[0], name, new ModuleItem{1, e.info, nullptr, nullptr, GetModuleFilePath(e.module)}));
    }
    for (const FuncModule& m : CFuncModuleList::Modules()) {
        int count = 0;
        FuncLibrary* libraries = m.GetFuncInfo ? m.GetFuncInfo(&count) : nullptr;
        for (int i = 0; libraries && i < count; ++i)
            note(AddItem(m_categories[2], libraries[i].name ? libraries[i].name : "",
                         new ModuleItem{3, nullptr, &libraries[i], m.FuncSets, m.path}));
    }
    for (HTREEITEM c : m_categories) tree.Expand(c, TVE_EXPAND);
    ShowItem(nullptr);
    if (first) {
        tree.SelectItem(first);
        tree.EnsureVisible(first);
    }
    return TRUE;
}

void CSetsModules::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_SETS_EDIT1, m_functionsFolder);
    DDX_Text(pDX, IDC_SETS_EDIT2, m_modulesFolder);
}

const ModuleItem* CSetsModules::SelectedItem() const
{
    HTREEITEM h = Tree().GetSelectedItem();
    return h ? (const ModuleItem*)Tree().GetItemData(h) : nullptr;
}

void CSetsModules::OnSelChanged(NMHDR*, LRESULT* result)
{
    *result = 0;
    if (m_moving) return;
    CTreeCtrl& tree = Tree();
    HTREEITEM h = tree.GetSelectedItem();
    if (h && !tree.GetItemData(h)) {
        // A category is never selected: on to its first module, or back up
        // to the previous category's last module when moving upwards.
        int c = 0;
        while (c < 3 && m_categories[c] != h) ++c;
        HTREEITEM target = tree.GetChildItem(h);
        if (!target || target == m_lastModule) {
            target = nullptr;
            for (int p = c - 1; p >= 0 && !target; --p)
                for (HTREEITEM k = tree.GetChildItem(m_categories[p]); k; k = tree.GetNextSiblingItem(k)) target = k;
            if (!target) target = m_lastModule;
        }
        m_moving = true;
        if (target) tree.SelectItem(target);
        m_moving = false;
        h = tree.GetSelectedItem();
    }
    const ModuleItem* item = h ? (const ModuleItem*)tree.GetItemData(h) : nullptr;
    if (item) m_lastModule = h;
    ShowItem(item);
}

void CSetsModules::ShowItem(const ModuleItem* item)
{
    std::string name, description, file;
    bool settings = false;
    if (item && item->kind != 3) {
        name = item->group->title ? item->group->title : "";
        description = item->group->description ? item->group->description : "";
        file = item->fileName;
        settings = item->kind == 1 && item->group->Query(0) == 0;
    } else if (item) {
        name = description = item->library->name ? item->library->name : "";
        file = item->fileName;
        settings = item->funcSets && item->funcSets(item->library, nullptr) == 0;
    }
    SetDlgItemText(IDC_SETS_EDIT3, name);
    SetDlgItemText(IDC_SETS_EDIT4, description);
    SetDlgItemText(IDC_SETS_EDIT5, file);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SETS_SETTING), settings);
}

void CSetsModules::OnSetting()
{
    const ModuleItem* item = SelectedItem();
    if (!item) return;
    // The group's operation takes an int: the page's window goes as its
    // identifier id, which the module maps back.
    if (item->kind == 1) item->group->Query((int)IdentifierIdOfWindow(m_hWnd));
    else if (item->kind == 3 && item->funcSets)
        item->funcSets(item->library, m_pSheet ? m_pSheet->m_hWnd : ::GetParent(m_hWnd));
}

void CSetsModules::Browse(int editId)
{
    const std::string start = BrowseStartFolder(GetDlgItemText(editId));
    ide::CFolderDialog dlg("Functions library folder", "Enter path", start.c_str(), this);
    if (dlg.DoModal() != 1) return;
    SetDlgItemText(editId, BrowseSettingText(dlg.GetPath(), GetProgramFolder()));
}

void CSetsModules::OnBrowseFunctions() { Browse(IDC_SETS_EDIT1); }
void CSetsModules::OnBrowseModules() { Browse(IDC_SETS_EDIT2); }

BOOL CSetsModules::OnApply()
{
    AppSettings::FunctionsFolder = m_functionsFolder;
    AppSettings::ModulesFolder = m_modulesFolder;
    return CPropertyPage::OnApply();
}
