// The statement translator: first words, comments, labels, keywords, function
// declarations and the words that close nested blocks. Each statement object
// reads the rest of its own text.
#include "interpreter/translator.h"

#include <cctype>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "interpreter/expression_statements.h"
#include "interpreter/stack_guard.h"
#include "interpreter/statement_module.h"

namespace {

constexpr int kMaxWordLength = 63;

struct LabelList {
    std::mutex lock;
    std::vector<std::string> names;
    std::unordered_map<std::string, int> ids;  // programs may hold many thousands of labels
};

LabelList& Labels()
{
    static LabelList list;
    return list;
}

inline bool IsBlank(int c) { return c != EOF && std::isspace((unsigned char)c); }

std::string Lower(const std::string& s)
{
    std::string r = s;
    for (char& ch : r) ch = (char)std::tolower((unsigned char)ch);
    return r;
}

void WriteLabelWarning(const CStatementBlock* block, const std::string& previous, const std::string& label, int pos)
{
    CMessageWriter w(MSG_WARNING);
    w.Output()->AttachToCurrent(MakeSourcePosition(block, pos));
    w << "'" << previous << "' label replaced by '" << label << "'";
}

}  // namespace

// ---- labels -----------------------------------------------------------------

int InternLabel(const std::string& name)
{
    LabelList& l = Labels();
    std::lock_guard<std::mutex> g(l.lock);
    auto [it, added] = l.ids.try_emplace(name, (int)l.names.size());
    if (added) l.names.push_back(name);
    return it->second;
}

std::string LabelName(int id)
{
    LabelList& l = Labels();
    std::lock_guard<std::mutex> g(l.lock);
    return id >= 0 && id < (int)l.names.size() ? l.names[id] : std::string();
}

// ---- the translator ---------------------------------------------------------

// slot 10: TranslateBlock on this block.
StatusWord CStatementBlock::Translate(std::istream& in) { return TranslateBlock(this, in); }

StatusWord TranslateBlock(CStatementBlock* block, std::istream& in)
{
    // Nested bodies recurse through here: a deep nest fails before the stack runs out.
    if (StatusWord s = CheckStackSpace()) {
        if (!(block->flags & CStatementBlock::FLAG_OWNS_SCOPE)) return s;
        ReportStatementError(s, block, StreamPos(in));
        return s | STATUS_REPORTED;
    }
    block->flags |= CStatementBlock::FLAG_TRANSLATED;
    int prevEnd = StreamPos(in);
    std::string pendingLabel, pendingComment;
    StatusWord status = 0;
    bool reported = false;

    while (status == 0 && in.good()) {
        int c;
        while (IsBlank(c = in.peek())) in.get();
        if (c == EOF) break;
        int start = StreamPos(in);

        // The first word: an identifier stops before ":", ";", "(" and "[";
        // once anything else has been read it runs on to the next blank.
        std::string word;
        int last = 0;
        bool identifier = true;
        while ((int)word.size() < kMaxWordLength) {
            c = in.peek();
            if (c == EOF || IsBlank(c)) break;
            if (identifier && (c == ':' || c == ';' || c == '(' || c == '[')) break;
            in.get();
            word += (char)c;
            last = c;
            if (!IsIdentChar(c)) identifier = false;
        }
        bool atEnd = in.peek() == EOF;
        if (atEnd) in.clear();

        if (!word.empty() && word[0] == '%') {
            std::string rest;
            std::getline(in, rest);
            if (!rest.empty() && rest.back() == '\r') rest.pop_back();  // CR LF text
            pendingComment += word + rest + "\r\n";
            continue;
        }

        std::string keyword = Lower(word);
        CStatement* st = nullptr;
        bool expression = false;

        if (atEnd && !word.empty() && last != ';' && keyword != "end") {
            status = ERR_UNEXPECTED_END;
        } else if (keyword == "function") {
            status = DeclareUserFunction(block, in, pendingComment);
            goto next_statement;
        } else if (keyword == "end") {
            return 0;
        } else if (keyword == "else") {
            status = ERR_UNEXPECTED_ELSE;
            goto next_statement;
        } else if (keyword == "elseif") {
            status = ERR_UNEXPECTED_ELSEIF;
            goto next_statement;
        } else if (keyword == "case") {
            status = ERR_UNEXPECTED_CASE;
            goto next_statement;
        } else if (keyword == "default") {
            status = ERR_UNEXPECTED_DEFAULT;
            goto next_statement;
        } else {
            st = CStatementModuleList::CreateStatement(keyword.c_str(), block);
            if (!st) {
                int next = ReadNonBlank(in);
                if (next == ':') {
                    if (word.empty()) {
                        status = ERR_GOTO_LABEL;
                    } else {
                        if (!pendingLabel.empty() && pendingLabel != word)
                            WriteLabelWarning(block, pendingLabel, word, StreamPos(in));
                        pendingLabel = word;
                    }
                    goto next_statement;
                }
                PutBackChar(in, next);
                StreamSeek(in, start);
                st = new CExpressionStatement(block);
                expression = true;
            }

            StatusWord result = st->Translate(in);
            if (expression && (result & STATUS_CODE_MASK) == 0) {
                CExpressionStatement* es = static_cast<CExpressionStatement*>(st);
                if (es->expr.root && ExprYieldsValue(es->expr.root)) {
                    CStatement* display = MakeDisplayStatement(es);
                    delete st;
                    st = display;
                }
            }
            int pos = StreamPos(in);
            st->labelId = InternLabel(pendingLabel);
            st->textStart = start;
            st->textEnd = pos;
            st->spanStart = prevEnd;
            if (st->spanEnd == -1) st->spanEnd = pos;
            if ((result & STATUS_CODE_MASK) != 0 || (result & STATUS_RETURN))
                delete st;
            else
                block->Append(st);
            status = result & (STATUS_CODE_MASK | STATUS_REPORTED);
            if (!(status & STATUS_CODE_MASK)) status = 0;
            pendingLabel.clear();
        }

    next_statement:
        {
            int pos = StreamPos(in);
            prevEnd = pos;
            if (status & STATUS_REPORTED) reported = true;
            if (status != 0 && !reported && (block->flags & CStatementBlock::FLAG_OWNS_SCOPE)) {
                ReportStatementError(status & STATUS_CODE_MASK, block, in.fail() ? start : pos);
                reported = true;
            }
            pendingComment.clear();
        }
    }

    if (status != 0) block->flags &= ~CStatementBlock::FLAG_TRANSLATED;
    status &= STATUS_CODE_MASK;
    if (status && reported) status |= STATUS_REPORTED;
    return status;
}
