// The console document.
#include "console_device/nerith_doc.h"

IMPLEMENT_DYNCREATE(CNerithDoc, CRichEditDoc)

BOOL CNerithDoc::CanCloseFrame(CFrameWnd* frame)
{
    SetModifiedFlag(FALSE);
    return CRichEditDoc::CanCloseFrame(frame);
}
