// Whole programs: text in, messages out.
#include <gtest/gtest.h>

#include "program_harness.h"

namespace {

using Lines = std::vector<std::string>;

class Programs : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(Programs, GiveExactlyTheirMessages)
{
    const ProgramCase& c = GetParam();
    EXPECT_EQ(RunProgram(c.text).messages, c.messages) << c.text;
}

const ProgramCase kCases[] = {
    {"arithmetic", "a = 2 + 3 * 4; a; b = -2^2; b; 7 - 2 - 1; 3 > 2 > 1;", {"14", "-4", "4", "0"}},
    {"for_two_scalars", "s = 0; for(i=1:10) s += i; end s; i;", {"55", "10"}},
    {"for_row", "for(c=[5,6,7]) c * 2; end", {"10", "12", "14"}},
    {"while_break_continue",
     "k = 0; n = 0; while(1) k++; if(k > 10) break; end if(k == 3) continue; end n += k; end n; k;",
     {"52", "11"}},
    {"switch_fall_through",
     "x = 2; switch(x) case 1: \"one\"; case 2: \"two\"; case 3: \"three\"; break; default: \"other\"; end",
     {"two", "three"}},
    {"goto_backward_and_return", "i = 0; again: i++; if(i < 3) goto again; end i; return; i;", {"3"}},
    {"else_without_if", "else\n", {"Error: Unexpected ELSE statement (without IF)"}},
    {"break_outside_loop", "1; break; 2;", {"1", "Error: Invalid break statement"}},
    {"goto_nowhere", "goto nowhere;", {"Error: Invalid goto statement"}},
    {"label_replaced", "a: b: x = 1;", {"Warning: 'a' label replaced by 'b'"}},
    {"cleared_variable", "x = 1; clear x; x;", {"Error: Variable is not defined above"}},
    {"for_scalar_operand", "for(i=5) end", {"Error: Operand(s) of a FOR statement must be a one matrix or two scalars"}},
    {"empty_condition", "if() end", {"Error: Empty statement"}},
    {"last_word_at_end", "x = 1;\nx", {"Error: Syntax error: unexpected end of an expression"}},
    {"last_line_unterminated", "x = 1;\nx\n", {"Error: Syntax error: at this position"}},
};

INSTANTIATE_TEST_SUITE_P(DoneWhen, Programs, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

const ProgramCase kLoops[] = {
    {"for_none_keeps_start", "for(i=3:1) i; end i;", {"3"}},
    {"for_step_is_third", "for(i=0:0.1:0.3) i; end for(i=1:2:6) i; end", {"0", "1"}},
    {"for_body_moves_variable", "for(i=1:5) i; if(i == 1) i = 10; end end", {"1", "11", "12", "13", "14"}},
    {"for_columns", "for(c=[1,2;3,4]) c[2,1]; end", {"3", "4"}},
    {"for_nan_count", "for(i=1:1:0) end", {"Error: Operands of an iteration statement or arguments of an iterating function must be a scalar"}},
    {"for_infinite_count", "for(i=1:5:0) end", {"Error: Operands of an iteration statement or arguments of an iterating function must be a scalar"}},
    {"for_minus_infinite_count", "for(i=5:1:0) 1; end i;", {"5"}},
    {"for_matrix_start", "for(i=[1,2]:3) end", {"Error: Operands of an iteration statement or arguments of an iterating function must be a scalar"}},
    {"for_empty_step", "for(i=1:2:) end 7;", {"Error: Empty statement"}},
    {"for_empty_matrix", "for(c=[]) 1; end 2;", {"2"}},
    {"for_keywords_any_case", "FOR(i=1:2) i; END For(j=3:3) j; end", {"1", "2", "3"}},
    {"for_break_keeps_value", "for(i=1:9) if(i == 4) break; end end i;", {"4"}},
    {"while_continue", "k = 0; while(k < 4) k++; if(k == 2) continue; end k; end", {"1", "3", "4"}},
    {"while_undefined", "while(zz) end", {"Error: Variable is not defined above"}},
    {"if_else", "x = 0; if(x) 1; else 2; end", {"2"}},
    {"elseif_chain", "for(x=1:4) if(x == 1) \"a\"; elseif(x == 2) \"b\"; elseif(x == 3) \"c\"; else \"d\"; end end",
     {"a", "b", "c", "d"}},
    {"if_undefined", "if(x) end", {"Error: Variable is not defined above"}},
    {"switch_default_only", "switch(9) case 1: \"a\"; case 2: \"b\"; default: \"c\"; end", {"c"}},
    {"switch_no_break_runs_default", "switch(2) case 1: \"a\"; case 2: \"b\"; case 3: \"c\"; default: \"d\"; end",
     {"b", "c", "d"}},
    {"switch_shared_labels", "switch(3) case 2: case 3: case 4: \"many\"; break; default: \"d\"; end", {"many"}},
    {"switch_break_in_default_stays_in_loop", "for(i=1:2) switch(i) case 5: 0; default: i; break; end end",
     {"1", "2"}},
    {"switch_default_needs_colon", "switch(1) case 1: 1; default 2; end", {"Error: Syntax error: at this position"}},
    {"switch_without_case", "switch(1) end", {"Error: Syntax error: at this position"}},
    {"run_error_in_body_reported_once", "for(i=1:2) zz; end 1;", {"Error: Variable is not defined above"}},
    {"translate_error_in_body_reported_once", "for(i=1:2) if() end end", {"Error: Empty statement"}},
    {"nested_body_shares_variables", "y = 0; for(i=1:3) y = y + i; end y;", {"6"}},
};

INSTANTIATE_TEST_SUITE_P(Loops, Programs, ::testing::ValuesIn(kLoops),
                         [](const auto& info) { return std::string(info.param.name); });

const ProgramCase kJumps[] = {
    {"goto_forward", "goto skip; 1; skip: 2;", {"2"}},
    {"goto_out_of_nested", "for(i=1:5) if(i == 2) goto out; end i; end out: i;", {"1", "2"}},
    {"two_gotos_one_label", "n = 0; top: n++; if(n == 1) goto top; end if(n == 2) goto top; end n;", {"3"}},
    {"break_with_operand", "for(i=1:2) break 2; end", {"Error: Syntax error: at this position"}},
    {"goto_without_label", "goto ;", {"Error: Syntax error: at this position"}},
    {"continue_outside_loop", "continue;", {"Error: Invalid continue statement"}},
    {"return_inside_loop", "for(i=1:3) i; return; end 9;", {"1"}},
    {"clear_names_stops_at_unknown", "x = 1; y = 2; clear x, nosuch, y; y;", {"Error: Variable 'nosuch' is not found"}},
    {"clear_all_keeps_names", "x = 1; clear; x;", {"Error: Variable is not defined above"}},
    {"clear_local", "x = 1; clear #; x;", {"Error: Variable is not defined above"}},
    {"clear_global_leaves_local", "x = 1; clear *; x;", {"1"}},
    {"clear_star_needs_semicolon", "clear * x;", {"Error: Syntax error: at this position"}},
    {"global_at_translation", "global g1, g2; g1 = 3; g1;", {"3"}},
    {"pause_out_of_range", "pause -1;", {"Error: Parameter of the statement must be a ranged integer"}},
    {"pause_too_long", "pause 500000;", {"Error: Parameter of the statement must be a ranged integer"}},
    {"pause_not_a_number", "pause \"a\";", {"Error: Parameter of the statement must be a ranged integer"}},
    {"comment_and_end", "% note\n1; end 2;", {"1"}},
    {"empty_statement_is_no_op", "; ; 5;", {"5"}},
    {"assignment_not_shown", "x = 4; x++; x;", {"5"}},
    {"semicolon_inside_brackets", "m = [1;2]; m[2,1]; s = \"a;b\"; s;", {"2", "a;b"}},
    {"labels_case_sensitive", "n = 0; L: n++; if(n < 2) goto l; end", {"Error: Invalid goto statement"}},
    {"same_label_twice_no_warning", "a: a: 1;", {"1"}},
    {"empty_label", ": 1;", {"Error: Invalid goto label"}},
    {"case_outside_switch", "case 1:", {"Error: Unexpected CASE statement (without SWITCH)"}},
    {"elseif_outside_if", "elseif(1) end", {"Error: Unexpected ELSEIF statement (without IF)"}},
    {"default_outside_switch", "default: end", {"Error: Unexpected DEFAULT statement (without SWITCH)"}},
};

INSTANTIATE_TEST_SUITE_P(Jumps, Programs, ::testing::ValuesIn(kJumps),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
