// Desktop entry and mime types (see shell_registration.h).
#include "ide/shell/shell_registration.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/afx/document.h"
#include "platform/afx/module_bitmap_data.h"
#include "platform/afx/spawn.h"

namespace fs = std::filesystem;

namespace {

// An Exec argument: quoted when it holds a reserved character, with the
// quoting escapes; a literal "%" is doubled in any case.
std::string ExecArgument(const std::string& arg)
{
    bool quote = arg.empty();
    std::string body;
    for (char c : arg) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '"' || c == '\'' || c == '\\' || c == '>' || c == '<' ||
            c == '~' || c == '|' || c == '&' || c == ';' || c == '$' || c == '*' || c == '?' || c == '#' ||
            c == '(' || c == ')' || c == '`')
            quote = true;
        if (c == '%') body += '%';
        body += c;
    }
    if (!quote) return body;
    std::string out = "\"";
    for (char c : body) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        out += c;
    }
    out += '"';
    // The entry's own string escapes apply on top of the quoting.
    std::string escaped;
    for (char c : out) {
        if (c == '\\') escaped += "\\\\";
        else if (c == '\n') escaped += "\\n";
        else escaped += c;
    }
    return escaped;
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) return std::string();
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// 1 written, 0 already equal, -1 failed.
int WriteIfDifferent(const fs::path& path, const std::string& text)
{
    std::error_code ec;
    if (fs::is_regular_file(path, ec) && ReadAll(path) == text) return 0;
    fs::create_directories(path.parent_path(), ec);
    return AfxWriteFileAtomically(path.string(), text) ? 1 : -1;
}

}  // namespace

std::string DesktopEntryText(const std::string& exePath)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Veldra\n"
           "Comment=Matrix programming environment\n"
           "Exec=" + ExecArgument(exePath) + " --hidden-run %f\n"
           "Icon=veldra\n"
           "MimeType=text/x-veldra;\n"
           "Terminal=false\n"
           "NoDisplay=false\n"
           "Categories=Development;Science;Math;\n";
}

std::string MimePackageText()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"text/x-veldra\">\n"
           "    <comment>Veldra program</comment>\n"
           "    <sub-class-of type=\"text/plain\"/>\n"
           "    <glob pattern=\"*.vdx\"/>\n"
           "  </mime-type>\n"
           "  <mime-type type=\"application/x-veldra-plot\">\n"
           "    <comment>Veldra plot</comment>\n"
           "    <glob pattern=\"*.qra\"/>\n"
           "  </mime-type>\n"
           "  <mime-type type=\"application/x-veldra-console\">\n"
           "    <comment>Veldra console</comment>\n"
           "    <glob pattern=\"*.vxc\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string ShellDataHome()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return data;
    const char* home = std::getenv("HOME");
    if (!home || !*home) return std::string();
    return std::string(home) + "/.local/share";
}

int RegisterShellFiles(const std::string& exePath)
{
    const std::string base = ShellDataHome();
    if (base.empty() || exePath.empty()) return -1;
    const fs::path apps = fs::path(base) / "applications", mime = fs::path(base) / "mime";
    const int desktop = WriteIfDifferent(apps / "veldra.desktop", DesktopEntryText(exePath));
    const int types = WriteIfDifferent(mime / "packages" / "veldra.xml", MimePackageText());
    // The icon the entry names: the IDE window's own.
    int icon = 0;
    const unsigned char* png = nullptr;
    size_t pngSize = 0;
    if (AfxFindBitmapData("ICON128", &png, &pngSize))
        icon = WriteIfDifferent(fs::path(base) / "icons" / "hicolor" / "48x48" / "apps" / "veldra.png",
                                std::string(reinterpret_cast<const char*>(png), pngSize));
    // The databases are rebuilt only after a change: a start with nothing
    // new leaves the desktop alone.
    if (types > 0 && AfxCommandExists("update-mime-database")) AfxSpawn({"update-mime-database", mime.string()}, true);
    if (desktop > 0 && AfxCommandExists("update-desktop-database"))
        AfxSpawn({"update-desktop-database", apps.string()}, true);
    if (desktop < 0 || types < 0 || icon < 0) return -1;
    return desktop + types + icon;
}
