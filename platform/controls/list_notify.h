#pragma once
// List-view notification codes, shared by the list view and the grid, which
// reuses them. Text is bytes here, so these are the byte-string variants.
#define LVN_ITEMCHANGING (-100)
#define LVN_ITEMCHANGED (-101)
#define LVN_BEGINLABELEDIT (-105)
#define LVN_ENDLABELEDIT (-106)
#define LVN_COLUMNCLICK (-108)
#define LVN_BEGINDRAG (-109)
#define LVN_ODCACHEHINT (-113)
#define LVN_GETDISPINFO (-150)
#define LVN_GETINFOTIP (-157)

// Common notifications the list view sends too (the grid reuses them).
#ifndef NM_CLICK
#define NM_CLICK (-2)
#define NM_DBLCLK (-3)
#define NM_RCLICK (-5)
#endif
