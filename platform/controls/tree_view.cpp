// The tree view: items with data, sorted insertion, expand and collapse,
// and a selection that TVN_SELCHANGING may veto.
#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "platform/controls/control_internal.h"

namespace {

struct Node {
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;
    std::string text;
    LPARAM param = 0;
    bool expanded = false;
    int childrenHint = 0;   // TVIF_CHILDREN: a button before the children exist
};

bool LessNoCase(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower((unsigned char)a[i]), cb = std::tolower((unsigned char)b[i]);
        if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
}

struct Tree {
    HWND hwnd = nullptr;
    Node root;
    std::unordered_set<Node*> live;
    Node* caret = nullptr;
    int top = 0;   // index of the first visible row
    bool focused = false;
    HFONT font = nullptr;
    int rowHeight = 0;

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    Node* Valid(HTREEITEM h) const
    {
        Node* n = (Node*)h;
        return live.count(n) ? n : nullptr;
    }

    int RowHeight()
    {
        if (!rowHeight) rowHeight = ControlRowHeight(hwnd, 16);
        return rowHeight;
    }

    // The visible rows in order, with their depth.
    void Rows(std::vector<std::pair<Node*, int>>& out, Node* n, int depth) const
    {
        for (auto& c : n->children) {
            out.emplace_back(c.get(), depth);
            if (c->expanded) Rows(out, c.get(), depth + 1);
        }
    }
    std::vector<std::pair<Node*, int>> Rows() const
    {
        std::vector<std::pair<Node*, int>> out;
        Rows(out, const_cast<Node*>(&root), 0);
        return out;
    }
    int RowOf(Node* n) const
    {
        auto rows = Rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].first == n) return (int)i;
        return -1;
    }

    int Indent() const { return 16; }
    int Depth0() const { return (Style() & TVS_LINESATROOT) ? 1 : 0; }

    TVITEM Describe(Node* n) const
    {
        TVITEM it{};
        it.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
        it.hItem = (HTREEITEM)n;
        it.lParam = n ? n->param : 0;
        it.state = n ? ((n == caret ? TVIS_SELECTED : 0) | (n->expanded ? TVIS_EXPANDED : 0)) : 0;
        return it;
    }

    bool Select(Node* n, UINT action)
    {
        if (n == caret) return true;
        NMTREEVIEW nm{};
        nm.action = action;
        nm.itemOld = Describe(caret);
        nm.itemNew = Describe(n);
        if (NotifyParent(hwnd, &nm.hdr, TVN_SELCHANGING)) return false;
        Node* old = caret;
        caret = n;
        // The parents of the new selection open.
        for (Node* p = n ? n->parent : nullptr; p && p != &root; p = p->parent) p->expanded = true;
        EnsureVisible(n);
        InvalidateRect(hwnd, nullptr, TRUE);
        nm.itemOld = Describe(old);
        nm.itemNew = Describe(n);
        NotifyParent(hwnd, &nm.hdr, TVN_SELCHANGED);
        return true;
    }

    void EnsureVisible(Node* n)
    {
        if (!n) return;
        for (Node* p = n->parent; p && p != &root; p = p->parent) p->expanded = true;
        int row = RowOf(n);
        RECT rc;
        GetClientRect(hwnd, &rc);
        int page = std::max(1, (int)rc.bottom / RowHeight());
        if (row < top) top = row;
        else if (row >= top + page) top = row - page + 1;
        UpdateScroll();
    }

    bool Expand(Node* n, UINT code)
    {
        if (!n) return false;
        bool want = code == TVE_EXPAND ? true : code == TVE_COLLAPSE ? false : !n->expanded;
        if (want == n->expanded) return true;
        NMTREEVIEW nm{};
        nm.action = want ? TVE_EXPAND : TVE_COLLAPSE;
        nm.itemNew = Describe(n);
        if (NotifyParent(hwnd, &nm.hdr, TVN_ITEMEXPANDING)) return false;
        n->expanded = want;
        // A selection inside a collapsed branch moves to the branch.
        if (!want)
            for (Node* p = caret ? caret->parent : nullptr; p && p != &root; p = p->parent)
                if (p == n) {
                    Select(n, TVC_UNKNOWN);
                    break;
                }
        nm.itemNew = Describe(n);
        NotifyParent(hwnd, &nm.hdr, TVN_ITEMEXPANDED);
        UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
        return true;
    }

    void UpdateScroll()
    {
        const int total = (int)Rows().size();
        RECT rc;
        GetClientRect(hwnd, &rc);
        int page = std::max(1, (int)rc.bottom / RowHeight());
        top = std::clamp(top, 0, std::max(0, total - page));
        if (WantsVScroll(hwnd)) {
            SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, total - 1), (UINT)page, top, 0};
            SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
        }
    }

    void Remove(Node* n)
    {
        if (!n || n == &root) {
            for (auto& c : root.children) Forget(c.get());
            root.children.clear();
            caret = nullptr;
        } else {
            for (Node* p = caret; p; p = p->parent)
                if (p == n) {
                    caret = nullptr;
                    break;
                }
            Forget(n);
            auto& sib = n->parent->children;
            sib.erase(std::find_if(sib.begin(), sib.end(), [&](auto& u) { return u.get() == n; }));
        }
        UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    void Forget(Node* n)
    {
        live.erase(n);
        for (auto& c : n->children) Forget(c.get());
    }

    void Paint(HDC hdc)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_WINDOW));
        const bool disabled = !IsWindowEnabled(hwnd);
        HGDIOBJ oldFont = SelectObject(hdc, ControlFont(hwnd));
        SetBkMode(hdc, TRANSPARENT);
        auto rows = Rows();
        const int h = RowHeight();
        HPEN dots = CreatePen(PS_DOT, 1, GetSysColor(COLOR_GRAYTEXT));
        for (int i = top; i < (int)rows.size(); ++i) {
            const int y = (i - top) * h;
            if (y >= rc.bottom) break;
            Node* n = rows[(size_t)i].first;
            const int depth = rows[(size_t)i].second + Depth0();
            const int x = 2 + depth * Indent();
            const bool hasKids = !n->children.empty() || n->childrenHint > 0;
            if ((Style() & TVS_HASLINES) && depth > 0) {
                HGDIOBJ old = SelectObject(hdc, dots);
                MoveToEx(hdc, x - Indent() / 2, y + h / 2, nullptr);
                LineTo(hdc, x, y + h / 2);
                SelectObject(hdc, old);
            }
            if ((Style() & TVS_HASBUTTONS) && hasKids && depth > 0) {
                RECT b{x - Indent() / 2 - 4, y + h / 2 - 4, x - Indent() / 2 + 5, y + h / 2 + 5};
                FillRect(hdc, &b, GetSysColorBrush(COLOR_WINDOW));
                FrameRect(hdc, &b, GetSysColorBrush(COLOR_BTNSHADOW));
                HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
                HGDIOBJ old = SelectObject(hdc, pen);
                MoveToEx(hdc, b.left + 2, y + h / 2, nullptr);
                LineTo(hdc, b.right - 2, y + h / 2);
                if (!n->expanded) {
                    MoveToEx(hdc, (b.left + b.right) / 2, b.top + 2, nullptr);
                    LineTo(hdc, (b.left + b.right) / 2, b.bottom - 2);
                }
                SelectObject(hdc, old);
                DeleteObject(pen);
            }
            SIZE sz{};
            GetTextExtentPoint32(hdc, n->text.c_str(), (int)n->text.size(), &sz);
            RECT label{x + 2, y, x + 2 + sz.cx + 4, y + h};
            const bool sel = n == caret && (focused || (Style() & TVS_SHOWSELALWAYS));
            if (sel) FillRect(hdc, &label, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
            SetTextColor(hdc, GetSysColor(disabled ? COLOR_GRAYTEXT : sel && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            TextOut(hdc, label.left + 2, y + 1, n->text.c_str(), (int)n->text.size());
            if (n == caret && focused) PaintFocus(hdc, label);
        }
        DeleteObject(dots);
        SelectObject(hdc, oldFont);
    }

    Node* HitTest(POINT pt, UINT* flags)
    {
        auto rows = Rows();
        const int i = top + pt.y / RowHeight();
        *flags = TVHT_NOWHERE;
        if (pt.y < 0 || i >= (int)rows.size()) return nullptr;
        Node* n = rows[(size_t)i].first;
        const int x = 2 + (rows[(size_t)i].second + Depth0()) * Indent();
        if (pt.x >= x - Indent() && pt.x < x) *flags = TVHT_ONITEMBUTTON;
        else if (pt.x >= x) *flags = TVHT_ONITEMLABEL;
        return n;
    }

    void Key(UINT vk)
    {
        auto rows = Rows();
        if (rows.empty()) return;
        int r = caret ? RowOf(caret) : -1;
        switch (vk) {
        case VK_UP: if (r > 0) Select(rows[(size_t)r - 1].first, TVC_BYKEYBOARD); else if (r < 0) Select(rows[0].first, TVC_BYKEYBOARD); break;
        case VK_DOWN: if (r + 1 < (int)rows.size()) Select(rows[(size_t)r + 1].first, TVC_BYKEYBOARD); break;
        case VK_HOME: Select(rows.front().first, TVC_BYKEYBOARD); break;
        case VK_END: Select(rows.back().first, TVC_BYKEYBOARD); break;
        case VK_LEFT:
            if (caret && caret->expanded) Expand(caret, TVE_COLLAPSE);
            else if (caret && caret->parent != &root) Select(caret->parent, TVC_BYKEYBOARD);
            break;
        case VK_RIGHT:
            // A branch with a children hint loads when it opens (TVN_ITEMEXPANDING).
            if (caret && (!caret->children.empty() || caret->childrenHint > 0)) {
                if (!caret->expanded) Expand(caret, TVE_EXPAND);
                else if (!caret->children.empty()) Select(caret->children.front().get(), TVC_BYKEYBOARD);
            }
            break;
        case VK_ADD: if (caret) Expand(caret, TVE_EXPAND); break;
        case VK_SUBTRACT: if (caret) Expand(caret, TVE_COLLAPSE); break;
        default: break;
        }
    }

    static LRESULT OnNcCreate(HWND hwnd, WPARAM w, LPARAM l);
    void OnNcDestroy() { NoteScrollStyle(hwnd, nullptr); }
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnTreeMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnSetFont(HFONT f);
    LRESULT OnFocus(bool on);
    LRESULT OnLButtonDown(POINT pt, bool doubleClick);
    LRESULT ScrollTo(int row);
    LRESULT OnInsertItem(const TVINSERTSTRUCT* is);
    LRESULT OnDeleteItem(HTREEITEM h);
    LRESULT OnGetNextItem(UINT code, HTREEITEM h);
    LRESULT OnSelectItem(UINT code, HTREEITEM h);
    LRESULT OnGetItem(TVITEM* it);
    LRESULT OnSetItem(const TVITEM* it);
    LRESULT OnSortChildren(HTREEITEM h);
    LRESULT OnGetItemRect(bool labelOnly, RECT* r);
    LRESULT OnHitTest(TVHITTESTINFO* hi);
};

LRESULT Tree::OnNcCreate(HWND hwnd, WPARAM w, LPARAM l)
{
    NoteScrollStyle(hwnd, (const CREATESTRUCT*)l);
    NewControlState<Tree>(hwnd);
    return DefWindowProc(hwnd, WM_NCCREATE, w, l);
}

LRESULT Tree::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT: return OnSetFont((HFONT)w);
    case WM_GETFONT: return (LRESULT)font;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return OnFocus(msg == WM_SETFOCUS);
    case WM_KEYDOWN: Key((UINT)w); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown(PointOf(l), msg == WM_LBUTTONDBLCLK);
    case WM_MOUSEWHEEL: return ScrollTo(top - GET_WHEEL_DELTA_WPARAM(w) / 40);
    case WM_VSCROLL: return ScrollTo(ScrolledLine(hwnd, w, top, 10));
    default: return OnTreeMessage(msg, w, l);
    }
}

LRESULT Tree::OnTreeMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case TVM_INSERTITEM: return OnInsertItem((const TVINSERTSTRUCT*)l);
    case TVM_DELETEITEM: return OnDeleteItem((HTREEITEM)l);
    case TVM_EXPAND: return Expand(Valid((HTREEITEM)l), (UINT)w);
    case TVM_GETCOUNT: return (LRESULT)live.size();
    case TVM_GETNEXTITEM: return OnGetNextItem((UINT)w, (HTREEITEM)l);
    case TVM_SELECTITEM: return OnSelectItem((UINT)w, (HTREEITEM)l);
    case TVM_GETITEM: return OnGetItem((TVITEM*)l);
    case TVM_SETITEM: return OnSetItem((const TVITEM*)l);
    case TVM_SORTCHILDREN: return OnSortChildren((HTREEITEM)l);
    case TVM_ENSUREVISIBLE:
        EnsureVisible(Valid((HTREEITEM)l));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TVM_GETITEMRECT: return OnGetItemRect(w != 0, (RECT*)l);
    case TVM_HITTEST: return OnHitTest((TVHITTESTINFO*)l);
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT Tree::OnSetFont(HFONT f)
{
    font = f;
    rowHeight = 0;
    return 0;
}

LRESULT Tree::OnFocus(bool on)
{
    focused = on;
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT Tree::OnLButtonDown(POINT pt, bool doubleClick)
{
    if (GetFocus() != hwnd) SetFocus(hwnd);
    UINT flags;
    Node* n = HitTest(pt, &flags);
    if (!n) return 0;
    if (flags == TVHT_ONITEMBUTTON || doubleClick) Expand(n, TVE_TOGGLE);
    else Select(n, TVC_BYMOUSE);
    return 0;
}

LRESULT Tree::ScrollTo(int row)
{
    top = row;
    UpdateScroll();
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT Tree::OnInsertItem(const TVINSERTSTRUCT* is)
{
    if (!is) return 0;
    Node* parent = (is->hParent == TVI_ROOT || !is->hParent) ? &root : Valid(is->hParent);
    if (!parent) return 0;
    auto node = std::make_unique<Node>();
    node->parent = parent;
    if ((is->item.mask & TVIF_TEXT) && is->item.pszText) node->text = is->item.pszText;
    if (is->item.mask & TVIF_PARAM) node->param = is->item.lParam;
    if (is->item.mask & TVIF_CHILDREN) node->childrenHint = is->item.cChildren;
    if ((is->item.mask & TVIF_STATE) && (is->item.stateMask & TVIS_EXPANDED))
        node->expanded = (is->item.state & TVIS_EXPANDED) != 0;
    auto& kids = parent->children;
    size_t at = kids.size();
    if (is->hInsertAfter == TVI_FIRST) {
        at = 0;
    } else if (is->hInsertAfter == TVI_SORT) {
        at = (size_t)(std::upper_bound(kids.begin(), kids.end(), node->text,
                                       [](const std::string& s, const std::unique_ptr<Node>& k) {
                                           return LessNoCase(s, k->text);
                                       }) -
                      kids.begin());
    } else if (is->hInsertAfter != TVI_LAST && is->hInsertAfter) {
        for (size_t k = 0; k < kids.size(); ++k)
            if ((HTREEITEM)kids[k].get() == is->hInsertAfter) at = k + 1;
    }
    Node* raw = node.get();
    kids.insert(kids.begin() + (ptrdiff_t)at, std::move(node));
    live.insert(raw);
    UpdateScroll();
    InvalidateRect(hwnd, nullptr, TRUE);
    return (LRESULT)raw;
}

LRESULT Tree::OnDeleteItem(HTREEITEM h)
{
    if (h == TVI_ROOT || !h) Remove(nullptr);
    else if (Node* n = Valid(h)) Remove(n);
    else return FALSE;
    return TRUE;
}

LRESULT Tree::OnGetNextItem(UINT code, HTREEITEM h)
{
    Node* n = Valid(h);
    auto sibling = [&](Node* x, int d) -> Node* {
        if (!x) return nullptr;
        auto& sib = x->parent->children;
        for (size_t k = 0; k < sib.size(); ++k)
            if (sib[k].get() == x) {
                long j = (long)k + d;
                return j >= 0 && j < (long)sib.size() ? sib[(size_t)j].get() : nullptr;
            }
        return nullptr;
    };
    Node* r = nullptr;
    switch (code) {
    case TVGN_ROOT: r = root.children.empty() ? nullptr : root.children.front().get(); break;
    case TVGN_NEXT: r = sibling(n, 1); break;
    case TVGN_PREVIOUS: r = sibling(n, -1); break;
    case TVGN_PARENT: r = n && n->parent != &root ? n->parent : nullptr; break;
    case TVGN_CHILD:
        if (!h || h == TVI_ROOT) r = root.children.empty() ? nullptr : root.children.front().get();
        else r = n && !n->children.empty() ? n->children.front().get() : nullptr;
        break;
    case TVGN_CARET: r = caret; break;
    case TVGN_FIRSTVISIBLE: {
        auto rows = Rows();
        r = top < (int)rows.size() ? rows[(size_t)top].first : nullptr;
        break;
    }
    case TVGN_NEXTVISIBLE: {
        auto rows = Rows();
        int i = RowOf(n);
        r = i >= 0 && i + 1 < (int)rows.size() ? rows[(size_t)i + 1].first : nullptr;
        break;
    }
    default: break;
    }
    return (LRESULT)r;
}

LRESULT Tree::OnSelectItem(UINT code, HTREEITEM h)
{
    if (code != TVGN_CARET) return FALSE;
    if (h && !Valid(h)) return FALSE;
    return Select(Valid(h), TVC_UNKNOWN);
}

LRESULT Tree::OnGetItem(TVITEM* it)
{
    Node* n = it ? Valid(it->hItem) : nullptr;
    if (!n) return FALSE;
    if ((it->mask & TVIF_TEXT) && it->pszText && it->cchTextMax > 0)
        snprintf(it->pszText, (size_t)it->cchTextMax, "%s", n->text.c_str());
    if (it->mask & TVIF_PARAM) it->lParam = n->param;
    if (it->mask & TVIF_STATE) it->state = Describe(n).state;
    if (it->mask & TVIF_CHILDREN) it->cChildren = n->children.empty() ? n->childrenHint : 1;
    return TRUE;
}

LRESULT Tree::OnSetItem(const TVITEM* it)
{
    Node* n = it ? Valid(it->hItem) : nullptr;
    if (!n) return FALSE;
    if ((it->mask & TVIF_TEXT) && it->pszText) n->text = it->pszText;
    if (it->mask & TVIF_PARAM) n->param = it->lParam;
    if (it->mask & TVIF_CHILDREN) n->childrenHint = it->cChildren;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Tree::OnSortChildren(HTREEITEM h)
{
    Node* n = (!h || h == TVI_ROOT) ? &root : Valid(h);
    if (!n) return FALSE;
    std::stable_sort(n->children.begin(), n->children.end(),
                     [](const auto& a, const auto& b) { return LessNoCase(a->text, b->text); });
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

// The item comes in the rectangle.
LRESULT Tree::OnGetItemRect(bool labelOnly, RECT* r)
{
    if (!r) return FALSE;
    HTREEITEM asked;
    memcpy(&asked, r, sizeof asked);
    Node* n = Valid(asked);
    int row = n ? RowOf(n) : -1;
    if (row < 0) return FALSE;
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int y = (row - top) * RowHeight();
    int depth = 0;
    for (Node* p = n->parent; p != &root; p = p->parent) ++depth;
    *r = RECT{labelOnly ? 2 + (depth + Depth0()) * Indent() : 0, y, rc.right, y + RowHeight()};
    return TRUE;
}

LRESULT Tree::OnHitTest(TVHITTESTINFO* hi)
{
    if (!hi) return 0;
    hi->hItem = (HTREEITEM)HitTest(hi->pt, &hi->flags);
    return (LRESULT)hi->hItem;
}
}  // namespace

void RegisterTreeClass() { RegisterControlClass(WC_TREEVIEW, ControlProc<Tree>); }
