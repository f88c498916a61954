#pragma once
// CDropDownToolBar: a toolbar with true-colour normal, hot and disabled
// images from bitmap resources, and pop-up menus under drop-down buttons.
#include <vector>

#include "platform/afx/control_bar.h"
#include "platform/afx/message_map.h"
#include "platform/afx/wnd.h"

class CDropDownToolBar : public CToolBar {
public:
    struct DropDownRecord {
        UINT commandId;
        UINT menuId;
        CWnd* owner;
    };

    CDropDownToolBar() = default;
    ~CDropDownToolBar() override;

    // The normal list, then the hot and disabled ones when their ids are
    // non-zero; false at the first that fails.
    BOOL LoadButtonImages(int imageWidth, UINT normalBitmap, UINT hotBitmap, UINT disabledBitmap);
    // message: TB_SETIMAGELIST, TB_SETHOTIMAGELIST or TB_SETDISABLEDIMAGELIST.
    BOOL LoadImageList(UINT message, UINT bitmapId, int imageWidth);
    // The button `commandId` opens the first sub-menu of menu `menuId`, owned
    // by `owner`, and gets the drop-down style.
    void AddDropDown(UINT commandId, UINT menuId, CWnd* owner);
    const std::vector<DropDownRecord>& DropDowns() const { return m_dropDowns; }

protected:
    void OnDropDown(NMHDR* nm, LRESULT* result);
    // Shows the pop-up (a test may watch instead).
    virtual BOOL TrackDropDownMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params)
    {
        return TrackPopupMenuEx(menu, flags, x, y, owner, params);
    }

    std::vector<DropDownRecord> m_dropDowns;
    // The lists this bar gave its control: normal, hot, disabled.
    HIMAGELIST m_ownLists[3] = {};

    DECLARE_MESSAGE_MAP()
};
