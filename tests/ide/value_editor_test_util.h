#pragma once
// Shared pieces of the value-editor tests: a headless start, a host that
// records what the editors insert, and the start hook that scripts a modal
// editor from inside its own loop.
#include <functional>
#include <string>
#include <vector>

#include "../platform/afx_test_util.h"
#include "ide/editors/value_edit.h"
#include "ide/shell/value_editor_lists.h"

namespace vetest {

// A plain top-level window standing in for the program view.
class HostWindow : public CWnd {
public:
    HostWindow() { CreateEx(0, nullptr, "Program", WS_OVERLAPPEDWINDOW, 10, 10, 500, 400, nullptr, nullptr); }
    ~HostWindow() override
    {
        if (m_hWnd) DestroyWindow();
    }
};

class RecordingHost : public IValueEditHost {
public:
    RecordingHost() : lists(this) {}
    ~RecordingHost() override { lists.CloseAll(); }
    void InsertValue(const std::string& name, const CValue& value) override;
    void InsertValueText(const std::string& name, const std::string& text) override
    {
        inserted.push_back(name.empty() ? text : name + " = " + text);
    }
    CWnd* EditorParent() override { return &window; }
    bool OpenValueEditor(ValueEditorKind kind, const std::string& name, CValue* value) override
    {
        return lists.OpenEditor(kind, name, value);
    }
    void ValueEditorClosed(CDialog* editor) override { lists.RemoveEditor(editor); }

    HostWindow window;
    std::vector<std::string> inserted;
    CValueEditorLists lists;
};

// Runs `script` on each editor that starts (in order); the script decides
// how it ends (PostMessage of IDOK / IDCANCEL).
struct ScriptedEditors {
    std::vector<std::function<void(CDialog*)>> steps;
    size_t next = 0;
    ScriptedEditors()
    {
        SetValueEditorStartHook([this](CDialog* d) {
            if (next < steps.size()) {
                steps[next++](d);
                return;
            }
            // An editor nobody expected: closed, so the test fails instead of hanging.
            ADD_FAILURE() << "an unexpected value editor opened";
            d->PostMessage(WM_COMMAND, IDCANCEL, 0);
        });
    }
    ~ScriptedEditors() { SetValueEditorStartHook(nullptr); }
    void Add(std::function<void(CDialog*)> f) { steps.push_back(std::move(f)); }
    bool AllRan() const { return next == steps.size(); }
};

inline void PostCommand(CDialog* d, UINT id) { d->PostMessage(WM_COMMAND, id, 0); }
// A box's text as the user leaves it.
inline void TypeAndLeave(CDialog* d, int id, const char* text)
{
    d->SetDlgItemText(id, text);
    d->SendMessage(WM_COMMAND, (WPARAM)(((DWORD)EN_KILLFOCUS << 16) | (DWORD)id), (LPARAM)::GetDlgItem(d->m_hWnd, id));
}

}  // namespace vetest
