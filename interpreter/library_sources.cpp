// Function-library sources: "*.vdl" files read at start-up. Headers, help
// comments and named values are taken at once; bodies are skipped here and
// translated on first use from the text kept in memory.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <sys/stat.h>

#include "interpreter/translator.h"
#include "interpreter/user_function.h"
#include "platform/kernel/library.h"
#include "values/edit_text.h"
#include "values/value_text.h"

namespace fs = std::filesystem;

namespace {

// How far the start-up walk of the functions folder goes at most.
constexpr size_t kMaxLibraryWalkFolders = 4096;
constexpr size_t kMaxLibraryWalkEntries = 200000;

bool IsBlank(int c) { return c != EOF && c != '\n' && std::isspace(c); }

std::string Lower(std::string s)
{
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

void SkipLine(std::istream& in)
{
    int c;
    while ((c = in.get()) != EOF && c != '\n') {}
}

// Words that open a block closed by its own "end".
bool OpensBlock(const std::string& word)
{
    return word == "for" || word == "while" || word == "if" || word == "switch" || word == "function";
}

// Moves past a function body: block keywords are counted against "end"
// (strings, comments and field names are not words), so that no line of a
// body is taken for a named value.
void SkipBody(std::istream& in)
{
    int depth = 0;
    int prev = 0;
    int c;
    while ((c = in.get()) != EOF) {
        if (c == '"') {
            while ((c = in.get()) != EOF && c != '"' && c != '\n') {}
        } else if (c == '%') {
            SkipLine(in);
        } else if (std::isalpha(c) || c == '_') {
            std::string word(1, (char)c);
            while (IsIdentChar(in.peek())) word += (char)in.get();
            if (prev != '.' && !std::isdigit(prev)) {
                word = Lower(word);
                if (OpensBlock(word)) {
                    ++depth;
                } else if (word == "end" && depth-- == 0) {
                    SkipLine(in);
                    return;
                }
            }
            c = 'a';
        }
        prev = c;
    }
    in.clear(in.rdstate() & ~std::ios::failbit);
}

void AttachPlace(const std::string& file, int offset)
{
    COutputStream* stream = GetOutputStream();
    stream->Lock();
    if (stream->CurrentMessage()) stream->AttachToCurrent(new CSourcePosition(file, 0, offset));
    stream->Unlock();
}

// A stored folder setting as a path; see the conventions of stored settings.
std::string ResolveFolder(const std::string& setting)
{
    std::string f = setting.empty() ? std::string("\\funlib") : setting;
    bool programRelative = f[0] == '\\';
    std::replace(f.begin(), f.end(), '\\', '/');
    if (programRelative) return GetProgramFolder() + f;
    return f;
}

}  // namespace

int LoadFunctionLibraryText(CFunctionTable* table, const std::string& file, std::shared_ptr<const std::string> text)
{
    if (!table || !text) return 0;
    std::istringstream in(*text);
    std::string help;
    int loaded = 0;
    for (;;) {
        while (IsBlank(in.peek())) in.get();
        int c = in.peek();
        if (c == EOF) break;
        if (c == '\n') {
            in.get();
            continue;
        }
        if (c == '%') {
            std::string line;
            std::getline(in, line);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            help += line + "\r\n";
            continue;
        }
        int lineStart = StreamPos(in);
        std::string word;
        while (IsIdentChar(in.peek())) word += (char)in.get();
        if (Lower(word) == "function" && !word.empty()) {
            CUserFunction* f = AddUserFunction(table);
            if (!f) break;
            f->sourceFile = file;
            f->sourceName = file;
            f->sourceText = text;
            f->helpText = help;
            help.clear();
            if (ParseFunctionDeclaration(f, in) != 0) {
                AttachPlace(file, StreamPos(in));
                table->RemoveLast();
                in.clear();
                SkipLine(in);
                continue;
            }
            ++loaded;
            SkipBody(in);
            continue;
        }
        help.clear();
        if (!word.empty() && !std::isdigit((unsigned char)word[0])) {
            while (IsBlank(in.peek())) in.get();
            if (in.peek() == '=') {
                in.get();
                if (in.peek() != '=') {
                    CValue v;
                    ReadValue(in, v);
                    if (!in.fail()) {
                        CVarSlot* slot = GlobalVariables.Find(word);
                        if (!slot) slot = GlobalVariables.Add(word, true);
                        if (slot && slot->value) {
                            *slot->value = std::move(v);
                            ++loaded;
                        }
                    } else {
                        AttachPlace(file, lineStart);
                    }
                    in.clear();
                }
            }
        }
        SkipLine(in);
    }
    return loaded;
}

int LoadFunctionLibrary(CFunctionTable* table, const std::string& file)
{
    std::ifstream f(file, std::ios::binary);
    if (!f) return 0;
    std::ostringstream ss;
    ss << f.rdbuf();
    // Read as the editor reads it, so that a message's place is the same
    // offset in the editor when the output bar opens the file.
    EditorTextOptions options;
    options.keepTabs = 0;
    options.tabSize = 4;
    options.maxLineLength = 2048;
    return LoadFunctionLibraryText(table, file, std::make_shared<const std::string>(FilterEditorText(ss.str(), options)));
}

int LoadFunctionLibraries(const std::string& folder)
{
    std::string top = ResolveFolder(folder);
    std::error_code ec;
    if (!fs::is_directory(top, ec)) return 0;
    CLibraryFunctionTable* global = CreateLibraryTable("Global");
    if (!global) return 0;

    struct Work {
        std::string path;
        CFunctionTable* table;
        bool top;
    };
    std::vector<Work> work{{top, global, true}};
    // Each folder once (a link back up would load every library again, and
    // for ever), and a bounded walk even when the setting names "/".
    std::set<std::pair<dev_t, ino_t>> seen;
    auto firstVisit = [&seen](const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && seen.insert({st.st_dev, st.st_ino}).second;
    };
    firstVisit(top);
    size_t entriesLeft = kMaxLibraryWalkEntries;
    ReportPlain() << "Loading functions library...";
    int total = 0;
    while (!work.empty() && seen.size() <= kMaxLibraryWalkFolders && entriesLeft > 0) {
        Work w = work.back();
        work.pop_back();
        ReportPlain() << "Scaning path " << w.path << "...";
        std::vector<fs::directory_entry> entries;
        for (fs::directory_iterator it(w.path, ec), end; !ec && it != end && entriesLeft > 0; it.increment(ec)) {
            entries.push_back(*it);
            --entriesLeft;
        }
        std::sort(entries.begin(), entries.end(),
                  [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
        for (const fs::directory_entry& e : entries) {
            std::string name = e.path().filename().string();
            if (e.is_directory(ec)) {
                if (!firstVisit(e.path().string())) continue;
                CFunctionTable* t = w.table;
                if (w.top) t = CreateLibraryTable(name);
                if (t) work.push_back({e.path().string(), t, false});
            } else if (Lower(e.path().extension().string()) == ".vdl" && e.is_regular_file(ec)) {
                ReportPlain() << "Preloading " << name << "...";
                int n = LoadFunctionLibrary(w.table, e.path().string());
                if (n > 0) total += n;
            }
        }
    }
    ReportPlain() << total << " function(s) and constant(s) are loaded";
    return total;
}
