// The per-thread current module state.
#include "platform/afx/module_state.h"

namespace {
thread_local CModuleState* t_moduleState = nullptr;
}

CModuleState* AfxGetProgramModuleState()
{
    static CModuleState program("program");
    return &program;
}

CModuleState* AfxGetModuleState() { return t_moduleState ? t_moduleState : AfxGetProgramModuleState(); }

CModuleState* AfxSetModuleState(CModuleState* state)
{
    CModuleState* prev = AfxGetModuleState();
    t_moduleState = state;
    return prev;
}

HINSTANCE CModuleState::ResourceHandle() const
{
    if (m_hInstance || this == AfxGetProgramModuleState()) return m_hInstance;
    return (HINSTANCE)const_cast<CModuleState*>(this);
}
