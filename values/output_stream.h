#pragma once
// The message stream through which every component reports.
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/types.h"

class COutputAttribute {
public:
    virtual ~COutputAttribute() {}
    virtual int GetKind() const = 0;
};

class CTextColor : public COutputAttribute {
public:
    COLORREF m_color;
    unsigned char m_bold, m_italic, m_strikeout;
    CTextColor(COLORREF c, bool b = false, bool i = false, bool s = false)
        : m_color(c), m_bold(b), m_italic(i), m_strikeout(s) {}
    int GetKind() const override { return 2; }
};

extern CTextColor RedTextColor;    // errors
extern CTextColor GreenTextColor;  // warnings
extern CTextColor GrayTextColor;   // information

class COutputMessage {
public:
    uint32_t m_kind = 16;
    int32_t m_id = -1;
    std::string m_text;
    std::vector<COutputAttribute*> m_attachments;  // owned
    CTextColor* m_color = nullptr;                 // not owned
    uint32_t m_shownAt = 0;  // 0 until a target shows it, then its clears so far + 1

    ~COutputMessage() { Free(); }
    void Free();
    // First attachment of the given kind, or null.
    COutputAttribute* FindAttachment(int kind) const;
};

class COutputStream {
public:
    explicit COutputStream(bool timeStamps = false);
    virtual ~COutputStream();
    COutputStream(const COutputStream&) = delete;
    COutputStream& operator=(const COutputStream&) = delete;

    virtual void OnMessage(COutputMessage* msg) = 0;
    virtual void OnClear() = 0;
    // An attachment added to a message that was already delivered (a place
    // given after the failing function wrote its text).
    virtual void OnLateAttachment(COutputMessage*, COutputAttribute*) {}

    void BeginMessage();  // takes the lock until Flush
    void Flush();
    void Clear();
    COutputMessage* FindMessage(int id);

    std::ostream& Stream() { return m_text; }
    bool TimeStamps() const { return (m_flags & 0x10000) != 0; }
    void SetTimeStamps(bool on) { m_flags = on ? (m_flags | 0x10000) : (m_flags & ~0x10000u); }

    // The message being composed; access goes through the lock.
    COutputMessage* CurrentMessage();
    void AttachToCurrent(COutputAttribute* attr);  // takes ownership; deleted when there is none
    void ForgetCurrent();
    size_t PostedCount();
    std::vector<std::string> PostedTexts();
    // A target that shows messages itself (the output bar) says when it shows
    // one and when it empties what it shows. A message whose text a clear took
    // away before its writer put it into the posted list is dropped there: it
    // would answer for a line that is now another message's.
    void NoteShown(COutputMessage* msg);
    void NoteShownCleared();

    void Lock() { m_lock.lock(); }
    void Unlock() { m_lock.unlock(); }

    HWND m_hTarget = nullptr;
    uint32_t m_flags = 0;
    uint32_t m_count = 0;
    char m_terminator[4];

protected:
    std::stringstream m_text;
    COutputMessage* m_current = nullptr;
    bool m_currentPosted = false;  // the current message is owned by the posted list
    std::vector<COutputMessage*> m_posted;
    uint32_t m_shownClears = 0;
    std::recursive_mutex m_lock;
};

// The one stream every writer uses. Never null: a stream that writes to
// standard error stands in until the owner installs its own.
COutputStream* GetOutputStream();
void SetOutputStream(COutputStream* stream);  // null restores the standard-error stream

std::string GetTimeStampText();
std::string FormatTimeStampPrefix();

enum MessageKind { MSG_ERROR, MSG_WARNING, MSG_INFO, MSG_PLAIN };

// Composes one message: BeginMessage, time stamp, colour and prefix at
// construction; Flush at destruction. Use as a temporary:
//   ReportError() << "Invalid operand";
class CMessageWriter {
public:
    explicit CMessageWriter(MessageKind kind, COutputStream* stream = nullptr);
    CMessageWriter(const CMessageWriter&) = delete;
    ~CMessageWriter();
    template <class T>
    CMessageWriter& operator<<(const T& v)
    {
        m_stream->Stream() << v;
        return *this;
    }
    std::ostream& Stream() { return m_stream->Stream(); }
    COutputStream* Output() { return m_stream; }

private:
    COutputStream* m_stream;
};

// While one lives, messages composed on this thread are dropped instead of
// reaching the stream (a reader whose failure is an answer, not an error).
class CQuietMessages {
public:
    CQuietMessages();
    ~CQuietMessages();
    CQuietMessages(const CQuietMessages&) = delete;
    CQuietMessages& operator=(const CQuietMessages&) = delete;
};
// True while a CQuietMessages lives on this thread.
bool MessagesAreQuiet();

inline CMessageWriter ReportError() { return CMessageWriter(MSG_ERROR); }
inline CMessageWriter ReportWarning() { return CMessageWriter(MSG_WARNING); }
inline CMessageWriter ReportInfo() { return CMessageWriter(MSG_INFO); }
inline CMessageWriter ReportPlain() { return CMessageWriter(MSG_PLAIN); }
