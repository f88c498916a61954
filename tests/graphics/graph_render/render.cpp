// The drawing behind graph_render and its golden fixtures.
#include "render.h"

#include "platform/gdi/gdi.h"
#include "platform/user/window_dc.h"
#include "values/byte_stream.h"

namespace {

void MarkPointersOnPoints(CGraph& g)
{
    for (auto& o : g.objects) {
        o->cacheMark = -1;
        for (uint32_t i = 0; i < o->Count(); i++)
            if (o->Points()[i].x == o->pointer.x && o->Points()[i].y == o->pointer.y) {
                o->cacheMark = (int32_t)i;
                break;
            }
    }
}

}  // namespace

bool ReadGraphBody(const std::string& bytes, CGraph& graph, std::string& error)
{
    CMemStream s;
    s.Attach(bytes.data(), bytes.size());
    if (!graph.ReadFromStream(s)) {
        error = "not a graph body";
        return false;
    }
    return true;
}

bool RenderGraph(CGraph& g, int width, int height, int flags, CRenderedGraph& out, std::string& error)
{
    if (width < 1 || height < 1 || width > 4096 || height > 4096) {
        error = "size out of range";
        return false;
    }
    const RECT area{0, 0, width, height};
    HDC rec = CreateRecordingDC(FALSE);
    g.ResizeWithDC(rec, area);
    MarkPointersOnPoints(g);
    out.drawn = g.DrawGraph(rec, flags);
    out.log = GetRecordingLog(rec);
    DeleteDC(rec);

    // The real fonts lay the graph out again.
    HDC screen = GetDC(nullptr);
    g.ResizeWithDC(screen, area);
    ReleaseDC(nullptr, screen);
    MarkPointersOnPoints(g);
    RECT bounds{0, 0, width * 2540 / 96, height * 2540 / 96};
    HDC mdc = CreateEnhMetaFile(nullptr, nullptr, &bounds, "Tarn graphic");
    if (!mdc) {
        error = "no metafile";
        return false;
    }
    FillRect(mdc, &area, (HBRUSH)GetStockObject(WHITE_BRUSH));
    g.DrawGraph(mdc, flags);
    HENHMETAFILE emf = CloseEnhMetaFile(mdc);
    bool ok = emf && GetEnhMetaFileSvg(emf, &out.svg) && GetEnhMetaFilePng(emf, &out.png);
    if (emf) DeleteEnhMetaFile(emf);
    if (!ok) error = "export failed";
    return ok;
}
