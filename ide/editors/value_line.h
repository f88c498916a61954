#pragma once
// The value texts of the IDE: the one-line text the variables, watcher and
// editor lists show, and the texts the Insert commands and the editors'
// Insert buttons put into a program.
#include <string>
#include <vector>

class CValue;

// The text of a value as the IDE's lists show it: quoted, at most 512
// characters, the precision of the settings. status (optional) receives the
// writer's result. A null value gives "UNLINK".
std::string& FormatValueLine(std::string& text, const CValue* value, int* status = nullptr);

// name + " = " (only for a non-empty name) + the value under the editor
// format (setting "202"), up to the first NUL.
std::string ValueInsertText(const std::string& name, const CValue& value);
// The first line of a text (an editor's Insert button inserts only that).
std::string FirstLine(const std::string& text);

// "<" + the hex dump of the bytes (rowLength items per line, digits per
// item) + ">", after name + " = " when the name is not empty.
std::string BinaryLiteralText(const std::string& name, const std::vector<unsigned char>& bytes, int rowLength,
                              int digits);

// One byte per cell (its low byte) of a binary string or binary matrix.
std::vector<unsigned char> ValueBytes(const CValue& value);
// Writes bytes back into a binary value of the same type and mark: a binary
// string, or a binary matrix of one row. Other values are left alone.
bool StoreValueBytes(CValue& value, const std::vector<unsigned char>& bytes);

// The first character of a name the editors accept: a letter or "_".
bool IsValidNameStart(const std::string& name);
