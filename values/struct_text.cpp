#include <string>

#include "values/stream_chars.h"
#include "values/struct_value.h"
#include "values/value_text.h"

using namespace textio;

std::ostream& CStructValue::WriteText(std::ostream& os) const
{
    const bool lines = (OutputLayoutFlags.load(std::memory_order_relaxed) & LAYOUT_TABLE) != 0;
    os << '{';
    if (lines) os << '\n';
    const size_t n = m_fields.size();
    for (size_t i = 0; i < n; ++i) {
        const CStructField* f = m_fields[i];
        os << *f->m_name << '=' << f->m_value;
        if (f->m_attachment) {
            static const char hex[] = "0123456789abcdef";
            std::string id;
            for (unsigned t = f->m_attachment->m_type & 0xFFFF; t || id.empty(); t >>= 4) id.insert(id.begin(), hex[t & 0xF]);
            os << '$' << id << ' ';
            f->m_attachment->Write(&os, 16);
        }
        if (lines)
            os << '\n';
        else if (i + 1 < n)
            os << ", ";
    }
    return os << '}';
}

std::istream& CStructValue::ReadText(std::istream& is)
{
    std::istream::sentry s(is, true);
    if (!s) return is;
    SkipBlanks(is);
    if (!Expect(is, '{')) {
        Fail(is);
        return is;
    }
    RemoveAll();
    SkipBlanks(is);
    if (Expect(is, '}')) return is;
    for (;;) {
        CStructField* f = Add(EmptyName());
        SkipBlanks(is);
        std::string name;
        int c;
        while ((c = Peek(is)) != EOF && c != '=') {
            name += (char)c;
            Bump(is);
        }
        if (c != '=') {
            Fail(is);
            return is;
        }
        Bump(is);
        while (!name.empty() && IsBlank((unsigned char)name.back())) name.pop_back();
        ReadValue(is, f->m_value);
        if (is.fail()) return is;
        f->m_name = InternName(name);

        SkipBlanks(is);
        c = Peek(is);
        if (c == '$') {
            Bump(is);
            unsigned long id = 0;
            if (!GetNumber(is, id, std::ios::hex)) return is;
            Expect(is, ' ');  // the separator the writer puts before the attachment's text
            if (CStructAttachment* a = f->SetAttachment((uint32_t)id)) a->Read(&is, 16);
            SkipBlanks(is);
            c = Peek(is);
        }
        if (c == '}') {
            Bump(is);
            return is;
        }
        if (c != ',') {
            Fail(is);
            return is;
        }
        Bump(is);
        if (!is.good()) return is;
    }
}
