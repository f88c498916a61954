#pragma once
// In-process stand-ins for OLE data transfer: a data source offers sized
// blocks by clipboard format and starts the drag-and-drop loop; a data
// object reads them. Initialisation always succeeds.
#include <map>
#include <memory>
#include <string>

#include "platform/kernel/global_memory.h"
#include "platform/types.h"

typedef UINT CLIPFORMAT;
typedef DWORD DROPEFFECT;
#define DROPEFFECT_NONE 0u
#define DROPEFFECT_COPY 1u
#define DROPEFFECT_MOVE 2u
#define DROPEFFECT_LINK 4u
#define DROPEFFECT_SCROLL 0x80000000u

BOOL AfxOleInit();

class COleDataSource {
public:
    virtual ~COleDataSource() = default;
    // Copies the block's bytes (exactly GlobalSize of them); the source then
    // frees the handle, as the real call takes ownership.
    void CacheGlobalData(CLIPFORMAT format, HGLOBAL block);
    void CacheData(CLIPFORMAT format, std::string bytes);
    void Empty() { m_data.clear(); }
    const std::map<CLIPFORMAT, std::string>& Blocks() const { return m_data; }

    // The drag loop: starts once the pointer leaves the drag rectangle
    // (SM_CXDRAG around where it was); Ctrl asks for a copy, Esc cancels, a
    // release without a drag is a plain click. Returns the effect the
    // target took (DROPEFFECT_NONE for a click, Esc, or no target).
    DROPEFFECT DoDragDrop(DROPEFFECT allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE, const RECT* startRect = nullptr);

private:
    std::map<CLIPFORMAT, std::string> m_data;
};

class COleDataObject {
public:
    void Attach(const COleDataSource* source) { m_source = source; }
    void Release() { m_source = nullptr; }
    BOOL IsDataAvailable(CLIPFORMAT format) const;
    BOOL GetData(CLIPFORMAT format, std::string& bytes) const;
    // A new block the caller frees, or null.
    HGLOBAL GetGlobalData(CLIPFORMAT format) const;

private:
    const COleDataSource* m_source = nullptr;
};
