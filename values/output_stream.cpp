#include "values/output_stream.h"

#include <sys/time.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <locale>

CTextColor RedTextColor(RGB(192, 0, 0));
CTextColor GreenTextColor(RGB(0, 128, 0));
CTextColor GrayTextColor(RGB(128, 128, 128));

void COutputMessage::Free()
{
    for (COutputAttribute* a : m_attachments) delete a;
    m_attachments.clear();
    m_text.clear();
}

COutputAttribute* COutputMessage::FindAttachment(int kind) const
{
    for (COutputAttribute* a : m_attachments)
        if (a && a->GetKind() == kind) return a;
    return nullptr;
}

COutputStream::COutputStream(bool timeStamps)
{
    m_text.imbue(std::locale::classic());
    std::lock_guard<std::recursive_mutex> g(m_lock);
    m_terminator[0] = '\r';
    m_terminator[1] = '\n';
    m_terminator[2] = m_terminator[3] = 0;
    if (timeStamps) m_flags |= 0x10000;
}

COutputStream::~COutputStream()
{
    if (!m_currentPosted) delete m_current;
    for (COutputMessage* m : m_posted) delete m;
    m_posted.clear();
}

void COutputStream::BeginMessage()
{
    m_lock.lock();
    if (!(m_flags & 1)) {
        // An empty string stream sets its fail bit on a seek: clear the state first.
        m_text.clear();
        if (m_text.rdbuf()->in_avail() > 0 || m_text.tellp() > 0) {
            m_text.seekp(0);
            m_text.seekg(0);
        }
        m_text.clear();
    }
    // The previous message, if it was never flushed, is dropped here.
    if (!m_currentPosted) delete m_current;
    m_current = new (std::nothrow) COutputMessage();
    m_currentPosted = false;
}

void COutputStream::Flush()
{
    COutputMessage* msg = m_current;
    m_text << m_terminator;
    std::string line;
    std::getline(m_text, line, m_terminator[0]);
    if (m_terminator[1] && m_text.good()) m_text.get();
    if (msg) msg->m_text = std::move(line);
    // From here the record belongs to the posted list, even before it is appended.
    m_currentPosted = true;
    m_lock.unlock();
    if (!msg) return;
    if (m_hTarget)
        SendMessage(m_hTarget, WM_USER + 501, (WPARAM)msg, 0);
    else
        OnMessage(msg);
    std::lock_guard<std::recursive_mutex> g(m_lock);
    if (msg->m_shownAt && msg->m_shownAt != m_shownClears + 1) {
        // Shown, then cleared away while it was on its way here.
        if (m_current == msg) {
            m_current = nullptr;
            m_currentPosted = false;
        }
        delete msg;
        return;
    }
    m_posted.push_back(msg);
}

void COutputStream::NoteShown(COutputMessage* msg)
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    msg->m_shownAt = m_shownClears + 1;
}

void COutputStream::NoteShownCleared()
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    ++m_shownClears;
}

void COutputStream::Clear()
{
    {
        std::lock_guard<std::recursive_mutex> g(m_lock);
        for (COutputMessage* m : m_posted) delete m;
        if (m_currentPosted) m_current = nullptr;
        m_currentPosted = false;
        m_posted.clear();
        m_count = 0;
        m_text.clear();
        if (m_text.tellp() > 0) {
            m_text.seekp(0);
            m_text.seekg(0);
        }
        m_text.clear();
    }
    if (m_hTarget)
        SendMessage(m_hTarget, WM_USER + 500, 0, 0);
    else
        OnClear();
}

COutputMessage* COutputStream::FindMessage(int id)
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    for (COutputMessage* m : m_posted)
        if (m->m_id == id) return m;
    return nullptr;
}

COutputMessage* COutputStream::CurrentMessage()
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    return m_current;
}

void COutputStream::AttachToCurrent(COutputAttribute* attr)
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    if (!m_current) {
        delete attr;
        return;
    }
    m_current->m_attachments.push_back(attr);
    if (m_currentPosted) OnLateAttachment(m_current, attr);
}

void COutputStream::ForgetCurrent()
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    if (!m_currentPosted) delete m_current;
    m_current = nullptr;
    m_currentPosted = false;
}

size_t COutputStream::PostedCount()
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    return m_posted.size();
}

std::vector<std::string> COutputStream::PostedTexts()
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    std::vector<std::string> out;
    out.reserve(m_posted.size());
    for (COutputMessage* m : m_posted) out.push_back(m->m_text);
    return out;
}

// ---- the global stream ---------------------------------------------------

namespace {
class CStderrOutputStream : public COutputStream {
public:
    void OnMessage(COutputMessage* msg) override
    {
        std::fwrite(msg->m_text.data(), 1, msg->m_text.size(), stderr);
        std::fputc('\n', stderr);
    }
    void OnClear() override {}
};

COutputStream* DefaultStream()
{
    static COutputStream* s = new CStderrOutputStream();
    return s;
}

std::atomic<COutputStream*> g_stream{nullptr};
}  // namespace

COutputStream* GetOutputStream()
{
    COutputStream* s = g_stream.load(std::memory_order_acquire);
    return s ? s : DefaultStream();
}

void SetOutputStream(COutputStream* stream) { g_stream.store(stream, std::memory_order_release); }

std::string GetTimeStampText()
{
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    struct tm lt;
    localtime_r(&tv.tv_sec, &lt);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u:%02u:%02u.%03u", (unsigned)lt.tm_hour, (unsigned)lt.tm_min,
                  (unsigned)lt.tm_sec, (unsigned)(tv.tv_usec / 1000));
    return buf;
}

std::string FormatTimeStampPrefix() { return "[" + GetTimeStampText() + "] "; }

// ---- quiet messages --------------------------------------------------------

namespace {
thread_local int g_quietDepth = 0;

// Takes the messages of a quiet thread; one per thread, emptied after each.
class CDiscardStream : public COutputStream {
public:
    void OnMessage(COutputMessage*) override {}
    void OnClear() override {}
};

COutputStream* DiscardStream()
{
    thread_local CDiscardStream s;
    return &s;
}
}  // namespace

CQuietMessages::CQuietMessages() { ++g_quietDepth; }
CQuietMessages::~CQuietMessages() { --g_quietDepth; }
bool MessagesAreQuiet() { return g_quietDepth > 0; }

// ---- writer --------------------------------------------------------------

CMessageWriter::CMessageWriter(MessageKind kind, COutputStream* stream)
    : m_stream(g_quietDepth > 0 ? DiscardStream() : stream ? stream : GetOutputStream())
{
    m_stream->BeginMessage();
    std::ostream& os = m_stream->Stream();
    if (m_stream->TimeStamps()) os << FormatTimeStampPrefix();
    COutputMessage* msg = m_stream->CurrentMessage();
    switch (kind) {
    case MSG_ERROR:
        if (msg) msg->m_color = &RedTextColor;
        os << "Error: ";
        break;
    case MSG_WARNING:
        if (msg) msg->m_color = &GreenTextColor;
        os << "Warning: ";
        break;
    case MSG_INFO:
        if (msg) msg->m_color = &GrayTextColor;
        os << "Information: ";
        break;
    case MSG_PLAIN: break;
    }
}

CMessageWriter::~CMessageWriter()
{
    m_stream->Flush();
    if (m_stream == DiscardStream()) m_stream->Clear();
}
