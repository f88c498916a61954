// The help page holds an entry for every statement keyword and built-in
// function under an id keyword help can jump to, the context sections, and
// the plot settings and kinds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "builtins/libraries.h"
#include "devices/plot_keywords.h"
#include "ide/help/help_page.h"
#include "interpreter/basic_statements.h"
#include "interpreter/statement_module.h"

TEST(HelpPage, KeywordsFunctionsAndContextsHaveIds)
{
    // The group list is the process's: a group an earlier test registered
    // stays where it was (removing it would reorder every later test's list).
    CmdrInfo* basic = RegisterBasicStatements();
    bool listed = false;
    for (int i = 0; i < CStatementModuleList::Count(); ++i) listed = listed || CStatementModuleList::At(i).info == basic;
    CStatementModuleList::AddGroup(basic);
    RegisterBuiltinLibraries();
    const std::string page = BuildHelpPage();
    UnregisterBuiltinLibraries();
    if (!listed) CStatementModuleList::RemoveGroup(basic);

    std::set<std::string> ids;
    const std::regex id("id=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), id); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(ids.insert((*it)[1]).second) << "twice: " << (*it)[1];
    for (const char* want : {"for", "while", "switch", "sin", "sorta", "context-20097", "context-20098",
                             "context-20099", "context-2009f"})
        EXPECT_TRUE(ids.count(want)) << want;
    // Help texts are escaped: a prototype's brackets stay text.
    EXPECT_NE(page.find("<code>[out] = sin(in1)</code>"), std::string::npos);
    EXPECT_EQ(page.find("<=") , std::string::npos);
}

// The page the build stages lists the plot settings with their values and
// the plot statement's kinds, from the tables the plot device works from.
TEST(HelpPage, PlotSettingsAndKindsAreListed)
{
    std::ifstream in(std::string(std::getenv("VELDRA_OUT")) + "/Hlp/Veldra.html", std::ios::binary);
    ASSERT_TRUE(in) << "the build writes Hlp/Veldra.html";
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string page = ss.str();
    const size_t settings = page.find("<h2 id=\"plot-settings\">Plot settings</h2>");
    const size_t kinds = page.find("<h2 id=\"plot-commands\">Plot commands</h2>");
    ASSERT_NE(settings, std::string::npos);
    ASSERT_NE(kinds, std::string::npos);
    auto entry = [&](const std::string& head, size_t from) {
        const size_t at = page.find("<code>" + head + "</code></dt>\n<dd><pre>", from);
        if (at == std::string::npos) return std::string();
        const size_t start = page.find("<pre>", at) + 5;
        return page.substr(start, page.find("</pre>", start) - start);
    };
    auto escaped = [](const std::string& text) {
        std::string out;
        for (char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : std::string(1, c);
        return out;
    };
    size_t count;
    const PlotPropertyInfo* props = PlotProperties(count);
    EXPECT_EQ(count, 31u);
    for (size_t i = 0; i < count; i++) {
        const std::string text = entry(props[i].keyword, settings);
        EXPECT_NE(text.find(props[i].effect), std::string::npos) << props[i].keyword << ": " << text;
        for (size_t w = 0; w < props[i].wordCount; w++)
            EXPECT_NE(text.find("\n  &quot;" + escaped(props[i].words[w].word) + "&quot;  " + props[i].words[w].meaning),
                      std::string::npos)
                << props[i].keyword << ": " << text;
    }
    EXPECT_NE(entry("linewidth", settings).find("integer 0..24"), std::string::npos);
    EXPECT_NE(entry("pointstyle", settings).find("&quot;o&quot;  circle"), std::string::npos);
    EXPECT_NE(entry("background", settings).find("&quot;magenta&quot;"), std::string::npos);
    EXPECT_NE(entry("background", settings).find("&quot;none&quot;"), std::string::npos);
    EXPECT_EQ(entry("graphcolor", settings).find("&quot;none&quot;"), std::string::npos);
    for (const char* kind : {"cart", "polar", "compass", "stairs", "bar", "line", "ellipse", "circle"})
        EXPECT_FALSE(entry(std::string("plot ") + kind, kinds).empty()) << kind;
    EXPECT_NE(entry("plot bar", kinds).find("orient"), std::string::npos);
}
