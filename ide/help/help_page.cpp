#include "ide/help/help_page.h"

#include <set>
#include <sstream>

#include "devices/plot_keywords.h"
#include "ide/help/function_groups.h"
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

// What a property's value may be, one line per word.
std::string PlotValueText(const PlotPropertyInfo& p)
{
    std::string out;
    switch (p.kind) {
    case PlotValueKind::Words:
        out = p.lowerCase ? "one of (any letter case):" : "one of:";
        for (size_t i = 0; i < p.wordCount; i++)
            out += std::string("\n  \"") + p.words[i].word + "\"  " + p.words[i].meaning;
        return out;
    case PlotValueKind::Colour:
    case PlotValueKind::ColourOrNone: {
        size_t n;
        const PlotWord* words = PlotColourWords(n);
        out = "a colour: ";
        for (size_t i = 0; i < n; i++) out += std::string(i ? ", " : "") + "\"" + words[i].word + "\"";
        out += " (any letter case), or the decimal number 0x00BBGGRR";
        if (p.kind == PlotValueKind::ColourOrNone) out += ", or \"none\" for no colour";
        return out;
    }
    default: return p.value;
    }
}

// The plot properties and the plot statement's kinds, from the tables the plot device works from.
void PlotSections(std::ostringstream& html, std::set<std::string>& ids)
{
    html << "<h2 id=\"plot-settings\">Plot settings</h2>\n"
            "<p>Properties that setplot sets and that plot2d and plot take as options, written NAME=VALUE. "
            "The first group sets a graphic object, the second a plane.</p>\n<dl>\n";
    size_t count;
    const PlotPropertyInfo* props = PlotProperties(count);
    for (size_t i = 0; i < count; i++) {
        const PlotPropertyInfo& p = props[i];
        Entry(html, ids, p.keyword, p.keyword,
              std::string(p.ofObject ? "Object: " : "Plane: ") + p.effect + "\nValue: " + PlotValueText(p));
    }
    html << "</dl>\n";
    html << "<h2 id=\"plot-commands\">Plot commands</h2>\n"
            "<p>The word after plot chooses how each series' operands are drawn; without a word the plot is "
            "cart.</p>\n<dl>\n";
    const PlotKindInfo* kinds = PlotKinds(count);
    for (size_t i = 0; i < count; i++)
        Entry(html, ids, kinds[i].word, std::string("plot ") + kinds[i].word, kinds[i].operands);
    html << "</dl>\n";
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
    html << "</dl>\n";
    PlotSections(html, ids);
    html << "</body>\n</html>\n";
    return html.str();
}
