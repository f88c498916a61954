#pragma once
// CFontDialog: picks a face and size (headless: the script's `text` face and
// `number` points).
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

    LOGFONT m_lf{};

private:
    int m_pointSize = 0;
};
