#pragma once
// Named memory blocks, shared inside the process through a registry of names
// (events take their names from the same registry, see sync.h).
#include "platform/types.h"

#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define FILE_MAP_WRITE 0x0002u
#define FILE_MAP_READ 0x0004u
#define FILE_MAP_ALL_ACCESS 0x000F001Fu

// Only memory blocks: file must be INVALID_HANDLE_VALUE. The block has exactly
// the requested size, zero-filled. Creating an existing name returns a new
// handle to the existing block with last error ERROR_ALREADY_EXISTS; a name
// held by another kind of object fails with ERROR_INVALID_HANDLE. A block is
// released with its last handle and its last mapped view.
HANDLE CreateFileMapping(HANDLE file, void* security, DWORD protect, DWORD sizeHigh, DWORD sizeLow,
                         const char* name);
HANDLE OpenFileMapping(DWORD access, BOOL inherit, const char* name);

// bytes 0 maps from the offset to the end.
void* MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
BOOL UnmapViewOfFile(const void* view);

// Size of the block, and the bytes a view reaches (0 when not a view).
SIZE_T GetFileMappingSize(HANDLE mapping);
SIZE_T GetMappedViewSize(const void* view);
