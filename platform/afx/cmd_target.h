#pragma once
// CCmdTarget: an object with a message map that takes part in command
// routing (view, document, frame, thread, application).
#include "platform/afx/message_map.h"
#include "platform/afx/object.h"

// Filled by OnCmdMsg when only the presence of a handler is asked.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    const AFX_MSGMAP_ENTRY* pEntry;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // Looks the command up in this object's map only (derived classes route
    // on). With `info`, nothing runs: TRUE tells a handler exists.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info);

    // The hourglass until the matching EndWaitCursor (nested calls count);
    // the last End gives back the cursor shown before the first Begin.
    void BeginWaitCursor();
    void EndWaitCursor();

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // Runs a map entry for a window message; true when handled.
    bool DispatchMessageEntry(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

// Guards a routing step: a target that already routes this command on the
// calling thread does not route it again (bar -> dialog -> parent loops).
class CRouteGuard {
public:
    CRouteGuard(const void* target, UINT nID, int nCode);
    ~CRouteGuard();
    CRouteGuard(const CRouteGuard&) = delete;
    CRouteGuard& operator=(const CRouteGuard&) = delete;
    // False when the same target is already routing the same command.
    bool Entered() const { return m_entered; }

private:
    bool m_entered;
};
