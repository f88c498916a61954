#pragma once
// A headless MDI host for the IDE benches: the program document template, a
// frame with the output control, and the program steps installed.
#include "devices/install_program_steps.h"
#include "ide/bars/output_bar.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "platform/afx/doc_template.h"
#include "platform/afx/mdi_child_wnd.h"
#include "platform/afx/mdi_frame_wnd.h"
#include "platform/afx/resources.h"
#include "platform/afx/win_app.h"
#include "platform/afx/win_thread.h"

struct BenchIdeHost {
    static constexpr UINT kProgram = 9402;
    CWinApp app{nullptr, AfxGetProgramModuleState()};
    CMDIFrameWnd* frame = new CMDIFrameWnd;
    COutputCtrl out;
    BenchIdeHost()
    {
        static const AfxStringEntry strings[] = {{kProgram, "Veldra\nProgram\nProgram\nPrograms (*.vdx)\n.vdx"}};
        static const MenuTableItem menu[] = {{MF_POPUP | MF_END, 0, "&Program"},
                                             {MF_STRING | MF_END, ID_PROGRAM_CALCULATE, "&Calculate"}};
        CResourceTable& r = AfxGetProgramModuleState()->m_resources;
        r.AddStrings(strings, 1);
        r.AddMenu(kProgram, menu, 2);
        AfxSetThread(&app);
        app.AddDocTemplate(new CMultiDocTemplate(kProgram, RUNTIME_CLASS(CVeldraDoc), RUNTIME_CLASS(CMDIChildWnd),
                                                 RUNTIME_CLASS(CVeldraView)));
        frame->LoadFrame(kProgram);
        app.m_pMainWnd = frame;
        out.Create(frame, 0, RECT{0, 0, 400, 200});
        InstallProgramSteps();
        CProgram starter;
        starter.Init(frame->m_hWnd);
    }
};

// One host per process: the frame and the program thread's window live on.
inline BenchIdeHost& TheBenchIdeHost()
{
    static BenchIdeHost* h = new BenchIdeHost;
    return *h;
}
