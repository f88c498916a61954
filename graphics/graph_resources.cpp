// The graph's own cursors, registered in the table of the module that links
// the library (the PNGs in graphics/resources; cursors.inc holds their bytes).
#include "graphics/graph.h"
#include "platform/gdi/gdi.h"
#include "platform/user/cursor.h"

namespace {
#include "graphics/resources/cursors.inc"
}  // namespace

void RegisterGraphResources(HINSTANCE module)
{
    RegisterBitmapResource(module, "CURSOR_NSWE", kCursorNswePng, sizeof kCursorNswePng);
    RegisterBitmapResource(module, "CURSOR_MOVE", kCursorMovePng, sizeof kCursorMovePng);
    RegisterCursorResource(module, "CURSOR_NSWE", 8, 8, "cursor_nswe.png");
    RegisterCursorResource(module, "CURSOR_MOVE", 8, 8, "cursor_move.png");
    CGraph::resourceModule = module;
}
