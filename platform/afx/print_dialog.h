#pragma once
// CPrintDialog: print setup (printer and paper) or print (also the pages).
// The printers are "PDF file" and the CUPS queues; paper A4 or Letter.
// A hook's answer: `text` printer, `paths` PDF file, `number` paper (0 keeps
// the paper, 1 Letter, 2 A4), `orientation` (0 keeps it, 1 portrait, 2
// landscape).
#include <string>

#include "platform/afx/print_info.h"

class CWnd;

class CPrintDialog {
public:
    explicit CPrintDialog(BOOL printSetupOnly, BOOL letter = FALSE, CWnd* parent = nullptr)
        : m_bSetup(printSetupOnly), m_letter(letter), m_parent(parent) {}
    virtual ~CPrintDialog() = default;
    virtual int DoModal();
    std::string GetDeviceName() const { return m_printer; }
    std::string GetOutputFile() const { return m_output; }
    BOOL IsLetter() const { return m_letter; }
    int GetOrientation() const { return m_orientation; }
    // Copies the choice into a print job.
    void Apply(CPrintInfo* info) const;

    std::string m_printer = AFX_PRINTER_PDF;
    std::string m_output;
    int m_orientation = 1;   // DMORIENT_PORTRAIT or DMORIENT_LANDSCAPE

private:
    BOOL m_bSetup;
    BOOL m_letter;
    CWnd* m_parent;
};
