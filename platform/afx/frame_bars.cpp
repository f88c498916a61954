// CFrameWnd's bars: docking, floating, showing, layout, the message pane,
// the View toggles and the saved bar state.
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/afx/app_access.h"
#include "platform/afx/control_bar.h"
#include "platform/afx/resources.h"
#include "platform/afx/settings_file.h"

namespace {
const UINT kDockIds[] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT};
const DWORD kDockAlign[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};

CMiniDockFrameWnd* MiniFrameOf(CControlBar* bar)
{
    if (!bar->IsFloating() || !bar->m_pDockBar->m_hWnd) return nullptr;
    return DynamicDowncast<CMiniDockFrameWnd>(CWnd::FromHandlePermanent(::GetParent(bar->m_pDockBar->m_hWnd)));
}
}  // namespace

void CFrameWnd::EnableDocking(DWORD dockStyle)
{
    for (int k = 0; k < 4; ++k) {
        if (!(dockStyle & kDockAlign[k]) || GetControlBar(kDockIds[k])) continue;
        CDockBar* d = new CDockBar(FALSE);
        d->m_bAutoDelete = TRUE;
        if (!d->Create(this, WS_CHILD | WS_VISIBLE | kDockAlign[k], kDockIds[k])) {
            delete d;
            continue;
        }
    }
}

void CFrameWnd::AddControlBar(CControlBar* bar)
{
    if (std::find(m_listControlBars.begin(), m_listControlBars.end(), bar) == m_listControlBars.end())
        m_listControlBars.push_back(bar);
}

void CFrameWnd::RemoveControlBar(CControlBar* bar)
{
    m_listControlBars.erase(std::remove(m_listControlBars.begin(), m_listControlBars.end(), bar), m_listControlBars.end());
    // Its placeholders go too: nothing keeps the id of a bar that is gone.
    if (bar->m_hWnd)
        for (CControlBar* b : m_listControlBars)
            if (CDockBar* d = DynamicDowncast<CDockBar>(b)) d->RemovePlaceholder((UINT)bar->GetDlgCtrlID());
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const
{
    for (CControlBar* b : m_listControlBars)
        if (b->m_hWnd && (UINT)b->GetDlgCtrlID() == id) return b;
    return nullptr;
}

void CFrameWnd::DockControlBar(CControlBar* bar, UINT dockBarId, const RECT* rect)
{
    if (!bar || !bar->m_hWnd) return;
    CDockBar* d = nullptr;
    if (dockBarId) {
        d = DynamicDowncast<CDockBar>(GetControlBar(dockBarId));
    } else {
        for (int k = 0; k < 4 && !d; ++k)
            if (bar->m_dwDockStyle & kDockAlign[k]) d = DynamicDowncast<CDockBar>(GetControlBar(kDockIds[k]));
    }
    if (!d) return;
    CWndProtector protect(bar);
    CMiniDockFrameWnd* oldMini = MiniFrameOf(bar);
    if (!bar->m_pDockContext) bar->EnableDocking(bar->m_dwDockStyle ? bar->m_dwDockStyle : CBRS_ALIGN_ANY);
    bar->m_pDockContext->m_pDockSite = this;
    d->DockControlBar(bar, rect);
    // Placeholders elsewhere are stale now.
    for (CControlBar* b : m_listControlBars)
        if (CDockBar* other = DynamicDowncast<CDockBar>(b))
            if (other != d) other->RemovePlaceholder((UINT)bar->GetDlgCtrlID());
    bar->m_pDockContext->m_uMRUDockID = (UINT)d->GetDlgCtrlID();
    if (oldMini && oldMini->m_hWnd && oldMini->m_wndDockBar.GetDockedCount() == 0) oldMini->DestroyWindow();
    RecalcLayout();
    if (bar->m_hWnd) bar->GetWindowRect(&bar->m_pDockContext->m_rectMRUDockPos);
}

void CFrameWnd::FloatControlBar(CControlBar* bar, POINT pt, DWORD)
{
    if (!bar || !bar->m_hWnd) return;
    CWndProtector protect(bar);
    if (!bar->m_pDockContext) bar->EnableDocking(CBRS_ALIGN_ANY);
    bar->m_pDockContext->m_pDockSite = this;
    if (CMiniDockFrameWnd* mf = MiniFrameOf(bar)) {
        ::SetWindowPos(mf->m_hWnd, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (CDockBar* old = bar->m_pDockBar) {
        bar->m_pDockContext->m_uMRUDockID = (UINT)old->GetDlgCtrlID();
        bar->GetWindowRect(&bar->m_pDockContext->m_rectMRUDockPos);
        old->RemoveControlBar(bar, true);
    }
    CMiniDockFrameWnd* mf = new CMiniDockFrameWnd;
    if (!mf->Create(this, bar->GetBarStyle())) {
        if (mf->m_hWnd) mf->DestroyWindow();
        else delete mf;
        return;
    }
    mf->m_wndDockBar.DockControlBar(bar);
    ::SetWindowPos(mf->m_hWnd, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    bar->m_pDockContext->m_ptMRUFloatPos = pt;
    mf->RecalcLayout();
    RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL delay)
{
    if (!bar || !bar->m_hWnd) return;
    if (delay) {
        bar->DelayShow(show);
        DelayRecalcLayout();
        return;
    }
    bar->m_nStateFlags &= ~(CControlBar::delayHide | CControlBar::delayShow);
    bar->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
    if (CMiniDockFrameWnd* mf = MiniFrameOf(bar))
        mf->RecalcLayout();
    else
        RecalcLayout();
}

void CFrameWnd::DelayRecalcLayout(BOOL) { m_bLayoutDue = true; }

void CFrameWnd::RepositionBars(RECT* leftOver, bool query)
{
    RECT r;
    GetClientRect(&r);
    auto place = [&](CControlBar* b, const RECT& at) {
        if (!query) ::SetWindowPos(b->m_hWnd, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    // Bars that sit on the frame itself (the status bar) are outermost.
    for (CControlBar* b : m_listControlBars) {
        if (b->IsDockBar() || !b->m_hWnd || ::GetParent(b->m_hWnd) != m_hWnd || !b->IsVisible()) continue;
        const DWORD s = b->GetBarStyle();
        const bool horz = (s & CBRS_ORIENT_HORZ) || !(s & CBRS_ORIENT_VERT);
        SIZE sz = b->CalcFixedLayout(TRUE, horz);
        if (s & CBRS_ALIGN_BOTTOM) {
            place(b, RECT{r.left, r.bottom - sz.cy, r.right, r.bottom});
            r.bottom -= sz.cy;
        } else if (s & CBRS_ALIGN_LEFT) {
            place(b, RECT{r.left, r.top, r.left + sz.cx, r.bottom});
            r.left += sz.cx;
        } else if (s & CBRS_ALIGN_RIGHT) {
            place(b, RECT{r.right - sz.cx, r.top, r.right, r.bottom});
            r.right -= sz.cx;
        } else {
            place(b, RECT{r.left, r.top, r.right, r.top + sz.cy});
            r.top += sz.cy;
        }
    }
    for (int k = 0; k < 4; ++k) {
        CDockBar* d = DynamicDowncast<CDockBar>(GetControlBar(kDockIds[k]));
        if (!d) continue;
        const bool horz = k < 2;
        const int length = std::max<int>(0, horz ? r.right - r.left : r.bottom - r.top);
        const int thick = d->LayoutRows(length, false);
        RECT at;
        switch (k) {
        case 0: at = RECT{r.left, r.top, r.right, r.top + thick}; r.top += thick; break;
        case 1: at = RECT{r.left, r.bottom - thick, r.right, r.bottom}; r.bottom -= thick; break;
        case 2: at = RECT{r.left, r.top, r.left + thick, r.bottom}; r.left += thick; break;
        default: at = RECT{r.right - thick, r.top, r.right, r.bottom}; r.right -= thick; break;
        }
        if (!query) {
            place(d, at);
            d->LayoutRows(length, true);
        }
    }
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    if (leftOver) *leftOver = r;
}

void CFrameWnd::SetMessageText(const char* text)
{
    CFrameWnd* top = this;
    if (CWnd* parentFrame = GetParentFrame()) top = static_cast<CFrameWnd*>(parentFrame);
    if (CStatusBar* s = DynamicDowncast<CStatusBar>(top->GetControlBar(AFX_IDW_STATUS_BAR))) s->SetPaneText(0, text);
}

void CFrameWnd::SetMessageText(UINT id)
{
    std::string s;
    AfxLoadString(id, s);
    SetMessageText(s.substr(0, s.find('\n')).c_str());
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam)
{
    if (wParam)
        SetMessageText((UINT)wParam);
    else
        SetMessageText(lParam ? (const char*)lParam : "");
    return 0;
}

LRESULT CFrameWnd::OnMenuSelectPrompt(WPARAM wParam, LPARAM lParam)
{
    const UINT flags = HIWORD(wParam), id = LOWORD(wParam);
    if (flags == 0xFFFFu && !lParam)
        SetMessageText(AFX_IDS_IDLEMESSAGE);   // the menu closed
    else if ((flags & (MF_POPUP | MF_SEPARATOR)) || id == 0)
        SetMessageText("");
    else
        SetMessageText(id);
    return Default();
}

BOOL CFrameWnd::OnBarCheck(UINT id)
{
    CControlBar* bar = GetControlBar(id);
    if (!bar) return FALSE;
    ShowControlBar(bar, !bar->IsVisible(), FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* ui)
{
    CControlBar* bar = GetControlBar(ui->m_nID);
    if (!bar) {
        ui->ContinueRouting();
        return;
    }
    ui->SetCheck(bar->IsVisible() ? 1 : 0);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* ui)
{
    UINT vk = ui->m_nID == ID_INDICATOR_CAPS ? VK_CAPITAL : ui->m_nID == ID_INDICATOR_NUM ? VK_NUMLOCK : VK_SCROLL;
    ui->Enable((GetKeyState((int)vk) & 1) != 0);
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    if (m_bLayoutDue) RecalcLayout();
    return 0;
}

void CFrameWnd::DestroyFloatingBars()
{
    std::vector<HWND> minis;
    for (CControlBar* b : m_listControlBars)
        if (CMiniDockFrameWnd* mf = MiniFrameOf(b)) minis.push_back(mf->m_hWnd);
    for (HWND h : minis)
        if (IsWindow(h)) ::DestroyWindow(h);
    // Bars left (children going with the frame) forget it.
    std::vector<CControlBar*> bars;
    bars.swap(m_listControlBars);
    for (CControlBar* b : bars) {
        b->m_pDockSite = nullptr;
        if (b->m_pDockContext) b->m_pDockContext->m_pDockSite = nullptr;
    }
}

void AfxIdleUpdateFrames(HWND top)
{
    CWnd* w = CWnd::FromHandlePermanent(top);
    if (!w || !::IsWindowVisible(top)) return;
    w->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
    if (!::IsWindow(top)) return;
    ::SendMessage(top, WM_IDLEUPDATECMDUI, TRUE, 0);
}

// --- saved bar state ------------------------------------------------------------------

namespace {
void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back((uint8_t)(v >> (8 * i)));
}
uint32_t GetU32(const std::vector<uint8_t>& d, size_t at)
{
    return (uint32_t)d[at] | ((uint32_t)d[at + 1] << 8) | ((uint32_t)d[at + 2] << 16) | ((uint32_t)d[at + 3] << 24);
}
std::string BarSection(const char* name, UINT id) { return std::string(name) + "-Bar-" + std::to_string(id); }

struct BarInfo {
    UINT id = 0;
    bool visible = true, floating = false, horz = true;
    POINT floatPos{};
    UINT dockBar = 0;
    RECT dockRect{};
    bool hasBars = false;
    std::vector<uint32_t> bars;
};
// The value, or all bits set when it is missing.
UINT ProfileInt(CSettingsFile& settings, const char* section, const char* entry)
{
    uint32_t v = 0;
    return settings.GetInt(section, entry, v) ? v : (UINT)-1;
}
}  // namespace

void CFrameWnd::SaveBarState(const char* name) const
{
    CSettingsFile* settings = AfxGetAppSettings();
    if (!settings || !name) return;
    CSettingsFile::CBatch batch(*settings);
    std::vector<uint8_t> ids;
    for (CControlBar* b : m_listControlBars)
        if (b->m_hWnd) PutU32(ids, (uint32_t)b->GetDlgCtrlID());
    const std::string head = std::string(name) + "-Bars";
    settings->DeleteSection(head.c_str());
    settings->WriteBinary(head.c_str(), "Ids", ids.data(), ids.size());
    for (CControlBar* b : m_listControlBars) {
        if (!b->m_hWnd) continue;
        const UINT id = (UINT)b->GetDlgCtrlID();
        const std::string sec = BarSection(name, id);
        settings->DeleteSection(sec.c_str());
        settings->WriteInt(sec.c_str(), "Visible", (uint32_t)(b->IsVisible() ? 1 : 0));
        settings->WriteInt(sec.c_str(), "Floating", (uint32_t)(b->IsFloating() ? 1 : 0));
        settings->WriteInt(sec.c_str(), "Horizontal", (uint32_t)(b->IsHorz() ? 1 : 0));
        POINT fp{0, 0};
        if (CMiniDockFrameWnd* mf = MiniFrameOf(b)) {
            RECT w;
            mf->GetWindowRect(&w);
            fp = POINT{w.left, w.top};
        } else if (b->m_pDockContext && b->m_pDockContext->m_ptMRUFloatPos.x != CW_USEDEFAULT) {
            fp = b->m_pDockContext->m_ptMRUFloatPos;
        }
        std::vector<uint8_t> bytes;
        PutU32(bytes, (uint32_t)fp.x);
        PutU32(bytes, (uint32_t)fp.y);
        settings->WriteBinary(sec.c_str(), "FloatPos", bytes.data(), bytes.size());
        settings->WriteInt(sec.c_str(), "DockBar", (uint32_t)(b->m_pDockBar ? b->m_pDockBar->GetDlgCtrlID() : 0));
        RECT r{0, 0, 0, 0};
        if (b->m_pDockBar && !b->IsFloating()) {
            b->GetWindowRect(&r);
            ::MapWindowPoints(nullptr, b->m_pDockBar->m_hWnd, (POINT*)&r, 2);
        }
        bytes.clear();
        for (LONG v : {r.left, r.top, r.right, r.bottom}) PutU32(bytes, (uint32_t)v);
        settings->WriteBinary(sec.c_str(), "DockRect", bytes.data(), bytes.size());
        if (CDockBar* d = DynamicDowncast<CDockBar>(b)) {
            bytes.clear();
            bool first = true;
            for (const auto& row : d->Rows()) {
                if (!first) PutU32(bytes, 0);
                first = false;
                for (const auto& s : row) PutU32(bytes, s.bar ? s.id : s.id + AFX_BAR_PLACEHOLDER);
            }
            settings->WriteBinary(sec.c_str(), "Bars", bytes.data(), bytes.size());
        }
    }
}

BOOL CFrameWnd::LoadBarState(const char* name)
{
    CSettingsFile* settings = AfxGetAppSettings();
    if (!settings || !name || !m_hWnd) return FALSE;
    const std::string head = std::string(name) + "-Bars";
    std::vector<uint8_t> ids;
    if (!settings->GetBinary(head.c_str(), "Ids", ids) || ids.size() % 4 != 0) return FALSE;
    // Read everything into a scratch state first; any fault rejects it all.
    std::map<UINT, BarInfo> state;
    std::vector<UINT> order;
    auto known = [&](UINT id) { return GetControlBar(id) != nullptr; };
    for (size_t at = 0; at < ids.size(); at += 4) {
        const UINT id = GetU32(ids, at);
        if (id >= AFX_BAR_PLACEHOLDER || !known(id) || state.count(id)) return FALSE;
        const std::string sec = BarSection(name, id);
        BarInfo info;
        info.id = id;
        const UINT bad = 0xFFFFFFFFu;
        UINT v = ProfileInt(*settings, sec.c_str(), "Visible"), f = ProfileInt(*settings, sec.c_str(), "Floating"),
             h = ProfileInt(*settings, sec.c_str(), "Horizontal"), d = ProfileInt(*settings, sec.c_str(), "DockBar");
        if (v > 1 || f > 1 || h > 1 || d == bad) return FALSE;
        info.visible = v;
        info.floating = f;
        info.horz = h;
        info.dockBar = d;
        std::vector<uint8_t> bytes;
        if (!settings->GetBinary(sec.c_str(), "FloatPos", bytes) || bytes.size() != 8) return FALSE;
        info.floatPos = POINT{ClampCoord((int32_t)GetU32(bytes, 0)), ClampCoord((int32_t)GetU32(bytes, 4))};
        if (!settings->GetBinary(sec.c_str(), "DockRect", bytes) || bytes.size() != 16) return FALSE;
        info.dockRect = ClampRect(RECT{(int32_t)GetU32(bytes, 0), (int32_t)GetU32(bytes, 4), (int32_t)GetU32(bytes, 8), (int32_t)GetU32(bytes, 12)});
        if (d != 0 && (d < AFX_IDW_DOCKBAR_TOP || d > AFX_IDW_DOCKBAR_FLOAT)) return FALSE;
        if (d != 0 && d != AFX_IDW_DOCKBAR_FLOAT && !DynamicDowncast<CDockBar>(GetControlBar(d))) return FALSE;
        if (f != (d == AFX_IDW_DOCKBAR_FLOAT)) return FALSE;
        if (settings->GetBinary(sec.c_str(), "Bars", bytes)) {
            if (bytes.size() % 4 != 0 || !DynamicDowncast<CDockBar>(GetControlBar(id))) return FALSE;
            info.hasBars = true;
            for (size_t k = 0; k < bytes.size(); k += 4) {
                const uint32_t e = GetU32(bytes, k);
                if (e != 0 && (e >= 2 * AFX_BAR_PLACEHOLDER || !known(e % AFX_BAR_PLACEHOLDER))) return FALSE;
                info.bars.push_back(e);
            }
        }
        state[id] = info;
        order.push_back(id);
    }
    // Every bar docked by the state sits in the dock bar its section names.
    for (auto& [id, info] : state)
        if (info.hasBars)
            for (uint32_t e : info.bars)
                if (e != 0 && e < AFX_BAR_PLACEHOLDER) {
                    auto it = state.find(e);
                    if (it == state.end() || it->second.dockBar != id) return FALSE;
                }

    // Apply: empty the dock bars, then rebuild their rows.
    CWndProtector protect(this);
    for (auto& [id, info] : state) {
        if (!info.hasBars) continue;
        CDockBar* d = static_cast<CDockBar*>(GetControlBar(id));
        auto& rows = d->Rows();
        std::vector<std::vector<CDockBar::Slot>> fresh(1);
        for (uint32_t e : info.bars) {
            if (e == 0) {
                fresh.emplace_back();
                continue;
            }
            if (e >= AFX_BAR_PLACEHOLDER) {
                fresh.back().push_back(CDockBar::Slot{nullptr, e - AFX_BAR_PLACEHOLDER});
                continue;
            }
            CControlBar* bar = GetControlBar(e);
            if (CMiniDockFrameWnd* mf = MiniFrameOf(bar)) {
                bar->m_pDockBar->RemoveControlBar(bar);
                ::SetParent(bar->m_hWnd, d->m_hWnd);
                if (mf->m_wndDockBar.GetDockedCount() == 0) mf->DestroyWindow();
            } else if (bar->m_pDockBar && bar->m_pDockBar != d) {
                bar->m_pDockBar->RemoveControlBar(bar);
            }
            if (::GetParent(bar->m_hWnd) != d->m_hWnd) ::SetParent(bar->m_hWnd, d->m_hWnd);
            bar->m_pDockBar = d;
            const BarInfo& bi = state[e];
            bar->m_nRowPos = (d->GetBarStyle() & CBRS_ORIENT_HORZ) ? bi.dockRect.left : bi.dockRect.top;
            bar->SetBarStyle((bar->GetBarStyle() & ~(CBRS_ALIGN_ANY | CBRS_FLOATING)) | (d->GetBarStyle() & CBRS_ALIGN_ANY));
            fresh.back().push_back(CDockBar::Slot{bar, e});
        }
        fresh.erase(std::remove_if(fresh.begin(), fresh.end(), [](const auto& r) { return r.empty(); }), fresh.end());
        // Bars this dock bar held that the state puts elsewhere are handled below.
        for (const auto& row : rows)
            for (const auto& s : row)
                if (s.bar && s.bar->m_pDockBar == d) {
                    bool kept = false;
                    for (const auto& nr : fresh)
                        for (const auto& ns : nr) kept |= ns.bar == s.bar;
                    if (!kept) s.bar->m_pDockBar = nullptr;
                }
        rows = std::move(fresh);
    }
    const int cxScreen = GetSystemMetrics(SM_CXSCREEN), cyScreen = GetSystemMetrics(SM_CYSCREEN);
    for (UINT id : order) {
        const BarInfo& info = state[id];
        CControlBar* bar = GetControlBar(id);
        if (!bar || bar->IsDockBar()) continue;
        if (info.floating) {
            // A position off every screen comes back onto the screen.
            POINT p = info.floatPos;
            p.x = std::clamp<LONG>(p.x, 0, std::max(0, cxScreen - 40));
            p.y = std::clamp<LONG>(p.y, 0, std::max(0, cyScreen - 20));
            if (bar->m_pDockBar && !bar->IsFloating()) bar->m_pDockBar->RemoveControlBar(bar, true);
            FloatControlBar(bar, p);
        } else if (bar->m_pDockContext) {
            bar->m_pDockContext->m_ptMRUFloatPos = info.floatPos;
        }
        bar->m_nStateFlags &= ~(CControlBar::delayHide | CControlBar::delayShow);
        bar->ShowWindow(info.visible ? SW_SHOWNA : SW_HIDE);
        if (CMiniDockFrameWnd* mf = MiniFrameOf(bar)) mf->RecalcLayout();
    }
    RecalcLayout();
    return TRUE;
}
