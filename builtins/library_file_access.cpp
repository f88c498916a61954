// The "File Access" library: its 13 rows, its constants and the defaults of its rows.
#include "builtins/file_access.h"
#include "builtins/libraries.h"

namespace {

CValue Identifier(uint32_t id)
{
    CValue v;
    v.SetIdentifier(id);
    return v;
}

FuncConstant g_constants[] = {
    {"CREATE_ALWAYS", "", CValue(1.0)},   {"OPEN_EXIST", "", CValue(2.0)},
    {"OPEN_ALWAYS", "", CValue(0.0)},     {"FILE_BEGIN", "", Identifier(0)},
    {"FILE_CURRENT", "", Identifier(1)},  {"FILE_END", "", Identifier(2)},
    {"BINARY_MODE", "", CValue(1.0)},     {"TEXT_MODE", "", CValue(0.0)},
};

CValue g_sizeDefault[] = {CValue(1.0)};
CValue g_originDefault[] = {Identifier(0)};

#define H(syntax, text) syntax ";\r\n" text

template <class F>
FuncEntry Row(const char* name, int32_t inputs, int32_t outputs, F handler, int32_t form, const char* help,
              const char* prototype, int32_t defaults = 0, CValue* values = nullptr)
{
    return FuncEntry{name, inputs, outputs, AsFuncHandler(handler), form, help, prototype, defaults, values};
}

FuncEntry g_rows[] = {
    Row("fopen", -1, 1, BuiltinFopen, CALL_VECTOR_CTX,
        H("fopen(name[,mode=OPEN_ALWAYS[,kind=TEXT_MODE]])", "Opens the file and returns its handle, #0 when it does not open"),
        "fopen(name)"),
    Row("fclose", 1, 0, BuiltinFclose, CALL_A1,
        H("fclose(ID)", "Closes the file; fclose(#0) closes all open files and returns their number"), "fclose(ID)"),
    Row("fwrite", 2, 0, BuiltinFwrite, CALL_A2, H("fwrite(fid,X)", "Writes the value X to the file"), "fwrite(fid,X)"),
    Row("fread", 1, 1, BuiltinFread, CALL_A1, H("fread(fid)", "Reads one value from the file"), "fread(fid)"),
    Row("feof", 1, 1, BuiltinFeof, CALL_A1,
        H("feof(fid)", "Returns the handle when the end of the file is reached, else #0"), "feof(fid)"),
    Row("freadln", 1, 1, BuiltinFreadln, CALL_A1, H("freadln(fid)", "Reads one line from the text file"), "freadln(fid)"),
    Row("fwriteln", 2, 0, BuiltinFwriteln, CALL_A2,
        H("fwriteln(fid,X)", "Writes X and a line end to the text file"), "fwriteln(fid,X)"),
    Row("fwriteb", 2, 0, BuiltinFwriteb, CALL_A2,
        H("fwriteb(fid,bin)", "Writes the bytes of the binary string bin to the file"), "fwriteb(fid,bin)"),
    Row("freadb", 3, 1, BuiltinFreadb, CALL_A3,
        H("freadb(fid,n[,size=1])", "Reads n*size bytes from the file as a binary string"), "freadb(fid,256)", 1,
        g_sizeDefault),
    Row("fseek", 3, 0, BuiltinFseek, CALL_A3,
        H("fseek(fid,offset[,origin=FILE_BEGIN])", "Moves the file position by offset from the origin"), "fseek(fid,0)", 1,
        g_originDefault),
    Row("ftell", 1, 1, BuiltinFtell, CALL_A1, H("ftell(fid)", "Returns the current file position"), "ftell(fid)"),
    Row("fsize", 1, 1, BuiltinFsize, CALL_A1, H("fsize(fid)", "Returns the size of the file in bytes"), "fsize(fid)"),
    Row("ferror", 1, 1, BuiltinFerror, CALL_A1,
        H("ferror(fid)", "Returns #1 when the file is in an error state, #0 when not"), "ferror(fid)"),
};

}  // namespace

FuncLibrary FileAccessLibrary = {
    "File Access", g_rows, (int32_t)(sizeof(g_rows) / sizeof(g_rows[0])),
    g_constants, (int32_t)(sizeof(g_constants) / sizeof(g_constants[0])),
};
