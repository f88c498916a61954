// User functions in whole programs: declarations, calls, binding, overloads.
#include <gtest/gtest.h>

#include "interpreter/statements/program_harness.h"

namespace {

using Lines = std::vector<std::string>;

class FunctionPrograms : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(FunctionPrograms, GiveExactlyTheirMessages)
{
    const ProgramCase& c = GetParam();
    EXPECT_EQ(RunProgram(c.text).messages, c.messages) << c.text;
}

const ProgramCase kDoneWhen[] = {
    {"recursion", "function r = fact(n) if(n <= 1) r = 1; else r = n * fact(n - 1); end end fact(5);", {"120"}},
    {"swap_by_reference", "function swap([a], [b]) t = a; a = b; b = t; end x = 1; y = 2; swap(x, y); x; y;",
     {"2", "1"}},
    {"defaults_and_variadics",
     "function y = addk(x, k = 10) y = x + k; end function s = total(first, rest...) s = first; "
     "for(v = rest) s += v; end end addk(1); addk(1, 2); total(1, 2, 3, 4); total(5);",
     {"11", "3", "10", "5"}},
    {"endless_recursion", "function y = f(x) y = f(x); end f(1);",
     {"Error: Stack overflow. Please check a recursive functions calls"}},
    {"default_before_plain", "function g(a = 1, b)\nend",
     {"Error: All arguments following the first default argument must be also initialized"}},
    {"empty_parameter_list", "function f()\nend", {"Error: Invalid argument name"}},
    {"variadic_not_last", "function k(a..., b)\nend",
     {"Error: Sign of variable number of parameters ('...') it should be located at the last parameter of formal "
      "argument list"}},
    {"call_before_declaration", "f(1); function y = f(x) y = x; end",
     {"Error: Function is not declared or the function prototype is not suitable"}},
    {"ambiguous_overloads", "function y = f(a, b = 1) y = 1; end function y = f(a) y = 2; end f(3);",
     {"Error: Ambiguous call to overloaded function f; Ambiguity between y = f(a, b=1) and y = f(a)"}},
};

INSTANTIATE_TEST_SUITE_P(DoneWhen, FunctionPrograms, ::testing::ValuesIn(kDoneWhen),
                         [](const auto& info) { return std::string(info.param.name); });

const ProgramCase kBinding[] = {
    // The argument is read in the caller's state, also when the call recurses.
    {"argument_from_caller", "function r = down(n) r = n; if(n > 0) r = down(n - 1) + n * 10; end end down(3);",
     {"60"}},
    {"caller_slots_restored", "function r = g(n) m = n * 2; if(n > 0) t = g(n - 1); end r = m; end g(2);", {"4"}},
    {"reference_to_constant", "function set([r]) r = 5; end set(3);",
     {"Error: Reference argument should be l-value expression"}},
    {"reference_to_temporary", "function set([r]) r = 5; end x = 1; set(x + 1);",
     {"Error: Reference argument should be l-value expression"}},
    {"reference_to_element", "function set([r]) r = 5; end v = [1, 2, 3]; set(v[2]); v[1]; v[2]; v[3];", {"1", "5", "3"}},
    {"reference_whole_and_element", "function two([a], [b]) a = 0; end v = [1, 2]; two(v, v[1]);",
     {"Error: A potential access error to variable. Sharing violation to the data"}},
    {"reference_default_is_copied",
     "function y = bump([r] = 1) r = r + 1; y = r; end bump(); bump();", {"2", "2"}},
    {"variadic_empty_row", "function n = cnt(rest...) n = 0; for(v = rest) n++; end end cnt();", {"0"}},
    {"overload_by_count",
     "function y = f(x) y = 1; end function y = f(x, z) y = 2; end f(0); f(0, 0);", {"1", "2"}},
    {"two_outputs", "function [s, p] = sp(a, b) s = a + b; p = a * b; end [u, w] = sp(2, 3); u; w; y = sp(2, 3); y[1]; y[2];",
     {"5", "6", "5", "6"}},
    {"value_parameter_copied", "function y = inc(a) a = a + 1; y = a; end x = 1; inc(x); x;", {"2", "1"}},
    {"return_leaves_body", "function y = f(x) y = 1; return; y = 2; end f(0);", {"1"}},
    {"body_error_reported_once", "function y = f(x) y = x +; end 1;",
     {"Error: Syntax error: unexpected end of an expression"}},
    {"duplicate_parameter", "function h(a, a)\nend", {"Error: Output parameter already exists"}},
    {"missing_bracket", "function h([a, b)\nend", {"Error: Invalid declaration of argument as reference"}},
    {"bad_default", "function h(a = b)\nend", {"Error: Default value of argument must be a constant"}},
    {"bad_function_name", "function 1x(a)\nend", {"Error: Invalid function name"}},
};

INSTANTIATE_TEST_SUITE_P(Binding, FunctionPrograms, ::testing::ValuesIn(kBinding),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
