#include "values/stop_probe.h"

namespace {
thread_local const std::atomic<uint8_t>* t_stopFlag = nullptr;
}  // namespace

void SetThreadStopFlag(const std::atomic<uint8_t>* flag) { t_stopFlag = flag; }

bool ThreadStopRequested() { return t_stopFlag && t_stopFlag->load(std::memory_order_relaxed) != 0; }

const std::atomic<uint8_t>* ThreadStopFlag() { return t_stopFlag; }

namespace {
std::atomic<uint64_t> g_stopBroadcasts{0};
}

void NoteProgramStopBroadcast() { g_stopBroadcasts.fetch_add(1); }
uint64_t ProgramStopBroadcasts() { return g_stopBroadcasts.load(std::memory_order_relaxed); }

namespace {
struct RequestState {
    bool open = false;
    const std::atomic<uint8_t>* flag = nullptr;
    uint64_t start = 0;
    int runToEnd = 0;
};
thread_local RequestState t_request;
}  // namespace

CRequestStopScope::CRequestStopScope(const std::atomic<uint8_t>* programFlag)
    : m_prevFlag(t_request.flag), m_prevStart(t_request.start), m_prevOpen(t_request.open)
{
    t_request.open = true;
    t_request.flag = programFlag;
    t_request.start = ProgramStopBroadcasts();
}

CRequestStopScope::~CRequestStopScope()
{
    t_request.open = m_prevOpen;
    t_request.flag = m_prevFlag;
    t_request.start = m_prevStart;
}

bool RequestStopped()
{
    const RequestState& r = t_request;
    if (!r.open || r.runToEnd) return false;
    if (r.flag) return r.flag->load(std::memory_order_relaxed) != 0;
    return ProgramStopBroadcasts() != r.start;
}

CRunToEnd::CRunToEnd() { ++t_request.runToEnd; }
CRunToEnd::~CRunToEnd() { --t_request.runToEnd; }
