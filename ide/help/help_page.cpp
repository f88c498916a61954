#include "ide/help/help_page.h"

#include <set>
#include <sstream>

#include "ide/function_groups.h"
#include "interpreter/statement_module.h"

namespace {

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\r': break;
        default: out += c;
        }
    }
    return out;
}

// Keyword help looks for id="word"; a word is listed once, at its first entry.
void Entry(std::ostringstream& html, std::set<std::string>& ids, const std::string& word, const std::string& head,
           const std::string& body)
{
    html << "<dt";
    if (ids.insert(word).second) html << " id=\"" << Escape(word) << '"';
    html << "><code>" << Escape(head) << "</code></dt>\n<dd><pre>" << Escape(body) << "</pre></dd>\n";
}

}  // namespace

std::string BuildHelpPage()
{
    std::ostringstream html;
    std::set<std::string> ids;
    html << "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Veldra</title>\n</head>\n<body>\n"
            "<h1>Veldra</h1>\n"
            "<p>Programs are written in the program editor and run with Calculate (Ctrl+F5) or debugged with "
            "Start Debug (F5). F1 on a word in the editor opens its entry below.</p>\n"
            "<h2 id=\"context-20097\">Variables and functions windows</h2>\n"
            "<p>The variables window lists the variables of each scope; the functions window every callable "
            "function by group.</p>\n"
            "<h2 id=\"context-20098\">Watcher</h2>\n"
            "<p>At a break the watcher evaluates its expressions in the frame chosen in its call stack.</p>\n"
            "<h2 id=\"context-20099\">Settings</h2>\n"
            "<p>Tools, Settings changes the output, editor, module and program settings.</p>\n"
            "<h2 id=\"context-2009f\">Modules and program settings</h2>\n"
            "<p>The modules page lists the loaded statement groups and function libraries.</p>\n";

    html << "<h2 id=\"statements\">Statements</h2>\n<dl>\n";
    for (int g = 0; g < CStatementModuleList::Count(); ++g) {
        const CmdrInfo* info = CStatementModuleList::At(g).info;
        if (!info) continue;
        for (int i = 0; info->statements && i < info->statementCount; ++i) {
            const CmdrStatementEntry* e = &info->statements[i];
            if (!e->keyword) continue;
            std::string body = e->help ? e->help : "";
            if (e->example && *e->example) body += std::string(body.empty() ? "" : "\n") + "Example: " + e->example;
            Entry(html, ids, e->keyword, e->keyword, body);
        }
    }
    html << "</dl>\n";

    html << "<h2 id=\"functions\">Functions</h2>\n<dl>\n";
    std::vector<FunctionGroup> groups = StandardFunctionGroups(nullptr);
    std::vector<FunctionRow> rows;
    if (!groups.empty()) BuildFunctionRows(groups[0], rows);
    for (const FunctionRow& row : rows) Entry(html, ids, row.Name(), row.Prototype(), row.Description());
    html << "</dl>\n</body>\n</html>\n";
    return html.str();
}
