#pragma once
// The Insert menu's value literals: each runs its editor modally on a new
// value and, on Insert, gives the text the document inserts at the caret.
#include <string>

class CWnd;

// A 3 x 3 matrix of zeros in the matrix editor.
bool InsertMatrixText(CWnd* parent, std::string& text);
// An empty structure in the structure editor.
bool InsertStructureText(CWnd* parent, std::string& text);
// An empty binary string, 8 items per row, in the binary editor; the text is
// the name and " = " when named, then "<", the hex dump in the chosen row
// length and item width, ">".
bool InsertBinaryText(CWnd* parent, std::string& text);
