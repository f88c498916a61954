#include "ide/run/program_loader.h"

#include <algorithm>
#include <istream>
#include <mutex>
#include <streambuf>
#include <vector>

#include "platform/kernel/kernel.h"
#include "platform/user/user.h"

namespace {

// Loaders translate one after another: translations share the label list and
// the lazily translated library functions.
std::mutex g_translating;
// GUI thread only.
std::vector<CProgramLoader*> g_loaders;

// The text handed out a window at a time, so that how far the translator has
// read can be seen from another thread; seeks go anywhere.
class CProgressBuf : public std::streambuf {
public:
    CProgressBuf(const std::string& text, std::atomic<size_t>& read) : m_text(text), m_read(read) { Window(0); }

protected:
    int_type underflow() override
    {
        const size_t at = (size_t)(gptr() - eback());
        if (at >= m_text.size()) return traits_type::eof();
        Window(at);
        return traits_type::to_int_type(*gptr());
    }
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override
    {
        if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
        const off_type base = dir == std::ios_base::beg   ? 0
                              : dir == std::ios_base::cur ? (off_type)(gptr() - eback())
                                                          : (off_type)m_text.size();
        return seekpos(pos_type(base + off), which);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override
    {
        const off_type at = (off_type)pos;
        if (!(which & std::ios_base::in) || at < 0 || at > (off_type)m_text.size()) return pos_type(off_type(-1));
        Window((size_t)at);
        return pos;
    }

private:
    static constexpr size_t kWindow = 16 * 1024;
    void Window(size_t at)
    {
        char* base = const_cast<char*>(m_text.data());
        setg(base, base + at, base + std::min(m_text.size(), at + kWindow));
        m_read.store(at, std::memory_order_relaxed);
    }
    const std::string& m_text;
    std::atomic<size_t>& m_read;
};

}  // namespace

CProgramLoader::CProgramLoader(CProgram* program, std::string text) : m_program(program), m_text(std::move(text)) {}

std::unique_ptr<CProgramLoader> CProgramLoader::Start(CProgram* program, std::string text)
{
    std::unique_ptr<CProgramLoader> loader(new CProgramLoader(program, std::move(text)));
    DWORD id = 0;
    // The translator recurses with the nesting of the text, as a run does.
    loader->m_thread = CreateThread(nullptr, ProgramThreadStackSize(), ThreadProc, loader.get(), 0, &id);
    if (!loader->m_thread) return nullptr;
    g_loaders.push_back(loader.get());
    return loader;
}

CProgramLoader::~CProgramLoader()
{
    Finish();
    std::erase(g_loaders, this);
}

DWORD CProgramLoader::ThreadProc(void* self)
{
    auto* l = static_cast<CProgramLoader*>(self);
    {
        std::lock_guard<std::mutex> g(g_translating);
        CProgressBuf buf(l->m_text, l->m_read);
        std::istream in(&buf);
        l->m_status = l->m_program->Translate(in);
    }
    l->m_done.store(true);
    return 0;
}

int CProgramLoader::Percent() const
{
    if (m_text.empty()) return 100;
    return (int)std::min<size_t>(100, m_read.load(std::memory_order_relaxed) * 100 / m_text.size());
}

StatusWord CProgramLoader::Finish()
{
    if (!m_thread) return m_status;
    // The translator reports through the output bar, which it reaches by
    // sending to this thread: serve those while waiting, and keep painting.
    while (IsThreadAlive(m_thread)) {
        HANDLE h = m_thread;
        if (MsgWaitForMultipleObjectsEx(1, &h, INFINITE, QS_SENDMESSAGE | QS_PAINT, MWMO_INPUTAVAILABLE) != WAIT_OBJECT_0 + 1)
            continue;
        MSG msg;
        while (PeekMessage(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessage(&msg);
    }
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_done.load();  // the thread's status is seen after its flag
    return m_status;
}

void CProgramLoader::WaitAll()
{
    for (CProgramLoader* l : std::vector<CProgramLoader*>(g_loaders)) l->Finish();
}

bool ProgramLoading(const CProgram* program)
{
    for (const CProgramLoader* l : g_loaders)
        if (!program || l->Program() == program) return true;
    return false;
}
