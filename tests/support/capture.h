#pragma once
// Test helper: a message stream that records messages, installed for the
// lifetime of the object.
#include <mutex>
#include <string>
#include <vector>

#include "values/output_stream.h"

class CCaptureStream : public COutputStream {
public:
    explicit CCaptureStream(bool timeStamps = false);
    ~CCaptureStream() override;
    void OnMessage(COutputMessage* msg) override;
    void OnClear() override { ++clears; }

    std::vector<std::string> messages;  // texts in commit order
    int clears = 0;
    // All messages joined with "\n".
    std::string Text() const;
    void Reset() { messages.clear(); }
    // A copy taken under the lock, for messages that other threads (devices) write.
    std::vector<std::string> Snapshot();

private:
    COutputStream* m_previous;
    std::mutex m_capLock;
};
