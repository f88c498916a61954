#pragma once
// Translation of a long program text on a thread of its own, so that opening
// it never holds the windows up: the document's window is shown at once, the
// status bar follows the translation and the document takes the result when
// it is done. Loaders run one at a time; nothing on the GUI thread reads the
// program's tables (variables, functions) while its loader runs.
#include <atomic>
#include <memory>
#include <string>

#include "interpreter/program.h"
#include "interpreter/status.h"

class CProgramLoader {
public:
    // Texts up to this size translate in place: they take a few milliseconds.
    static constexpr size_t kInPlaceBytes = 128 * 1024;

    // Translates text into program (cleared, its source name set) on a new
    // thread; null when no thread can be had.
    static std::unique_ptr<CProgramLoader> Start(CProgram* program, std::string text);
    ~CProgramLoader();
    CProgramLoader(const CProgramLoader&) = delete;
    CProgramLoader& operator=(const CProgramLoader&) = delete;

    CProgram* Program() const { return m_program; }
    bool Done() const { return m_done.load(); }
    // How much of the text the translator has read, 0..100.
    int Percent() const;
    // Waits for the end, serving what other threads send to this one and
    // painting; the translator's status.
    StatusWord Finish();
    // Finish for every loader: before a translation on the GUI thread.
    static void WaitAll();

private:
    CProgramLoader(CProgram* program, std::string text);
    static DWORD ThreadProc(void* self);

    CProgram* m_program;
    std::string m_text;
    std::atomic<size_t> m_read{0};
    std::atomic<bool> m_done{false};
    StatusWord m_status = 0;
    HANDLE m_thread = nullptr;
};

// Whether a loader is translating this program (any program when null).
// GUI thread.
bool ProgramLoading(const CProgram* program = nullptr);
