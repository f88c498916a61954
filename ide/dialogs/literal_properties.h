#pragma once
// Edit Properties: the value literal around the caret ("[...]", "{...}" or
// "<...>", with "name =" before it when there is one) opens in its editor;
// Insert replaces the literal (and the name) as one undo step.
#include <string>

class KyrEditCtrl;
class CWnd;

struct LiteralRange {
    char kind = 0;        // '[', '{' or '<'; 0: none at the caret
    int start = 0;        // the replaced range: from the name, else the bracket
    int open = 0;         // the opening bracket
    int close = 0;        // the closing bracket
    std::string name;     // empty without "name ="
};

// The literal around offset in text; kind 0 when the caret is in none or the
// brackets do not pair.
LiteralRange FindLiteralAt(const std::string& text, int offset);

// The command: false when nothing was replaced (no literal, a refused one
// with its message, or Close).
bool EditLiteralProperties(KyrEditCtrl& edit, CWnd* parent);
