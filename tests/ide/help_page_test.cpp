// The help page holds an entry for every statement keyword and built-in
// function under an id keyword help can jump to, and the context sections.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "builtins/libraries.h"
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
