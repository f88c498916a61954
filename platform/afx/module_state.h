#pragma once
// Module state: one per deliverable (the program, each device library, each
// test library). It holds the module's application object and resources.
// Every thread has a current module state; thread entries, exported entry
// points and window procedures make theirs current (a window runs with its
// creator's module state), so resource id 128 of one module never answers
// for another.
#include "platform/afx/resources.h"
#include "platform/types.h"

class CWinApp;

class CModuleState {
public:
    // `name` is for diagnostics; `instance` is the library handle (null for
    // the program) under which its bitmaps are registered.
    explicit CModuleState(const char* name, HINSTANCE instance = nullptr) : m_lpszName(name), m_hInstance(instance) {}
    CModuleState(const CModuleState&) = delete;
    CModuleState& operator=(const CModuleState&) = delete;

    // The handle its bitmaps are registered under: the library handle, else
    // this state itself, so two libraries never share a table (the program: null).
    HINSTANCE ResourceHandle() const;

    const char* m_lpszName;
    HINSTANCE m_hInstance;
    CWinApp* m_pCurrentWinApp = nullptr;
    CResourceTable m_resources;
};

// The program's own module state (the default of every thread).
CModuleState* AfxGetProgramModuleState();
// The calling thread's current module state.
CModuleState* AfxGetModuleState();
// Sets the calling thread's module state; returns the previous one.
CModuleState* AfxSetModuleState(CModuleState* state);

// Makes a module state current for a scope (exports, thread entries).
class CModuleStateScope {
public:
    explicit CModuleStateScope(CModuleState* state) : m_prev(AfxSetModuleState(state)) {}
    ~CModuleStateScope() { AfxSetModuleState(m_prev); }
    CModuleStateScope(const CModuleStateScope&) = delete;
    CModuleStateScope& operator=(const CModuleStateScope&) = delete;

private:
    CModuleState* m_prev;
};
#define AFX_MANAGE_STATE(p) CModuleStateScope afxManageState_(p)
