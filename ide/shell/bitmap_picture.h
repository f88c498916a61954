#pragma once
// CBitmapPicture: a static control that paints a bitmap resource stretched
// to its whole client area (the About box's picture).
#include "platform/afx/afx_controls.h"

class CBitmapPicture : public CStatic {
public:
    CBitmapPicture() = default;
    ~CBitmapPicture() override;
    CBitmapPicture(const CBitmapPicture&) = delete;
    CBitmapPicture& operator=(const CBitmapPicture&) = delete;

    // Loads the module's bitmap `resourceId`; (0, 0, width, height) of it is
    // what painting stretches. False when the bitmap is missing.
    bool SetBitmap(UINT resourceId, int width, int height);
    HBITMAP Bitmap() const { return m_bitmap; }

    // Draws the picture into `dc` over `client` (the paint handler's body).
    void Paint(HDC dc, const RECT& client) const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HBITMAP m_bitmap = nullptr;
    int m_width = 0;
    int m_height = 0;
};
