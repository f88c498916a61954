// Message-map lookups and the guard against routing loops.
#include "platform/afx/cmd_target.h"

#include "platform/afx/cmd_ui.h"

#include <vector>

#include "platform/user/user.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

namespace {
// The cursor belongs to the thread, and so does its wait state.
thread_local int t_waitDepth = 0;
thread_local HCURSOR t_beforeWait = nullptr;
}   // namespace

void CCmdTarget::BeginWaitCursor()
{
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    if (t_waitDepth++ == 0) t_beforeWait = old;
}

void CCmdTarget::EndWaitCursor()
{
    if (t_waitDepth <= 0) return;
    if (--t_waitDepth == 0) {
        SetCursor(t_beforeWait);
        t_beforeWait = nullptr;
    }
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxEntryKind::End, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    const AFX_MSGMAP_ENTRY* e = AfxFindCommandEntry(GetMessageMap(), nID, nCode);
    if (!e) return FALSE;
    if (info) {
        info->pTarget = this;
        info->pEntry = e;
        return TRUE;
    }
    AfxCall call{nCode == CN_COMMAND || nCode == CN_UPDATE_COMMAND_UI ? (UINT)WM_COMMAND : (UINT)WM_NOTIFY, 0, 0, nID, pExtra, 0};
    if (nCode != CN_UPDATE_COMMAND_UI || !pExtra) return e->pfn(this, call) ? TRUE : FALSE;
    // An update handler that finds nothing to update (a child frame asked
    // about the main frame's bars) passes the item on along the route.
    auto* ui = static_cast<CCmdUI*>(pExtra);
    ui->m_bContinueRouting = FALSE;
    const bool handled = e->pfn(this, call) && !ui->m_bContinueRouting;
    ui->m_bContinueRouting = FALSE;
    return handled ? TRUE : FALSE;
}

bool CCmdTarget::DispatchMessageEntry(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), message);
    if (!e) return false;
    AfxCall call{message, wParam, lParam, 0, nullptr, 0};
    bool handled = e->pfn(this, call);
    if (handled && result) *result = call.result;
    return handled;
}

namespace {
struct RouteStep {
    const void* target;
    UINT nID;
    int nCode;
};
thread_local std::vector<RouteStep> t_routing;
}  // namespace

CRouteGuard::CRouteGuard(const void* target, UINT nID, int nCode)
{
    for (const RouteStep& s : t_routing)
        if (s.target == target && s.nID == nID && s.nCode == nCode) {
            m_entered = false;
            return;
        }
    t_routing.push_back(RouteStep{target, nID, nCode});
    m_entered = true;
}

CRouteGuard::~CRouteGuard()
{
    if (m_entered) t_routing.pop_back();
}
