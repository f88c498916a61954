#include "values/path_text.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <vector>

namespace {
bool IsSeparator(char ch) { return ch == '\\' || ch == '/'; }
}  // namespace

void TrimString(std::string& text)
{
    size_t n = text.size();
    while (n > 0 && std::isspace((unsigned char)text[n - 1])) --n;
    text.resize(n);
}

std::string GetFileNamePart(const std::string& path)
{
    size_t pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

void NormalizePath(std::string& path)
{
    // Segments: an optional leading separator (the first of its run) and a name.
    struct Segment {
        char sep;  // 0 when the segment does not start with a separator
        std::string name;
    };
    std::vector<Segment> out;
    bool dropNextSep = false;  // the part removed was the first, relative one
    size_t i = 0;
    const size_t n = path.size();
    while (i < n) {
        Segment s{0, std::string()};
        if (IsSeparator(path[i])) {
            s.sep = path[i];
            while (i < n && IsSeparator(path[i])) ++i;
        }
        size_t start = i;
        while (i < n && !IsSeparator(path[i])) ++i;
        s.name.assign(path, start, i - start);

        if (s.sep && s.name == ".." && !out.empty() && out.back().name != "..") {
            dropNextSep = out.back().sep == 0 && out.size() == 1;
            out.pop_back();
            continue;
        }
        if (dropNextSep && out.empty()) s.sep = 0;
        dropNextSep = false;
        out.push_back(std::move(s));
    }
    std::string result;
    result.reserve(n);
    for (const Segment& s : out) {
        if (s.sep) result += s.sep;
        result += s.name;
    }
    path.swap(result);
}

std::string GetModuleFilePath(void* module)
{
    if (module) {
        struct link_map* map = nullptr;
        if (dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && map->l_name[0]) {
            char resolved[PATH_MAX];
            if (realpath(map->l_name, resolved)) return resolved;
            return map->l_name;
        }
        // The main program's handle has no name of its own.
    }
    char buf[PATH_MAX];
    ssize_t len = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (len <= 0) return std::string();
    return std::string(buf, (size_t)len);
}
