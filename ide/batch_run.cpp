// Batch runs: a program runs without any window and its messages go to the
// standard streams.
#include "ide/batch_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "devices/console_statements.h"
#include "ide/settings.h"
#include "interpreter/program.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "values/output_stream.h"

namespace {

// Start-up messages go to standard error; from translation on, every
// message goes to standard output as it stands, ended by a line break.
class CBatchOutputStream : public COutputStream {
public:
    void OnMessage(COutputMessage* msg) override
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        FILE* f = m_toStdout ? stdout : stderr;
        std::fwrite(msg->m_text.data(), 1, msg->m_text.size(), f);
        std::fputc('\n', f);
        std::fflush(f);
        if (m_toStdout && msg->m_color == &RedTextColor) m_errors = true;
    }
    void OnClear() override {}

    void StartProgramOutput()
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        m_toStdout = true;
    }
    // Whether an error message was written since the last call.
    bool TakeErrors()
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        bool e = m_errors;
        m_errors = false;
        return e;
    }

private:
    std::mutex m_writeLock;
    bool m_toStdout = false;
    bool m_errors = false;
};

// SIGINT: the handler only writes a byte into a pipe; a watcher thread
// turns it into the stop (first) and the yes to the stop question (second).
int g_signalPipe[2] = {-1, -1};

extern "C" void OnInterrupt(int)
{
    int saved = errno;
    char c = 'i';
    ssize_t n = write(g_signalPipe[1], &c, 1);
    (void)n;
    errno = saved;
}

class CInterruptWatcher {
public:
    CInterruptWatcher(CProgram* program, HANDLE stopEvent) : m_program(program), m_stopEvent(stopEvent) {}

    bool Start()
    {
        if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
        m_thread = std::thread([this] { Watch(); });
        struct sigaction sa = {};
        sa.sa_handler = OnInterrupt;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGINT, &sa, nullptr);
        return true;
    }

    void Finish()
    {
        signal(SIGINT, SIG_DFL);
        if (!m_thread.joinable()) return;
        char c = 'q';
        ssize_t n = write(g_signalPipe[1], &c, 1);
        (void)n;
        m_thread.join();
        close(g_signalPipe[0]);
        close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }

private:
    void Watch()
    {
        int interrupts = 0;
        for (;;) {
            struct pollfd p = {g_signalPipe[0], POLLIN, 0};
            if (poll(&p, 1, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            char buf[16];
            ssize_t n = read(g_signalPipe[0], buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] == 'q') return;
                if (++interrupts == 1)
                    SetEvent(m_stopEvent);
                else
                    m_program->AbandonStop();
            }
        }
    }

    CProgram* m_program;
    HANDLE m_stopEvent;
    std::thread m_thread;
};

// The text as the editor loads it: CR LF or LF line ends.
bool LoadProgramText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return false;
    const std::string raw = ss.str();
    text.clear();
    text.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text += raw[i];
    }
    return true;
}

}  // namespace

int RunBatch(const std::string& file)
{
    // Devices run headless in batch mode whatever DISPLAY says; set before any window exists.
    setenv("VELDRA_HEADLESS", "1", 1);
    std::error_code ec;
    // The program changes the current folder: make the path absolute first.
    std::filesystem::path abs = std::filesystem::absolute(file, ec);
    if (ec) {
        std::fprintf(stderr, "Cannot open file '%s'\n", file.c_str());
        return BATCH_NOT_STARTED;
    }
    abs = abs.lexically_normal();
    std::string text;
    if (std::filesystem::is_directory(abs, ec) || !LoadProgramText(abs.string(), text)) {
        std::fprintf(stderr, "Cannot open file '%s'\n", file.c_str());
        return BATCH_NOT_STARTED;
    }

    // Stays installed until the process ends: late messages still have a home.
    static CBatchOutputStream* const streamObject = new CBatchOutputStream();
    CBatchOutputStream& stream = *streamObject;
    SetOutputStream(&stream);
    // The IDE's settings, read-only: a batch run never writes the file.
    LoadBatchSettings();

    // Kept alive for good if its thread is abandoned: the thread may still use it.
    // No console window: print writes to standard output, input reads standard input.
    SetBatchConsole(true);
    std::unique_ptr<CProgram> owned(new CProgram());
    CProgram* program = owned.get();
    program->Init(nullptr);

    stream.StartProgramOutput();
    program->Clear();
    program->sourceName = abs.string();
    program->textBase = 0;
    std::istringstream in(text);
    StatusWord translated = program->Translate(in);
    if (IsErrorStatus(translated) || stream.TakeErrors()) {
        owned.reset();
        ShutdownInterpreter();
        std::fflush(stdout);
        return BATCH_TRANSLATION_FAILED;
    }

    HANDLE stopEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    CInterruptWatcher watcher(program, stopEvent);
    watcher.Start();
    if (!program->StartThread()) {
        watcher.Finish();
        CloseHandle(stopEvent);
        owned.reset();
        ShutdownInterpreter();
        return BATCH_NOT_STARTED;
    }

    // Wait for the end of the run or for the first SIGINT, serving sends.
    for (;;) {
        HANDLE handles[2] = {program->thread, stopEvent};
        DWORD woke = MsgWaitForMultipleObjectsEx(2, handles, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_OBJECT_0 + 1 || woke == WAIT_FAILED) break;
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    program->StopThread();
    bool abandoned = program->IsAbandoned();
    watcher.Finish();
    CloseHandle(stopEvent);
    std::fflush(stdout);
    std::fflush(stderr);
    if (abandoned) {
        // The thread may still run: leave without tearing anything down.
        (void)owned.release();
        _exit(BATCH_RUN_ERROR);
    }
    owned.reset();
    ShutdownInterpreter();
    return stream.TakeErrors() ? BATCH_RUN_ERROR : BATCH_OK;
}
