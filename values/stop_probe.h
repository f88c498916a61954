#pragma once
// The stop request of the program that runs on this thread, for long work in
// the value core and in built-ins that are called without a program context
// (reading a huge line, a long LAPACK call).
#include <atomic>
#include <cstdint>

// Set by the program thread when it starts; null on other threads.
void SetThreadStopFlag(const std::atomic<uint8_t>* flag);
// True once a stop was asked of this thread's program.
bool ThreadStopRequested();
// The flag itself (null when none), for work handed to another thread.
const std::atomic<uint8_t>* ThreadStopFlag();

// Loops over the cells of a matrix look at the stop between blocks of this
// many cells, whatever the matrix's shape (one wide row is as long as many).
constexpr uint64_t kCellStopBlock = (uint64_t)1 << 16;
class CCellStop {
public:
    // True once this thread's program stopped, looked at whenever another
    // block of cells has been done.
    bool After(uint64_t cells)
    {
        m_done += cells;
        if (m_done < m_next) return false;
        m_next = m_done + kCellStopBlock;
        return ThreadStopRequested();
    }

private:
    uint64_t m_done = 0, m_next = kCellStopBlock;
};

// For loops that go cell by cell anyway: counts the cells, and is true at a
// block boundary once the program stopped.
class CEachCell {
public:
    bool Stopped() { return (++m_cells & (kCellStopBlock - 1)) == 0 && ThreadStopRequested(); }

private:
    uint64_t m_cells = 0;
};

// Calls f(i0, i1) for [0, n) in blocks of kCellStopBlock, so that f's loop
// over a block stays tight; false once the program stopped between two.
template <class F>
bool WalkStopBlocks(uint64_t n, F f)
{
    for (uint64_t i0 = 0; i0 < n; i0 += kCellStopBlock) {
        if (i0 && ThreadStopRequested()) return false;
        f(i0, n - i0 > kCellStopBlock ? i0 + kCellStopBlock : n);
    }
    return true;
}

// The same over the cells [c0, c1) of every row r of a matrix: f(r, c0, c1),
// wide rows split too.
template <class F>
bool WalkRowBlocks(int rows, int cols, F f)
{
    CCellStop stop;
    for (int r = 0; r < rows; ++r)
        for (int c0 = 0; c0 < cols; c0 += (int)kCellStopBlock) {
            const int c1 = cols - c0 > (int)kCellStopBlock ? c0 + (int)kCellStopBlock : cols;
            f(r, c0, c1);
            if (stop.After((uint64_t)(c1 - c0)) && (r + 1 < rows || c1 < cols)) return false;
        }
    return true;
}

// A device thread that works through a program's long request sees the
// program's stop by this count, which grows each time a program tells its
// devices that it stops.
void NoteProgramStopBroadcast();
uint64_t ProgramStopBroadcasts();

// A device's work for one request of a program, on the device's thread.
// While a scope is open, RequestStopped() tells whether that program has
// stopped: by its own flag when the request carries it, else by a stop told
// to the devices since the scope began. Long loops over points ask it
// between blocks. Outside a scope it is false.
class CRequestStopScope {
public:
    explicit CRequestStopScope(const std::atomic<uint8_t>* programFlag = nullptr);
    ~CRequestStopScope();
    CRequestStopScope(const CRequestStopScope&) = delete;
    CRequestStopScope& operator=(const CRequestStopScope&) = delete;

private:
    const std::atomic<uint8_t>* m_prevFlag;
    uint64_t m_prevStart;
    bool m_prevOpen;
};
bool RequestStopped();
// True at every block boundary of a loop over points once the request stopped.
inline bool RequestStoppedAt(uint64_t i) { return (i & 0xFFFF) == 0xFFFF && RequestStopped(); }

// Work during its lifetime runs to its end whatever stopped: the undoing of
// a stopped request lays out what is left in full.
class CRunToEnd {
public:
    CRunToEnd();
    ~CRunToEnd();
    CRunToEnd(const CRunToEnd&) = delete;
    CRunToEnd& operator=(const CRunToEnd&) = delete;
};
