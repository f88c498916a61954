#pragma once
// Print preview: the same OnPrint calls onto a preview DC; the pages are shown
// by a preview window that covers the frame's client area, under a bar of
// buttons: "&Print...", "&Next Page", "Pr&ev Page", "&Two Page" (then "&One
// Page"), "Zoom &In", "Zoom &Out" and "&Close". Escape closes it too, Page Down
// and Page Up turn the pages. Closing the frame while it shows closes only
// the preview; Print closes it and prints through the view.
class CView;
class CFrameWnd;

// Runs the preview's nested loop; returns when the preview closes.
void AfxShowPrintPreview(CView* view);
// The number of pages the preview of the view's document would show.
int AfxPreviewPageCount(CView* view);
