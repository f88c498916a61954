// Our own folder browser.
#include "platform/afx/folder_browser.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {
const CDialogItemTemplate kItems[] = {
    {WC_STATIC, "", IDC_FOLDER_TITLE, SS_LEFT | SS_NOPREFIX, 7, 7, 186, 16, 0},
    {WC_STATIC, "", IDC_FOLDER_STATUS, SS_LEFT | SS_NOPREFIX, 7, 25, 186, 10, 0},
    {WC_TREEVIEW, "", IDC_FOLDER_TREE,
     WS_BORDER | WS_TABSTOP | WS_VSCROLL | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 7, 38,
     186, 120, 0},
    {WC_BUTTON, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 89, 166, 50, 14, 0},
    {WC_BUTTON, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 143, 166, 50, 14, 0},
};

// Sub-folders of a folder, sorted by name; unreadable folders have none.
std::vector<std::string> SubFolders(const std::string& path)
{
    std::vector<std::string> out;
    std::error_code ec;
    fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code ec2;
        if (it->is_directory(ec2) && !ec2) out.push_back(it->path().filename().string());
        if (out.size() > 10000) break;
    }
    std::sort(out.begin(), out.end());
    return out;
}
}  // namespace

BEGIN_MESSAGE_MAP(CFolderBrowser, CDialog)
    ON_NOTIFY(TVN_ITEMEXPANDING, IDC_FOLDER_TREE, OnItemExpanding)
    ON_NOTIFY(TVN_SELCHANGED, IDC_FOLDER_TREE, OnSelChangedNotify)
END_MESSAGE_MAP()

CFolderBrowser::CFolderBrowser(const char* caption, const char* title, const char* initial, CWnd* parent)
    : m_caption(caption ? caption : "Browse for Folder"), m_title(title ? title : ""), m_folder(initial ? initial : "")
{
    EnsureControlClasses();
    m_template = CDialogTemplate{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, m_caption.c_str(), 0, 0,
                                 200, 187, kItems, sizeof kItems / sizeof kItems[0]};
    m_pTemplate = &m_template;
    m_pParentWnd = parent;
}

CTreeCtrl& CFolderBrowser::Tree()
{
    // An alias of the dialog's tree window, outside the handle map.
    m_tree.m_hWnd = ::GetDlgItem(m_hWnd, IDC_FOLDER_TREE);
    return m_tree;
}

std::string CFolderBrowser::PathOf(HTREEITEM item) const
{
    std::vector<std::string> parts;
    CTreeCtrl& tree = const_cast<CFolderBrowser*>(this)->Tree();
    for (HTREEITEM h = item; h; h = tree.GetParentItem(h)) parts.push_back(tree.GetItemText(h));
    if (parts.empty()) return {};
    std::string path = parts.back();   // the root "/"
    for (size_t i = parts.size() - 1; i-- > 0;) {
        if (path.empty() || path.back() != '/') path += '/';
        path += parts[i];
    }
    return path;
}

void CFolderBrowser::LoadChildren(HTREEITEM item)
{
    CTreeCtrl& tree = Tree();
    if (tree.GetChildItem(item)) return;   // loaded already
    const std::string path = PathOf(item);
    std::vector<std::string> subs = SubFolders(path);
    for (const std::string& s : subs) {
        TVINSERTSTRUCT is{};
        is.hParent = item;
        is.hInsertAfter = TVI_LAST;
        is.item.mask = TVIF_TEXT | TVIF_CHILDREN;
        is.item.pszText = (char*)s.c_str();
        is.item.cChildren = 1;   // found out when the branch opens
        ::SendMessage(tree.m_hWnd, TVM_INSERTITEM, 0, (LPARAM)&is);
    }
    if (subs.empty()) {
        TVITEM it{};
        it.mask = TVIF_CHILDREN;
        it.hItem = item;
        it.cChildren = 0;
        ::SendMessage(tree.m_hWnd, TVM_SETITEM, 0, (LPARAM)&it);
    }
}

HTREEITEM CFolderBrowser::ItemOf(const std::string& path) const
{
    CTreeCtrl& tree = const_cast<CFolderBrowser*>(this)->Tree();
    HTREEITEM h = tree.GetRootItem();
    if (!h || path.empty() || path[0] != '/') return nullptr;
    fs::path p = fs::path(path).lexically_normal();
    for (auto it = ++p.begin(); it != p.end(); ++it) {
        const std::string name = it->string();
        if (name.empty()) continue;
        const_cast<CFolderBrowser*>(this)->LoadChildren(h);
        HTREEITEM c = tree.GetChildItem(h);
        while (c && tree.GetItemText(c) != name) c = tree.GetNextSiblingItem(c);
        if (!c) return nullptr;
        h = c;
    }
    return h;
}

bool CFolderBrowser::SelectFolder(const std::string& path)
{
    HTREEITEM h = ItemOf(path);
    if (!h) return false;
    Tree().SelectItem(h);
    Tree().EnsureVisible(h);
    return true;
}

BOOL CFolderBrowser::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_FOLDER_TITLE, m_title.c_str());
    CTreeCtrl& tree = Tree();
    HTREEITEM root = tree.InsertItem("/", TVI_ROOT, TVI_LAST);
    LoadChildren(root);
    tree.Expand(root, TVE_EXPAND);
    std::error_code ec;
    std::string start = m_folder.empty() ? fs::current_path(ec).string() : m_folder;
    if (!SelectFolder(start)) tree.SelectItem(root);
    OnStart();
    return TRUE;
}

void CFolderBrowser::OnItemExpanding(NMHDR* hdr, LRESULT* result)
{
    const NMTREEVIEW* nm = reinterpret_cast<const NMTREEVIEW*>(hdr);
    if (nm->action == TVE_EXPAND) LoadChildren(nm->itemNew.hItem);
    *result = 0;
}

void CFolderBrowser::OnSelChangedNotify(NMHDR* hdr, LRESULT* result)
{
    const NMTREEVIEW* nm = reinterpret_cast<const NMTREEVIEW*>(hdr);
    std::string path = nm->itemNew.hItem ? PathOf(nm->itemNew.hItem) : std::string();
    SetDlgItemText(IDC_FOLDER_STATUS, path.c_str());
    if (HWND ok = ::GetDlgItem(m_hWnd, IDOK)) ::EnableWindow(ok, !path.empty());
    m_folder = path;
    OnSelChanged(path);
    *result = 0;
}

void CFolderBrowser::OnOK()
{
    HTREEITEM h = Tree().GetSelectedItem();
    std::string path = h ? PathOf(h) : m_folder;
    if (!OnValidate(path)) return;
    m_folder = path;
    EndDialog(IDOK);
}
