#pragma once
// The source editor's text rules without a window: UTF-8 character steps,
// display columns and the filter every loaded or inserted text goes through.
// A character is one valid UTF-8 sequence or one byte that starts none.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct EditorTextOptions {
    int keepTabs = 0;         // 0: a tab becomes tabSize spaces
    int tabSize = 4;
    int maxLineLength = 2048; // columns (characters)
};

// Texts reach at most this many bytes (offsets are signed 32-bit).
constexpr int64_t kEditorMaxBytes = 0x7FFFFFFF;
// Shown when a file of kEditorMaxBytes bytes or more is opened.
inline constexpr const char* kEditorTooLargeMessage = "The file is too large to edit.";

// Length of the character at `offset` (1 for ASCII, an invalid or a cut byte).
int EditCharLength(std::string_view text, int offset);
// Start of the character that ends at `offset` (offset - 1 for a stray byte).
int EditPrevChar(std::string_view text, int offset);
// The code point at `offset`; an invalid byte gives 0x110000 + byte.
uint32_t EditCodePoint(std::string_view text, int offset);
// Number of characters in [start, end).
int EditCountChars(std::string_view text, int start, int end);
// UTF-8 bytes of a code point (none for values past U+10FFFF or surrogates).
std::string EditUtf8(uint32_t codePoint);

// Steps 2 and 5 of an insertion: CRs removed, tabs expanded when not kept,
// a line feed after every maxLineLength characters not followed by one.
std::string FilterInsertedText(std::string_view text, const EditorTextOptions& options);
// The line starting at `lineStart` as long as maxLineLength or longer gets a
// bare line feed after its (maxLineLength - 1)th character, again and again;
// returns the number of line feeds added; `positions` gets where each went
// (offsets at the time of its insertion, ascending).
int BreakLongLine(std::string& text, int lineStart, const EditorTextOptions& options, std::vector<int>* positions = nullptr);

// What SetText does to a text: the filter and a break of an over-long last line.
std::string FilterEditorText(std::string_view bytes, const EditorTextOptions& options);
