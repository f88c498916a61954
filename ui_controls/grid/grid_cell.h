#pragma once
// Grid cells: the abstract base, the stored cell and the default cells that
// carry the look a cell leaves at its default markers.
#include <string>

#include "platform/afx/dc.h"
#include "platform/afx/object.h"
#include "ui_controls/grid/grid_types.h"

class CDataGridCtrl;
class CDataGridDefaultCell;
class CWnd;

class CDataGridCellBase : public CObject {
    DECLARE_DYNAMIC(CDataGridCellBase)
public:
    CDataGridCellBase() = default;
    ~CDataGridCellBase() override = default;

    virtual void SetText(const char* text) = 0;
    virtual void SetImage(int image) = 0;
    virtual void SetData(LPARAM data) = 0;
    virtual void SetState(DWORD state) { m_state = state; }
    virtual void SetFormat(DWORD format) = 0;
    virtual void SetForeColor(COLORREF c) = 0;
    virtual void SetBackColor(COLORREF c) = 0;
    virtual void SetFont(const LOGFONT* lf) = 0;
    virtual void SetMargin(UINT margin) = 0;
    virtual void SetGrid(CDataGridCtrl* grid) = 0;
    virtual void SetLocation(int row, int col) = 0;

    virtual const char* GetText() const = 0;
    virtual const char* GetHoverText() const { return GetText(); }
    virtual int GetImage() const = 0;
    virtual LPARAM GetData() const = 0;
    virtual DWORD GetState() const { return m_state; }
    virtual DWORD GetFormat() const = 0;
    virtual COLORREF GetForeColor() const = 0;
    virtual COLORREF GetBackColor() const = 0;
    virtual const LOGFONT* GetFont() const = 0;
    virtual HFONT GetGdiFont() const = 0;
    virtual CDataGridCtrl* GetGrid() const = 0;
    virtual CWnd* GetEditorWindow() const = 0;
    virtual UINT GetMargin() const = 0;
    virtual CDataGridDefaultCell* GetDefaultCell() const;
    virtual BOOL UsesDefaultFont() const = 0;
    virtual BOOL IsEditing() const = 0;

    virtual BOOL IsFocused() const { return GetState() & Focused; }
    virtual BOOL IsFixed() const { return (GetState() & Fixed) != 0; }
    virtual BOOL IsFixedColumn() const { return (GetState() & FixedColumn) != 0; }
    virtual BOOL IsFixedRow() const { return (GetState() & FixedRow) != 0; }
    virtual BOOL IsSelected() const { return (GetState() & Selected) != 0; }
    virtual BOOL IsReadOnly() const { return (GetState() & ReadOnly) != 0; }
    virtual BOOL IsModified() const { return (GetState() & Modified) != 0; }
    virtual BOOL IsDropHover() const { return (GetState() & DropHover) != 0; }

    virtual void CopyFrom(const CDataGridCellBase& src);
    CDataGridCellBase& operator=(const CDataGridCellBase& src)
    {
        CopyFrom(src);
        return *this;
    }
    virtual void Reset() { m_state = 0; }

    virtual BOOL Draw(CDC* dc, int row, int col, RECT rect, BOOL eraseBackground = TRUE);
    virtual BOOL GetTextRect(RECT* rect);
    virtual BOOL GetHoverTextRect(RECT* rect) { return GetTextRect(rect); }
    virtual SIZE GetTextExtent(const char* text, CDC* dc = nullptr);
    virtual SIZE GetContentSize(CDC* dc = nullptr);
    virtual BOOL Edit(int, int, RECT, POINT, UINT, UINT) { return FALSE; }
    virtual BOOL IsEditAcceptable(const char*) { return TRUE; }
    virtual void FinishEdit() {}
    virtual BOOL PrintCell(CDC* dc, int row, int col, RECT rect);
    virtual void OnEditFinished() {}
    virtual void OnHoverStart() {}
    virtual void OnHover() {}
    virtual void OnHoverEnd() {}
    virtual void OnLeftClick(POINT) {}
    virtual void OnLeftPress(POINT) {}
    virtual void OnRightClick(POINT) {}
    virtual void OnDoubleClick(POINT) {}
    virtual BOOL OnSetCursor();

protected:
    DWORD m_state = 0;

private:
    // The image's size when the grid has a list that knows the cell's image.
    bool ImageSize(int* w, int* h) const;
};

class CDataGridCell : public CDataGridCellBase {
    DECLARE_DYNCREATE(CDataGridCell)
public:
    CDataGridCell();
    ~CDataGridCell() override;

    void SetText(const char* text) override { m_text = text ? text : ""; }
    void SetImage(int image) override { m_image = image; }
    void SetData(LPARAM data) override { m_data = data; }
    void SetFormat(DWORD format) override { m_format = format; }
    void SetForeColor(COLORREF c) override { m_foreColor = c; }
    void SetBackColor(COLORREF c) override { m_backColor = c; }
    void SetFont(const LOGFONT* lf) override;
    void SetMargin(UINT margin) override { m_margin = margin; }
    void SetGrid(CDataGridCtrl* grid) override { m_grid = grid; }
    void SetLocation(int, int) override {}

    const char* GetText() const override { return m_text.c_str(); }
    int GetImage() const override { return m_image; }
    LPARAM GetData() const override { return m_data; }
    DWORD GetFormat() const override;
    COLORREF GetForeColor() const override { return m_foreColor; }
    COLORREF GetBackColor() const override { return m_backColor; }
    const LOGFONT* GetFont() const override;
    HFONT GetGdiFont() const override;
    CDataGridCtrl* GetGrid() const override { return m_grid; }
    CWnd* GetEditorWindow() const override { return m_editWnd; }
    UINT GetMargin() const override;
    BOOL UsesDefaultFont() const override { return m_font == nullptr; }
    BOOL IsEditing() const override { return m_editing; }

    void Reset() override;
    // In-place editing arrives with the editor; the flag is kept in step.
    BOOL Edit(int, int, RECT, POINT, UINT, UINT) override { return TRUE; }
    void FinishEdit() override {}
    void OnEditFinished() override
    {
        m_editing = FALSE;
        m_editWnd = nullptr;
    }

protected:
    std::string m_text;
    LPARAM m_data = 0;
    int m_image = -1;
    DWORD m_format = 0xFFFFFFFFu;
    COLORREF m_foreColor = CLR_DEFAULT;
    COLORREF m_backColor = CLR_DEFAULT;
    LOGFONT* m_font = nullptr;
    UINT m_margin = 0xFFFFFFFFu;
    BOOL m_editing = FALSE;
    CDataGridCtrl* m_grid = nullptr;
    CWnd* m_editWnd = nullptr;
};

class CDataGridDefaultCell : public CDataGridCell {
    DECLARE_DYNCREATE(CDataGridDefaultCell)
public:
    CDataGridDefaultCell();
    ~CDataGridDefaultCell() override;

    void SetData(LPARAM) override {}
    void SetState(DWORD) override {}
    DWORD GetState() const override { return CDataGridCell::GetState() | ReadOnly; }
    void SetFont(const LOGFONT* lf) override;
    const LOGFONT* GetFont() const override { return m_font; }
    HFONT GetGdiFont() const override { return m_hFont; }

    DWORD GetStyle() const { return m_style; }
    void SetStyle(DWORD s) { m_style = s; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    void SetWidth(int w) { m_width = w; }
    void SetHeight(int h) { m_height = h; }

protected:
    int m_width = 30;
    int m_height = 10;
    HFONT m_hFont = nullptr;
    DWORD m_style = 0;
};
