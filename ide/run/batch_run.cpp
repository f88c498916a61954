// Batch runs: a program runs without any window and its messages go to the
// standard streams.
#include "ide/run/batch_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "devices/console_statements.h"
#include "devices/device_protocol.h"
#include "devices/install_program_steps.h"
#include "ide/run/settings.h"
#include "interpreter/program.h"
#include "interpreter/status.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "values/edit_text.h"
#include "values/output_stream.h"
#include "values/stoppable_call.h"

namespace {

// Start-up messages go to standard error, warnings and errors only; from
// translation on, every message goes to standard output as it stands, ended
// by a line break. A warning or an error that carries a place in a source
// text is followed by "  at FILE:LINE" on standard error, so a terminal user
// and an editor's error parser find the line while standard output stays the
// messages; displayed values and printed lines get no place.
class CBatchOutputStream : public COutputStream {
public:
    void OnMessage(COutputMessage* msg) override
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        const bool error = msg->m_color == &RedTextColor;
        if (!m_toStdout && !error && msg->m_color != &GreenTextColor) return;  // start-up information
        FILE* f = m_toStdout ? stdout : stderr;
        std::fwrite(msg->m_text.data(), 1, msg->m_text.size(), f);
        std::fputc('\n', f);
        if (std::fflush(f) != 0 || std::ferror(f)) WriteFailed(f);
        if (m_toStdout && error) m_errors = true;
        if (COutputAttribute* a = msg->FindAttachment(2)) WritePlace(msg, a);
    }
    void OnClear() override
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        m_placed = nullptr;  // the cleared messages' records are gone
    }
    void OnLateAttachment(COutputMessage* msg, COutputAttribute* a) override
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        WritePlace(msg, a);
    }

    // A run's start: its start-up messages go to standard error again, and no
    // error, failed write or place of an earlier run in this process counts.
    void StartRun()
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        m_toStdout = false;
        m_errors = false;
        m_outputErrno = 0;
        m_placed = nullptr;
        m_lineStarts.clear();
    }
    void StartProgramOutput(const std::string& path, const std::string& shownName, const std::string& text)
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        m_toStdout = true;
        m_programPath = path;
        m_programName = shownName;
        m_programText = text;
    }
    // Whether an error message was written since the last call.
    bool TakeErrors()
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        bool e = m_errors;
        m_errors = false;
        return e;
    }
    // The errno of the first failed write to standard output, 0 when none failed.
    int OutputFailure()
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        if (!m_outputErrno && (std::fflush(stdout) != 0 || std::ferror(stdout))) m_outputErrno = errno ? errno : EIO;
        return m_outputErrno;
    }
    // Set once the run's stop event exists: a failed write ends the run.
    void SetStopEvent(HANDLE h)
    {
        std::lock_guard<std::mutex> g(m_writeLock);
        m_stopEvent = h;
        if (m_outputErrno && h) SetEvent(h);
    }

private:
    void WriteFailed(FILE* f)
    {
        if (f != stdout || m_outputErrno) return;
        m_outputErrno = errno ? errno : EIO;
        if (m_stopEvent) SetEvent(m_stopEvent);
    }

    // "  at FILE:LINE" once per warning or error, for a place in the program or a library source.
    void WritePlace(COutputMessage* msg, COutputAttribute* a)
    {
        if (msg->m_color != &RedTextColor && msg->m_color != &GreenTextColor) return;
        auto* place = dynamic_cast<CSourcePosition*>(a);
        if (!place || place->name.empty() || msg == m_placed) return;
        m_placed = msg;
        std::string shown = place->name == m_programPath ? m_programName : place->name;
        auto it = m_lineStarts.find(place->name);
        if (it == m_lineStarts.end()) {
            std::string text = m_programText;
            if (place->name != m_programPath) {
                std::ifstream in(place->name, std::ios::binary);
                std::ostringstream ss;
                if (in) ss << in.rdbuf();
                text = ss.str();
            }
            std::vector<size_t> starts{0};
            for (size_t i = 0; i < text.size(); ++i)
                if (text[i] == '\n') starts.push_back(i + 1);
            it = m_lineStarts.emplace(place->name, std::move(starts)).first;
        }
        // Displays in a long loop write many places: find the line by bisection.
        const size_t offset = (size_t)std::max(0, place->offset);
        const long line = (long)(std::upper_bound(it->second.begin(), it->second.end(), offset) - it->second.begin());
        std::fprintf(stderr, "  at %s:%ld\n", shown.c_str(), line);
        std::fflush(stderr);
    }

    std::mutex m_writeLock;
    bool m_toStdout = false;
    bool m_errors = false;
    int m_outputErrno = 0;
    HANDLE m_stopEvent = nullptr;
    std::string m_programPath, m_programName, m_programText;
    std::map<std::string, std::vector<size_t>> m_lineStarts;   // per source: offsets of its lines
    const COutputMessage* m_placed = nullptr;
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

// The text exactly as the program editor loads it (its options: tabs to 4
// spaces, lines of at most 2048 characters). A file of 2^31 bytes or more
// does not fit the editor's offsets and is refused.
bool LoadProgramText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kEditorMaxBytes - 1) return false;
    in.seekg(0, std::ios::beg);
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return false;
    EditorTextOptions options;
    options.keepTabs = 0;
    options.tabSize = 4;
    options.maxLineLength = 2048;
    text = FilterEditorText(ss.str(), options);
    return (int64_t)text.size() <= kEditorMaxBytes - 1;
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
    stream.StartRun();
    SetOutputStream(&stream);
    // The IDE's settings, read-only: a batch run never writes the file.
    LoadBatchSettings();

    // Kept alive for good if its thread is abandoned: the thread may still use it.
    // No console window: print writes to standard output, input reads standard input.
    SetBatchConsole(true);
    InstallProgramSteps();
    std::unique_ptr<CProgram> owned(new CProgram());
    CProgram* program = owned.get();
    program->Init(nullptr);

    stream.StartProgramOutput(abs.string(), file, text);
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
    stream.SetStopEvent(stopEvent);
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
    stream.SetStopEvent(nullptr);
    CloseHandle(stopEvent);
    const int writeFailure = stream.OutputFailure();
    if (writeFailure) std::fprintf(stderr, "Cannot write to standard output: %s\n", std::strerror(writeFailure));
    std::fflush(stderr);
    if (abandoned) {
        std::fprintf(stderr, "Program abandoned: its thread did not stop\n");
        std::fflush(stderr);
    }
    if (abandoned || AbandonedCallsRunning() > 0) {
        // The thread (or a library call a stop left running) may still run:
        // leave without tearing anything down.
        (void)owned.release();
        _exit(abandoned || stream.TakeErrors() || writeFailure || DeviceSaveFailures() ? BATCH_RUN_ERROR : BATCH_OK);
    }
    owned.reset();
    ShutdownInterpreter();
    // The plot windows save their figures as they close, during the shutdown.
    return stream.TakeErrors() || writeFailure || DeviceSaveFailures() ? BATCH_RUN_ERROR : BATCH_OK;
}
