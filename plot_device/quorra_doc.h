#pragma once
// The plot document: the figure's file (filled by the plot-file work).
#include "platform/afx/afx.h"

class CQuorraDoc : public CDocument {
    DECLARE_DYNCREATE(CQuorraDoc)
public:
    BOOL OnNewDocument() override;
    void Serialize(CArchive& ar) override;

    // How often this document was made new (File New resets only its own).
    int m_nNewCount = 0;
};
