#pragma once
// The plot document: the figure of its one view and the frame's placement,
// saved to and read from a plot file.
#include <string>

#include "platform/afx/archive.h"
#include "platform/afx/document.h"
#include "platform/afx/frame_wnd.h"
#include "platform/afx/object.h"
#include "plot_device/plot_figure.h"

class CPlotFigure;
class CQuorraView;

class CQuorraDoc : public CDocument {
    DECLARE_DYNCREATE(CQuorraDoc)
public:
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* path) override;
    BOOL OnSaveDocument(const char* path) override;
    void DeleteContents() override;
    BOOL KeepsContentOnFailedOpen() const override { return TRUE; }
    BOOL CanCloseFrame(CFrameWnd* frame) override;
    void Serialize(CArchive& ar) override;
    CQuorraView* GetFirstView() const;

    WINDOWPLACEMENT m_placement{};
    // How often this document was made new (File New resets only its own).
    int m_nNewCount = 0;
};
