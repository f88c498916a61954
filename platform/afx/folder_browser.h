#pragma once
// Our own folder browser, for when there is neither a native one nor a
// scripted answer: a modal dialog with the folder tree (14145), the title
// text (14146) and the status text (14147), OK and Cancel. Folders load as
// their branch opens. Subclasses hook the start, each selection and OK.
#include <string>

#include "platform/afx/afx_controls.h"
#include "platform/afx/dialog.h"

#define IDC_FOLDER_TREE 14145
#define IDC_FOLDER_TITLE 14146
#define IDC_FOLDER_STATUS 14147

class CFolderBrowser : public CDialog {
public:
    CFolderBrowser(const char* caption, const char* title, const char* initial, CWnd* parent = nullptr);
    std::string GetFolderPath() const { return m_folder; }
    // Opens the tree down to the folder and selects it; false when it is not there.
    bool SelectFolder(const std::string& path);
    HTREEITEM ItemOf(const std::string& path) const;

    virtual void OnStart() {}
    virtual void OnSelChanged(const std::string&) {}
    // FALSE keeps the browser open.
    virtual BOOL OnValidate(const std::string&) { return TRUE; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnItemExpanding(NMHDR* hdr, LRESULT* result);
    void OnSelChangedNotify(NMHDR* hdr, LRESULT* result);

protected:
    DECLARE_MESSAGE_MAP()
    std::string PathOf(HTREEITEM item) const;
    void LoadChildren(HTREEITEM item);
    CTreeCtrl& Tree();

    std::string m_caption, m_title, m_folder;
    CTreeCtrl m_tree;
    CDialogTemplate m_template{};
};
