// The graph body of a plot file: the graph's settings, then its objects and
// their points, field by field, little-endian.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>

#include "graphics/graph.h"
#include "values/byte_stream.h"

static_assert(std::endian::native == std::endian::little, "the graph body is read and written as little-endian");

namespace {

// Bytes of an object body without points and strings' text.
constexpr uint64_t kMinObjectBytes = 61;
constexpr uint64_t kPointBytes = 16;

template <class T>
void Put(CByteStream& s, T v)
{
    unsigned char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    s.WriteExact(b, sizeof b);
}

template <class T>
bool Get(CByteStream& s, T& v)
{
    unsigned char b[sizeof(T)];
    if (!s.ReadExact(b, sizeof b)) return false;
    std::memcpy(&v, b, sizeof(T));
    return true;
}

bool GetString(CByteStream& s, std::string& text)
{
    ReadStreamString(s, text);
    return !s.Fail();
}

uint64_t BytesLeft(CByteStream& s)
{
    int64_t len = s.GetLength(), pos = s.GetPosition();
    return len > pos && pos >= 0 ? (uint64_t)(len - pos) : 0;
}

bool BadLimit(double v, bool log) { return !std::isfinite(v) || std::fabs(v) > 1e305 || (log && v <= 0); }

void WriteObject(CByteStream& s, const CGraphObject& o)
{
    Put<uint8_t>(s, o.visible);
    Put<uint8_t>(s, o.flagB);
    Put<uint8_t>(s, o.flagC);
    WriteStreamString(s, o.legend);
    WriteStreamString(s, o.boxLegend);
    Put<uint8_t>(s, o.inLegend);
    Put<int32_t>(s, o.id);
    Put<uint8_t>(s, o.visible);
    Put<uint8_t>(s, o.flagC);
    Put<uint8_t>(s, o.kind == 4 ? 1 : o.kind);
    Put<uint32_t>(s, o.color);
    Put<int32_t>(s, o.penStyle);
    Put<int32_t>(s, o.penWidth);
    Put<uint8_t>(s, o.marker);
    Put<uint8_t>(s, o.markerAux);
    Put<uint32_t>(s, o.fillColor);
    Put<int16_t>(s, o.fillStyle);
    Put<uint8_t>(s, o.pointerFlags);
    Put<double>(s, o.pointer.x);
    Put<double>(s, o.pointer.y);
    Put<uint8_t>(s, o.extraByte);
    Put<uint32_t>(s, o.Count());
    // Whole runs of points at a time, encoded field by field.
    constexpr uint32_t kRun = 1024;
    unsigned char buf[kRun * kPointBytes];
    const Point2D* pts = o.Points();
    for (uint32_t done = 0, n = o.Count(); done < n && !s.Fail();) {
        const uint32_t k = std::min(kRun, n - done);
        for (uint32_t i = 0; i < k; i++) {
            std::memcpy(buf + i * kPointBytes, &pts[done + i].x, 8);
            std::memcpy(buf + i * kPointBytes + 8, &pts[done + i].y, 8);
        }
        s.WriteExact(buf, (size_t)k * kPointBytes);
        done += k;
    }
}

bool ReadObject(CByteStream& s, CGraphObject& o)
{
    if (!(Get(s, o.visible) && Get(s, o.flagB) && Get(s, o.flagC) && GetString(s, o.legend) &&
          GetString(s, o.boxLegend) && Get(s, o.inLegend) && Get(s, o.id) && Get(s, o.visible) && Get(s, o.flagC) &&
          Get(s, o.kind) && Get(s, o.color) && Get(s, o.penStyle) && Get(s, o.penWidth) && Get(s, o.marker) &&
          Get(s, o.markerAux) && Get(s, o.fillColor) && Get(s, o.fillStyle) && Get(s, o.pointerFlags) &&
          Get(s, o.pointer.x) && Get(s, o.pointer.y) && Get(s, o.extraByte)))
        return false;
    uint32_t n;
    if (!Get(s, n)) return false;
    // A damaged count must not make us allocate what the file cannot hold.
    if ((uint64_t)n * kPointBytes > BytesLeft(s)) {
        s.SetFail();
        return false;
    }
    if (n == 0) {
        o.FreePoints();
        return true;
    }
    Point2D* pts = o.AllocPoints(n);
    if (!pts) {
        s.SetFail();
        return false;
    }
    // Whole runs of points at a time, decoded field by field.
    constexpr uint32_t kRun = 1024;
    std::unique_ptr<unsigned char[]> buf(new unsigned char[kRun * kPointBytes]);
    for (uint32_t done = 0; done < n;) {
        uint32_t k = std::min(kRun, n - done);
        if (!s.ReadExact(buf.get(), (size_t)k * kPointBytes)) {
            o.FreePoints();
            return false;
        }
        for (uint32_t i = 0; i < k; i++) {
            std::memcpy(&pts[done + i].x, buf.get() + i * kPointBytes, 8);
            std::memcpy(&pts[done + i].y, buf.get() + i * kPointBytes + 8, 8);
        }
        done += k;
    }
    return true;
}

}  // namespace

bool CGraph::WriteToStream(CByteStream& s) const
{
    Put<uint8_t>(s, persistFlag);
    Put<uint8_t>(s, stateFlag);
    WriteStreamString(s, title);
    Put<uint8_t>(s, titlePosition);
    WriteStreamString(s, titleFont);
    Put<int32_t>(s, titleFontSize);
    WriteStreamString(s, xLabel);
    WriteStreamString(s, yLabel);
    WriteStreamString(s, axisFont);
    Put<int32_t>(s, axisFontSize);
    WriteStreamString(s, numberFormat);
    Put<uint8_t>(s, legendPosition);
    WriteStreamString(s, legendFont);
    Put<int32_t>(s, legendFontSize);
    Put<uint32_t>(s, foreColor);
    Put<uint32_t>(s, gridColor);
    Put<uint32_t>(s, background);
    Put<uint8_t>(s, axisStyle);
    Put<uint8_t>(s, equalAxes);
    Put<uint8_t>(s, xAxisFlags);
    Put<uint8_t>(s, yAxisFlags);
    Put<int32_t>(s, xTickCount);
    Put<int32_t>(s, yTickCount);
    Put<int32_t>(s, xLog);
    Put<int32_t>(s, yLog);
    Put<int32_t>(s, tickSpacing);
    Put<double>(s, polarOffset);
    for (double v : limits) Put<double>(s, v);
    Put<uint32_t>(s, (uint32_t)objects.size());
    for (const auto& o : objects) {
        if (s.Fail()) break;
        WriteObject(s, *o);
    }
    return !s.Fail();
}

bool CGraph::ReadFromStream(CByteStream& s)
{
    double box[4];
    bool ok = Get(s, persistFlag) && Get(s, stateFlag) && GetString(s, title) && Get(s, titlePosition) &&
              GetString(s, titleFont) && Get(s, titleFontSize) && GetString(s, xLabel) && GetString(s, yLabel) &&
              GetString(s, axisFont) && Get(s, axisFontSize) && GetString(s, numberFormat) &&
              Get(s, legendPosition) && GetString(s, legendFont) && Get(s, legendFontSize) && Get(s, foreColor) &&
              Get(s, gridColor) && Get(s, background) && Get(s, axisStyle) && Get(s, equalAxes) &&
              Get(s, xAxisFlags) && Get(s, yAxisFlags) && Get(s, xTickCount) && Get(s, yTickCount) &&
              Get(s, xLog) && Get(s, yLog) && Get(s, tickSpacing) && Get(s, polarOffset) && Get(s, box[0]) &&
              Get(s, box[1]) && Get(s, box[2]) && Get(s, box[3]);
    if (!ok) return false;
    // Limits a file cannot mean (not finite, huge, not positive on a log
    // axis) get the corrections of SetLimits.
    bool bad = false;
    for (int i = 0; i < 4; i++) bad |= BadLimit(box[i], (i % 2 == 0) ? xLog != 0 : yLog != 0);
    if (bad) CGraph::SetLimits(box);
    std::copy(box, box + 4, limits);
    uint32_t count;
    if (!Get(s, count)) return false;
    if ((uint64_t)count * kMinObjectBytes > BytesLeft(s)) {
        s.SetFail();
        return false;
    }
    ClearObjects();
    for (uint32_t i = 0; i < count; i++) {
        std::unique_ptr<CGraphObject> o(NewObject(nullptr));
        if (!o) {
            s.SetFail();
            return false;
        }
        if (!ReadObject(s, *o)) return false;
        objects.push_back(std::move(o));
    }
    return !s.Fail();
}
