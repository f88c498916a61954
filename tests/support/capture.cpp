#include "support/capture.h"

CCaptureStream::CCaptureStream(bool timeStamps) : COutputStream(timeStamps), m_previous(GetOutputStream())
{
    SetOutputStream(this);
}

CCaptureStream::~CCaptureStream() { SetOutputStream(m_previous == this ? nullptr : m_previous); }

void CCaptureStream::OnMessage(COutputMessage* msg)
{
    std::lock_guard<std::mutex> g(m_capLock);
    messages.push_back(msg->m_text);
}

std::string CCaptureStream::Text() const
{
    std::string s;
    for (size_t i = 0; i < messages.size(); ++i) {
        if (i) s += "\n";
        s += messages[i];
    }
    return s;
}

std::vector<std::string> CCaptureStream::Snapshot()
{
    std::lock_guard<std::mutex> g(m_capLock);
    return messages;
}
