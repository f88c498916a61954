#pragma once
// CFontDialog: picks a face and size.
#include <string>

#include "platform/gdi/gdi.h"

class CWnd;

#define CF_SCREENFONTS 0x00000001u

class CFontDialog {
public:
    explicit CFontDialog(const LOGFONT* initial = nullptr, DWORD flags = 0, CWnd* parent = nullptr);
    virtual ~CFontDialog() = default;
    virtual int DoModal();
    std::string GetFaceName() const { return m_lf.lfFaceName; }
    // Tenths of a point.
    int GetSize() const { return m_pointSize; }
    void GetCurrentFont(LOGFONT* lf) const { *lf = m_lf; }

    // A dialog's choice `after` keeps what `before` stored where the user
    // changed nothing: the face when the dialog gave back the shown family or
    // the stored name, the height when the size is the same, the weight, and
    // every field no dialog chooses.
    static void KeepUnchanged(const LOGFONT& before, const std::string& shownFace, LOGFONT& after);

    LOGFONT m_lf{};

private:
    int m_pointSize = 0;
    CWnd* m_parent = nullptr;
};
