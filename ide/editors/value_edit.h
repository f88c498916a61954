#pragma once
// The value editors' entry points: EditValueModal and EditValueModeless pick
// the editor that fits a value's type (a grid for matrices, a record list for
// structures, a hex editor for binary strings, a text box for the rest), and
// the host interface through which a modeless editor reaches its document.
#include <functional>
#include <string>
#include <vector>

#include "platform/afx/dialog.h"
#include "platform/afx/dialog_template.h"
#include "platform/afx/resources.h"
#include "platform/afx/wnd.h"
#include "values/value.h"

class CResourceTable;

// Template and control ids of the value editors.
enum : UINT {
    IDD_MATRIX_EDIT = 171,
    IDD_VALUE_EDIT = 172,
    IDD_STRUCT_EDIT = 173,
    IDD_BINARY_EDIT = 174,
    IDC_VE_NAME = 1021,
    IDC_VE_VALUE = 1022,
    IDC_VE_ROWS = 1022,
    IDC_VE_COLUMNS = 1023,
    IDC_VE_SIZE = 1023,
    IDC_VE_LABEL_NAME = 1041,
    IDC_VE_LABEL_ROWS = 1042,
    IDC_VE_LABEL_COLUMNS = 1043,
    IDC_VE_LIST = 1061,
    IDC_VE_SPIN_ROWS = 1071,
    IDC_VE_SPIN_COLUMNS = 1072,
    IDC_VE_EXTEND = 1091,
    IDC_VE_ADD = 1091,
    IDC_VE_DELETE = 1092,
    IDC_VE_AUTO_COLUMNS = 1121,
    IDC_VE_ITEM1 = 1141,
    IDC_VE_ITEM2 = 1142,
    IDC_VE_ITEM4 = 1143,
    IDC_VE_GRID = 1151,
    IDC_VE_HEX = 1151,
};

// Which editor a value gets.
enum class ValueEditorKind { Scalar, Matrix, Struct, Binary };

// What a modeless editor needs of the program document that owns it.
class IValueEditHost {
public:
    virtual ~IValueEditHost() = default;
    // name + " = " + the value text under setting "202", first line only, at
    // the caret of the program editor.
    virtual void InsertValue(const std::string& name, const CValue& value) = 0;
    // name + " = " (when not empty) + text, at the caret.
    virtual void InsertValueText(const std::string& name, const std::string& text) = 0;
    // The window the modeless editors are children of (the program view).
    virtual CWnd* EditorParent() = 0;
    // Opens the read-only modeless editor of the kind, a child of
    // EditorParent(), and lists it with the document's open editors; false
    // when no window was made.
    virtual bool OpenValueEditor(ValueEditorKind kind, const std::string& name, CValue* value) = 0;
    // A listed editor's window went: the host unlists and deletes it.
    virtual void ValueEditorClosed(CDialog* editor) = 0;
};

// Ends an editor: a modeless one (it has a host) destroys its window, which
// takes it off its list; a modal one ends its loop with the result.
void EndValueEditor(CDialog& editor, IValueEditHost* host, int result);

// Opens the editor of the value's type modally (for the variables window
// at a break, the Insert commands and the editors themselves). Returns IDOK
// when the user pressed Insert, IDCANCEL for Close, -1 when no window was made.
// The name holder receives the edited name when nameEditable is set.
int EditValueModal(std::string& name, CValue& value, bool editable, bool nameEditable, CWnd* parent = nullptr);
// The same editor without a modal loop, read-only with a read-only name,
// opened and listed by the host. Always -1.
int EditValueModeless(const std::string& name, CValue& value, IValueEditHost* host);

ValueEditorKind ValueEditorKindOf(const CValue& value, bool modeless);

// The dialog template of one editor (171 to 174), null for other ids.
const CDialogTemplate* ValueEditorTemplate(UINT id);
// The dialog templates of the four editors (for the module's resource table).
void AddValueEditorTemplates(CResourceTable& table);

// Called at the end of every value editor's start (tests script the editors
// through it); per thread, empty by default.
using ValueEditorStartHook = std::function<void(CDialog* dialog)>;
void SetValueEditorStartHook(ValueEditorStartHook hook);
void RunValueEditorStartHook(CDialog* dialog);

// The message box the editors show (OK button, the dialog stays open).
void ShowValueEditorMessage(CWnd* owner, const char* text);
// Reads the name box; a name the caller takes (outName) must start as a name
// does, else the box shows "Please enter valid name", keeps the focus and
// this answers false. An empty name inserts only the value.
bool ReadEditorName(CDialog& editor, std::string& name, std::string* outName);
