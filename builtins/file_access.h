#pragma once
// The "File Access" library: the process-wide list of files that programs
// opened, and the handlers of its rows. A program refers to an open file by
// an Identifier holding the file's id: ids are small, start at 1 and are
// never handed out twice, so a closed handle never reaches a newer file.
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "interpreter/func_records.h"
#include "values/byte_stream.h"

class FileEntry {
public:
    static constexpr uint32_t FLAG_BINARY = 0x1;
    static constexpr uint32_t FLAG_WRITTEN = 0x10000;  // text mode: the next fwrite separates with a space

    std::string name;   // as the program passed it
    uint32_t flags = 0;
    int openMode = 0;
    uint32_t id = 0;
    std::unique_ptr<std::fstream> text;      // text mode
    std::unique_ptr<CHandleStream> binary;   // binary mode

    FileEntry() = default;
    FileEntry(const FileEntry&) = delete;
    FileEntry& operator=(const FileEntry&) = delete;
    ~FileEntry();  // closes the file

    bool IsBinary() const { return (flags & FLAG_BINARY) != 0; }
    // Text: fail or bad state; binary: the byte stream's error flag.
    bool Failed() const;
    // The current position; -1 when it cannot be had.
    int64_t Tell();
    // Origin 1 current, 2 end, anything else the beginning. Clears FLAG_WRITTEN.
    // False when the position could not be moved there.
    bool Seek(int64_t offset, int origin);
    // Bytes from the position to the end (0 when the position lies beyond it);
    // the position does not move.
    uint64_t Remaining();
    // The file's size; -1 when it cannot be had.
    int64_t Size();
    // One write of all n bytes; text mode then keeps reading behind them.
    void WriteBytes(const unsigned char* bytes, size_t n);
    // Up to count bytes (see freadb); the result is empty when the stream failed.
    void ReadBytes(CValue& out, uint32_t count);
    // After a text-mode write: the next read starts behind the written bytes.
    void AlignAfterWrite();
};

// Opens a file: mode 1 creates or truncates, 2 needs an existing file, any
// other opens or creates (text mode appends). A relative name is taken from
// folder when that is not empty. Null when the file does not open.
FileEntry* OpenFile(const std::string& name, const std::string& folder, int mode, bool binary);
// The open file of that id, or null.
FileEntry* FindOpenFile(uint32_t id);
// Closes one file; false when the id is not open.
bool CloseFile(uint32_t id);
// Closes every open file and returns how many there were (also after every program run).
int CloseAllFiles();
int OpenFileCount();

// The folder relative file names are taken from while the block runs: the
// running program's folder when its source name is an absolute path, else ""
// (the current folder).
std::string ProgramFolder(StatementContext* context);

StatusWord BuiltinFopen(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinFclose(CValue* id, CValue* out);
StatusWord BuiltinFwrite(CValue* id, CValue* x, CValue* out);
StatusWord BuiltinFread(CValue* id, CValue* out);
StatusWord BuiltinFeof(CValue* id, CValue* out);
StatusWord BuiltinFreadln(CValue* id, CValue* out);
StatusWord BuiltinFwriteln(CValue* id, CValue* x, CValue* out);
StatusWord BuiltinFwriteb(CValue* id, CValue* bytes, CValue* out);
StatusWord BuiltinFreadb(CValue* id, CValue* n, CValue* size, CValue* out);
StatusWord BuiltinFseek(CValue* id, CValue* offset, CValue* origin, CValue* out);
StatusWord BuiltinFtell(CValue* id, CValue* out);
StatusWord BuiltinFsize(CValue* id, CValue* out);
StatusWord BuiltinFerror(CValue* id, CValue* out);
