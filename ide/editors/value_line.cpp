// The value texts of the IDE's lists and of the Insert commands.
#include "ide/editors/value_line.h"

#include <sstream>

#include "values/app_settings.h"
#include "values/byte_buffer.h"
#include "values/value.h"
#include "values/value_matrix.h"
#include "values/value_text.h"

std::string& FormatValueLine(std::string& text, const CValue* value, int* status)
{
    if (!value) {
        text = "UNLINK";
        if (status) *status = 0;
        return text;
    }
    ValueTextFormat fmt = IdeDefaultTextFormat;
    fmt.precision = uint8_t(AppSettings::NumericPrecision & 0xFF);
    return ValueFormat(*value, text, &fmt, status);
}

std::string ValueInsertText(const std::string& name, const CValue& value)
{
    std::string text = name.empty() ? std::string() : name + " = ";
    std::string body;
    ValueFormat(value, body, &AppSettings::EditorFormat);
    return text + body;
}

std::string FirstLine(const std::string& text)
{
    size_t end = text.find_first_of("\r\n");
    return end == std::string::npos ? text : text.substr(0, end);
}

std::string BinaryLiteralText(const std::string& name, const std::vector<unsigned char>& bytes, int rowLength,
                              int digits)
{
    std::string dump;
    FormatHexDump(bytes.data(), bytes.size(), dump, rowLength, digits);
    std::string text = name.empty() ? std::string() : name + " = ";
    return text + "<" + dump + ">";
}

std::vector<unsigned char> ValueBytes(const CValue& value)
{
    std::vector<unsigned char> bytes;
    if (!value.IsBinary()) return bytes;
    if (value.Type() == VT_STRING) {
        const CValue* cells = value.Cells();
        uint32_t n = cells ? ValueArrayCount(cells) - 1 : 0;   // the count holds the terminator
        for (uint32_t i = 0; i < n; ++i) bytes.push_back((unsigned char)(cells[i].m_payload & 0xFF));
    } else if (value.Type() == VT_MATRIX && value.MatrixPtr()) {
        const CValueMatrix& m = value.Matrix();
        for (int r = 0; r < m.Rows(); ++r)
            for (int c = 0; c < m.Cols(); ++c) bytes.push_back((unsigned char)(m.Cell(r, c).m_payload & 0xFF));
    }
    return bytes;
}

bool StoreValueBytes(CValue& value, const std::vector<unsigned char>& bytes)
{
    if (!value.IsBinary()) return false;
    if (value.Type() == VT_STRING) {
        // Always a binary string, even of one byte (SetBinaryString would make a Byte).
        CValue* cells = value.AllocBinaryString(bytes.size());
        if (!cells) return false;
        for (size_t i = 0; i < bytes.size(); ++i) {
            cells[i].m_payload = bytes[i];
            cells[i].m_tag = VT_BYTE;
        }
        return true;
    }
    if (value.Type() == VT_MATRIX) {
        const uint32_t tag = value.Tag();
        CValueMatrix& m = value.MakeMatrix(bytes.empty() ? 0 : 1, (int)bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i) {
            CValue& cell = m.Cell(0, (int)i);
            cell.Clear();
            cell.m_payload = bytes[i];
            cell.m_tag = VT_BYTE;
        }
        value.m_tag = tag;
        return true;
    }
    return false;
}

bool IsValidNameStart(const std::string& name)
{
    if (name.empty()) return false;
    unsigned char c = (unsigned char)name[0];
    return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
