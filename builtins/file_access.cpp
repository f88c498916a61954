// The open-file list and the "File Access" handlers.
#include "builtins/file_access.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <istream>
#include <new>
#include <vector>

#include "builtins/cell_walk.h"
#include "interpreter/block.h"
#include "interpreter/user_function.h"
#include "values/identifier_ids.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"
#include "values/value_text.h"

namespace {

// Only the program thread touches the list: no lock.
std::vector<FileEntry*>& OpenFiles()
{
    static std::vector<FileEntry*> files;
    return files;
}

std::ios_base::seekdir SeekDir(int origin)
{
    return origin == 1 ? std::ios_base::cur : origin == 2 ? std::ios_base::end : std::ios_base::beg;
}

// Folder part of a path ("" when it has none).
std::string FolderOf(const std::string& path)
{
    size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return std::string();
    return cut == 0 ? std::string("/") : path.substr(0, cut);
}

bool RealValued(const CValue& v, double& out)
{
    if (v.Type() == VT_REAL) {
        out = v.Real();
        return true;
    }
    if (v.Type() == VT_COMPLEX && v.ComplexRef().im == 0) {
        out = v.ComplexRef().re;
        return true;
    }
    return false;
}

// The open file a handle names, or null (also for a handle of another type).
FileEntry* EntryOf(const CValue& id) { return id.Type() == VT_IDENTIFIER ? FindOpenFile(id.Word()) : nullptr; }

void Yield(CValue& out, const FileEntry* e, bool ok) { out.SetIdentifier(e && ok ? e->id : 0); }

void WarnInvalidHandle(const CValue& id) { ReportWarning() << "Invalid file handle #" << id.Word(); }

// Writes through a text stream start where reading stopped. Having read up
// to the end is no failure: a write may follow.
void PrepareTextWrite(std::fstream& s)
{
    if (s.fail()) return;
    s.clear(s.rdstate() & ~std::ios_base::eofbit);
    std::streampos p = s.tellp();
    if (!s.fail()) s.seekp(p);
}

}  // namespace

// ---- FileEntry -----------------------------------------------------------------

FileEntry::~FileEntry()
{
    text.reset();  // flushes and closes
    if (binary) binary->Close();
    binary.reset();
    name.clear();
}

bool FileEntry::Failed() const
{
    if (IsBinary()) return !binary || binary->Fail();
    return !text || text->fail();
}

int64_t FileEntry::Tell()
{
    if (IsBinary()) return binary->GetPosition();
    if (text->fail()) return -1;
    return (int64_t)text->tellg();
}

bool FileEntry::Seek(int64_t offset, int origin)
{
    flags &= ~FLAG_WRITTEN;
    // A refused move leaves a binary file usable where it was.
    if (IsBinary()) return binary->Seek(offset, origin == 1 || origin == 2 ? origin : 0) >= 0;
    if (!text->fail()) text->seekg(offset, SeekDir(origin));
    if (!text->fail()) text->seekp(offset, SeekDir(origin));
    return !text->fail();
}

int64_t FileEntry::Size()
{
    if (IsBinary()) return binary->GetLength();
    std::fstream& s = *text;
    if (s.fail()) return -1;
    const std::streampos noted = s.tellg();
    int64_t end = -1;
    if (!s.fail()) s.seekg(0, std::ios_base::end);
    if (!s.fail()) end = (int64_t)s.tellg();
    if (!s.fail()) s.seekg(noted);
    return end;
}

uint64_t FileEntry::Remaining()
{
    int64_t pos, end;
    if (IsBinary()) {
        pos = binary->GetPosition();
        end = binary->GetLength();
    } else {
        pos = text->fail() ? -1 : (int64_t)text->tellg();
        end = Size();
    }
    if (pos < 0 || end < 0 || end < pos) return 0;
    return (uint64_t)(end - pos);
}

void FileEntry::AlignAfterWrite()
{
    std::fstream& s = *text;
    if (s.fail()) return;
    std::streampos p = s.tellg();
    if (!s.fail()) s.seekg(p);
}

void FileEntry::WriteBytes(const unsigned char* bytes, size_t n)
{
    if (IsBinary()) {
        // A short write fails like a refused one.
        if (n && binary->Write(bytes, n) != 0) binary->SetFail();
        return;
    }
    PrepareTextWrite(*text);
    text->write(reinterpret_cast<const char*>(bytes), (std::streamsize)n);
    AlignAfterWrite();
}

void FileEntry::ReadBytes(CValue& out, uint32_t count)
{
    const uint64_t left = Remaining();
    if ((uint64_t)count > left) count = (uint32_t)left;
    if (count == 0) {
        out.AllocBinaryString(0);
        return;
    }
    std::vector<unsigned char> buffer(count, 0);
    size_t got = 0;
    if (IsBinary()) {
        // A file that shrank since the length query delivers fewer bytes: those are the result.
        if (binary->Read(buffer.data(), count, &got) < 0) got = 0;
    } else {
        text->read(reinterpret_cast<char*>(buffer.data()), count);
        got = (size_t)text->gcount();
        if (got < count) text->setstate(std::ios_base::failbit);
    }
    if (Failed()) {
        out.Clear();
        return;
    }
    if (got == 0)
        out.AllocBinaryString(0);
    else
        out.SetBinaryString(buffer.data(), got);
}

// ---- the list --------------------------------------------------------------------

FileEntry* OpenFile(const std::string& name, const std::string& folder, int mode, bool binary)
{
    if (name.empty()) return nullptr;
    std::string path = name;
    if (!folder.empty() && name[0] != '/') path = folder + (folder.back() == '/' ? "" : "/") + name;

    auto e = std::make_unique<FileEntry>();
    e->name = name;
    e->openMode = mode;
    if (binary) {
        int how = O_RDWR | O_CLOEXEC;
        if (mode == 1)
            how |= O_CREAT | O_TRUNC;
        else if (mode != 2)
            how |= O_CREAT;
        int fd = ::open(path.c_str(), how, 0666);
        if (fd < 0) return nullptr;
        e->flags |= FileEntry::FLAG_BINARY;
        e->binary = std::make_unique<CHandleStream>(fd);
    } else {
        std::ios_base::openmode how = std::ios_base::in | std::ios_base::out;
        if (mode == 1)
            how |= std::ios_base::trunc;
        else if (mode != 2)
            how |= std::ios_base::app;
        e->text = std::make_unique<std::fstream>(path, how);
        if (!e->text->is_open() || e->text->fail()) return nullptr;
    }
    // File and window handles share one id table, so they never collide.
    e->id = NewIdentifierId();
    if (e->id == 0) return nullptr;
    OpenFiles().push_back(e.get());
    return e.release();
}

FileEntry* FindOpenFile(uint32_t id)
{
    if (id == 0) return nullptr;
    for (FileEntry* e : OpenFiles())
        if (e->id == id) return e;
    return nullptr;
}

bool CloseFile(uint32_t id)
{
    std::vector<FileEntry*>& files = OpenFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i]->id != id) continue;
        FileEntry* e = files[i];
        files.erase(files.begin() + (std::ptrdiff_t)i);
        delete e;
        return true;
    }
    return false;
}

int CloseAllFiles()
{
    std::vector<FileEntry*> files;
    files.swap(OpenFiles());
    for (FileEntry* e : files) delete e;
    return (int)files.size();
}

int OpenFileCount() { return (int)OpenFiles().size(); }

std::string ProgramFolder(StatementContext* context)
{
    if (!context) return std::string();
    CStatementBlock* root = context->Context();
    // A library function runs for the program that called it.
    if (root->GetKind() == 2) {
        CUserFunction* f = static_cast<CUserFunction*>(root);
        if (f->callerRoot && f->callerRoot != root) root = f->callerRoot->Context();
    }
    // A relative source name says nothing reliable about where the program lies.
    if (root->sourceName.empty() || root->sourceName[0] != '/') return std::string();
    return FolderOf(root->sourceName);
}

// ---- handlers --------------------------------------------------------------------------

StatusWord BuiltinFopen(CValue** args, int count, CValue* out, StatementContext* context)
{
    std::string name;
    if (count < 1 || !ReadTextArgument(*args[0], name)) return ERR_ARGUMENT_TYPE;
    double d;
    int mode = 0;
    if (count > 1 && RealValued(*args[1], d)) mode = SaturateToInt(d);
    bool binary = count > 2 && RealValued(*args[2], d) && d != 0;
    FileEntry* e = OpenFile(name, ProgramFolder(context), mode, binary);
    Yield(*out, e, true);
    return 0;
}

StatusWord BuiltinFclose(CValue* id, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    if (id->Word() == 0)
        out->SetReal(CloseAllFiles());
    else
        out->SetReal(CloseFile(id->Word()) ? 1.0 : 0.0);
    return 0;
}

StatusWord BuiltinFwrite(CValue* id, CValue* x, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    if (!e) {
        Yield(*out, nullptr, false);
        return 0;
    }
    if (e->IsBinary()) {
        WriteValueToStream(*e->binary, *x);
    } else {
        std::fstream& s = *e->text;
        PrepareTextWrite(s);
        if (e->flags & FileEntry::FLAG_WRITTEN) s << ' ';
        WriteValueForReading(s, *x);  // what fread reads back
        e->AlignAfterWrite();
        e->flags |= FileEntry::FLAG_WRITTEN;
    }
    Yield(*out, e, !e->Failed());
    return 0;
}

StatusWord BuiltinFwriteln(CValue* id, CValue* x, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    if (!e) {
        Yield(*out, nullptr, false);
        return 0;
    }
    if (e->IsBinary()) {
        ReportError() << "fwriteln: binary files does not support";
        return ERR_INTERNAL;
    }
    std::fstream& s = *e->text;
    PrepareTextWrite(s);
    std::string line;
    if (ReadTextArgument(*x, line))
        s << line;
    else
        s << *x;
    s << '\n';
    s.flush();
    e->AlignAfterWrite();
    Yield(*out, e, !e->Failed());
    return 0;
}

StatusWord BuiltinFwriteb(CValue* id, CValue* bytes, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    std::string data;
    if (!ReadTextArgument(*bytes, data)) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    if (!e) {
        Yield(*out, nullptr, false);
        return 0;
    }
    e->WriteBytes(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    Yield(*out, e, !e->Failed());
    return 0;
}

StatusWord BuiltinFread(CValue* id, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    if (!e) {
        WarnInvalidHandle(*id);
        out->Clear();
        return 0;
    }
    CValue v;
    if (e->IsBinary()) {
        // Nothing left is an empty read, not a broken file.
        if (e->Remaining() > 0 && !e->Failed()) ReadValueFromStream(*e->binary, v);
    } else {
        std::fstream& s = *e->text;
        if (!s.fail()) {
            s >> std::ws;
            if (s.eof())
                s.setstate(std::ios_base::failbit);
            else
                ReadValue(s, v);
        }
    }
    if (e->Failed()) {
        // A value that does not parse ends the reading, not the program.
        GetOutputStream()->ForgetCurrent();
        out->Clear();
        return 0;
    }
    out->Swap(v);
    return 0;
}

StatusWord BuiltinFreadln(CValue* id, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    if (!e) {
        WarnInvalidHandle(*id);
        out->Clear();
        return 0;
    }
    if (e->IsBinary()) {
        ReportError() << "freadln: binary files does not support";
        return ERR_INTERNAL;
    }
    // The line is read in chunks: a file without line ends (a device that
    // never ends) is stopped by Stop and by the memory it would need, before
    // the process has taken it all.
    std::istream& in = *e->text;
    std::string line;
    bool any = false;
    size_t nextCheck = (size_t)16 << 20;
    try {
        char buf[65536];
        for (;;) {
            in.get(buf, sizeof buf, '\n');
            const std::streamsize got = in.gcount();
            if (got > 0) {
                line.append(buf, (size_t)got);
                any = true;
            }
            if (in.eof() || in.bad()) break;
            if (in.fail()) in.clear();  // an empty piece before the line end
            if (in.peek() == '\n') {
                in.get();
                any = true;
                break;
            }
            if (in.eof()) break;
            if (ThreadStopRequested()) return ERR_STOPPED;
            if (line.size() >= nextCheck) {
                // A String takes a cell per character.
                if (!MemoryCanHold((uint64_t)line.size() * (sizeof(CValue) + 1))) throw std::bad_alloc();
                nextCheck *= 2;
            }
        }
    } catch (const std::bad_alloc&) {
        ReportError() << "freadln: not enough memory for the line";
        return ERR_INTERNAL;
    }
    if (!any) {
        out->Clear();
        return 0;
    }
    // Lines ended by CR LF read like lines ended by LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!out->SetString(line)) {
        ReportError() << "freadln: not enough memory for the line";
        return ERR_INTERNAL;
    }
    return 0;
}

StatusWord BuiltinFreadb(CValue* id, CValue* n, CValue* size, CValue* out)
{
    double cnt, sz;
    if (id->Type() != VT_IDENTIFIER || !RealValued(*n, cnt) || !RealValued(*size, sz)) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    if (!e) {
        WarnInvalidHandle(*id);
        out->Clear();
        return 0;
    }
    // A negative product asks for more than is left: everything to the end.
    const uint32_t count = (uint32_t)SaturateToInt(cnt * sz);
    e->ReadBytes(*out, count);
    return 0;
}

StatusWord BuiltinFseek(CValue* id, CValue* offset, CValue* origin, CValue* out)
{
    double off;
    if (id->Type() != VT_IDENTIFIER || !RealValued(*offset, off) || origin->Type() != VT_IDENTIFIER)
        return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    int64_t where = 0;
    if (!e || !DoubleToInt64(std::trunc(off), where)) {
        Yield(*out, nullptr, false);
        return 0;
    }
    const bool moved = e->Seek(where, (int)origin->Word());
    Yield(*out, e, moved && !e->Failed());
    return 0;
}

StatusWord BuiltinFtell(CValue* id, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    out->SetReal(e ? (double)e->Tell() : -1.0);
    return 0;
}

StatusWord BuiltinFsize(CValue* id, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    if (!e) {
        out->SetReal(0.0);
        return 0;
    }
    int64_t size = -1;
    if (!e->IsBinary() && e->text->fail() && !e->text->bad() && e->text->eof()) {
        // Reading up to the end leaves the stream failed, but its size is
        // still there to be had: look past the end-of-file state, then put
        // the state back so that feof and the readers see what they saw.
        std::fstream& t = *e->text;
        const std::ios_base::iostate state = t.rdstate();
        t.clear();
        size = e->Size();
        t.clear();
        t.setstate(state);
    } else {
        size = e->Size();
    }
    // A size that cannot be had is -1, the failure value of ftell, not a
    // number that reads like a file of four gigabytes.
    out->SetReal(size < 0 ? -1.0 : (double)size);
    return 0;
}

StatusWord BuiltinFeof(CValue* id, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    bool atEnd = false;
    if (e) {
        if (e->IsBinary()) {
            const int64_t pos = e->binary->GetPosition(), len = e->binary->GetLength();
            atEnd = pos >= 0 && pos == len;
        } else {
            atEnd = e->text->eof();
        }
    }
    Yield(*out, e, atEnd);
    return 0;
}

StatusWord BuiltinFerror(CValue* id, CValue* out)
{
    if (id->Type() != VT_IDENTIFIER) return ERR_ARGUMENT_TYPE;
    FileEntry* e = EntryOf(*id);
    out->SetIdentifier(!e ? 0xFFFFFFFFu : e->Failed() ? 1u : 0u);
    return 0;
}
