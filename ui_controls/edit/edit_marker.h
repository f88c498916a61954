#pragma once
// Line markers of the source editor: breakpoints (0x1), marked positions
// (0x2), line highlights (0x4, KyrMarkerEx) and the current line (0x8).
#include "platform/afx/archive.h"
#include "platform/afx/object.h"
#include "platform/gdi/gdi.h"

enum : unsigned { KYR_MARK_BREAK = 0x1, KYR_MARK_POSITION = 0x2, KYR_MARK_HIGHLIGHT = 0x4, KYR_MARK_CURRENT = 0x8 };

class KyrMarker : public CObject {
    DECLARE_SERIAL(KyrMarker)

public:
    KyrMarker() = default;
    KyrMarker(int line_, unsigned type_, int data_ = 0) : line(line_), type(type_), data(data_) {}

    int line = -1;
    unsigned type = 0;
    int data = 0;

    void Serialize(CArchive& ar) override;
    virtual KyrMarker* Copy(const KyrMarker& other)
    {
        Assign(other);
        return this;
    }
    virtual void Assign(const KyrMarker& other)
    {
        line = other.line;
        type = other.type;
        SetData(other.data);
    }
    // 1 inside first..last; a derived marker may answer 2: after the range.
    virtual int IsInRange(int first, int last) { return first <= line && line <= last ? 1 : 0; }
    virtual void MoveLines(int /*first*/, int /*last*/) {}
    virtual bool HasData(int value) { return data == value; }
    virtual void SetData(int /*value*/) {}
    virtual void OnChanged() {}
    virtual void SerializeData(CArchive& ar);
};

class KyrMarkerEx : public KyrMarker {
    DECLARE_SERIAL(KyrMarkerEx)

public:
    KyrMarkerEx() = default;
    KyrMarkerEx(int line_, unsigned type_, int data_ = 0) : KyrMarker(line_, type_, data_) {}
    COLORREF foreground = (COLORREF)-1, background = (COLORREF)-1;
    int extent = 0;     // further lines covered after line
    int fillLine = 0;   // the background runs to the right edge
    void SerializeData(CArchive& ar) override;
};
