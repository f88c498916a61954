// The batch runner as a user meets it: the veldra program run with --run.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/afx/settings_file.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct RunResult {
    int rc = -1;
    std::string out, err;
};

// The program folder: VELDRA_OUT, else out/ beside the test executable.
std::string Veldra()
{
    if (const char* dir = std::getenv("VELDRA_OUT")) return std::string(dir) + "/veldra";
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : (self.parent_path() / "out" / "veldra").string();
}

std::string ReadAll(int fd)
{
    std::string s;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) s.append(buf, (size_t)n);
    return s;
}

// Starts veldra with the arguments in the folder; standard output and error
// are pipes, standard input the given descriptor when there is one.
pid_t Start(const std::vector<std::string>& args, const fs::path& cwd, int& outFd, int& errFd, int inFd = -1)
{
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    if (inFd >= 0) posix_spawn_file_actions_adddup2(&fa, inFd, 0);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    posix_spawn_file_actions_addclose(&fa, err[0]);
    posix_spawn_file_actions_addchdir_np(&fa, cwd.c_str());
    std::string exe = Veldra();
    std::vector<char*> argv{exe.data()};
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    close(err[1]);
    outFd = out[0];
    errFd = err[0];
    return pid;
}

int Wait(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

RunResult RunVeldra(const std::vector<std::string>& args, const fs::path& cwd)
{
    RunResult r;
    int outFd, errFd;
    pid_t pid = Start(args, cwd, outFd, errFd);
    if (pid < 0) return r;
    r.out = ReadAll(outFd);
    r.err = ReadAll(errFd);
    close(outFd);
    close(errFd);
    r.rc = Wait(pid);
    return r;
}

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Veldra().empty() || !fs::exists(Veldra())) GTEST_SKIP() << "veldra is not built";
        dir = fs::temp_directory_path() / ("veldra-batch-" + std::to_string(getpid()));
        fs::create_directories(dir / "sub");
    }
    void TearDown() override
    {
        std::error_code ec;
        if (!dir.empty()) fs::remove_all(dir, ec);
    }
    fs::path Write(const std::string& name, const std::string& text)
    {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    fs::path dir;
};

TEST_F(BatchRun, CannotStart)
{
    // No arguments at all is the IDE (see app_start_test.cpp).
    const std::vector<std::vector<std::string>> cases = {
        {"--run"},
        {"--help"},
        {"--run", "missing.vdx"},
        {"--run", "sub"},  // a folder
        {"--run", "a.vdx", "b.vdx"},
    };
    for (const auto& args : cases) {
        RunResult r = RunVeldra(args, dir);
        EXPECT_EQ(r.rc, 3) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err, "");
    }
}

// The editor's offsets are signed 32-bit: a file of 2^31 bytes is not opened
// (a sparse file: nothing is written).
TEST_F(BatchRun, FileOfTwoGigabytesIsRefused)
{
    fs::path big = Write("big.vdx", "");
    std::error_code ec;
    fs::resize_file(big, 0x80000000ull, ec);
    if (ec) GTEST_SKIP() << "no sparse file: " << ec.message();
    RunResult r = RunVeldra({"--run", "big.vdx"}, dir);
    EXPECT_EQ(r.rc, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Cannot open file"), std::string::npos) << r.err;
}

TEST_F(BatchRun, MessagesGoToStandardOutputInOrder)
{
    struct Case {
        const char* text;
        const char* out;
        int rc;
    };
    const Case cases[] = {
        // CR LF line ends read as the editor reads them
        {"a = 1;\r\nb = 2;\r\na + b;\r\n\"x\";\r\n", "3\nx\n", 0},
        {"a: b: x = 1;\nx;\n", "Warning: 'a' label replaced by 'b'\n1\n", 0},
        {"1;\nbreak;\n2;\n", "1\nError: Invalid break statement\n", 1},
        {"x = 1;\nx;\nelse\n", "Error: Unexpected ELSE statement (without IF)\n", 2},
        {"[1, 2; 3, 4];\n", "[            1,            2;\n            3,            4]\n", 0},
    };
    for (const Case& c : cases) {
        fs::path p = Write("p.vdx", c.text);
        RunResult r = RunVeldra({"--run", p.string()}, dir);
        EXPECT_EQ(r.out, c.out) << c.text;
        EXPECT_EQ(r.rc, c.rc) << c.text;
    }
}

TEST_F(BatchRun, StandardErrorGivesThePlacesOfMessages)
{
    struct Case {
        const char* text;
        const char* out;
        const char* err;
        int rc;
    };
    const Case cases[] = {
        // no start-up chatter; displayed values and printed lines have no place
        {"x = 1;\nx;\n", "1\n", "", 0},
        {"print \"p\";\nx = [1, 2];\nx;\n", "p\n[            1,            2]\n", "", 0},
        // a warning has its place
        {"a: b: x = 1;\nx;\n", "Warning: 'a' label replaced by 'b'\n1\n", "  at p.vdx:1\n", 0},
        {"x = 1;\ny = (2 + ;\n", "Error: Syntax error: at this position\n", "  at p.vdx:2\n", 2},
        {"x = 1;\r\n\r\n  y = zz + 1;\r\n", "Error: Variable is not defined above\n", "  at p.vdx:3\n", 1},
        // the function writes its own text, the place follows
        {"\"a\";\nsmid(\"abc\", 4, 1);\n", "a\nError: String index is out of range\n", "  at p.vdx:2\n", 1},
        {"function r = f(a)\n  r = a +\n    q;\nend\nf(2);\n", "Error: Variable is not defined above\n",
         "  at p.vdx:2\n", 1},
    };
    for (const Case& c : cases) {
        Write("p.vdx", c.text);
        RunResult r = RunVeldra({"--run", "p.vdx"}, dir);
        EXPECT_EQ(r.out, c.out) << c.text;
        EXPECT_EQ(r.err, c.err) << c.text;
        EXPECT_EQ(r.rc, c.rc) << c.text;
    }
}

// The demo's plots and prints end cleanly: standard error stays empty.
TEST_F(BatchRun, TheDemoWritesNothingToStandardError)
{
    const fs::path demo = fs::path(std::getenv("VELDRA_SOURCE")) / "examples" / "demo.vdx";
    // A sanitizer build's leak checker lists the suppressions it used at exit.
    const char* lsan = std::getenv("LSAN_OPTIONS");
    const std::string saved = lsan ? lsan : "";
    setenv("LSAN_OPTIONS", (saved.empty() ? std::string() : saved + ":").append("print_suppressions=0").c_str(), 1);
    RunResult r = RunVeldra({"--run", demo.string()}, dir);
    if (lsan) setenv("LSAN_OPTIONS", saved.c_str(), 1);
    else unsetenv("LSAN_OPTIONS");
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Samples: 64\n"), std::string::npos) << r.out;
}

TEST_F(BatchRun, FailedWriteToStandardOutputIsAnError)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    Write("p.vdx", "for(i = 1:3)\n  i;\nend\n");
    const std::string exe = Veldra();
    const std::string cmd = "cd '" + dir.string() + "' && '" + exe + "' --run p.vdx >/dev/full 2>err.txt";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream in(dir / "err.txt");
    std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The run may have been stopped mid-loop (its stop error's place comes first).
    const std::string last = "Cannot write to standard output: No space left on device\n";
    ASSERT_GE(err.size(), last.size()) << err;
    EXPECT_EQ(err.substr(err.size() - last.size()), last);
}

TEST_F(BatchRun, RelativePathAndTheProgramFolder)
{
    // The program runs in its own folder; the path given is relative to the caller's.
    Write("sub/p.vdx", "\"ok\";\n");
    RunResult r = RunVeldra({"--run", "sub/p.vdx"}, dir);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "ok\n");
}

// Whether a thread of the process waits in the batch console's read of
// standard input: poll(2) on one descriptor in slices of 100 ms (x86-64:
// system call 7, as /proc shows a thread's current call and arguments).
bool WaitsForStandardInput(pid_t pid)
{
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "syscall");
        std::string call, fds, count, timeout;
        if (in >> call >> fds >> count >> timeout && call == "7" && count == "0x1" && timeout == "0x64") return true;
    }
    return false;
}

// Runs the program until it has written its first line, then sends SIGINT;
// the stop must end it at once with the stop message and status 1.
// Returns the seconds from the signal to the stop message (the teardown of a
// large program's values after it is not counted).
double ExpectInterruptStops(const fs::path& program, const fs::path& dir, const std::string& firstLine,
                            const std::string& stopped = "Error: Program is stoped\n", int inFd = -1,
                            bool untilReading = false)
{
    int outFd, errFd;
    pid_t pid = Start({"--run", program.string()}, dir, outFd, errFd, inFd);
    EXPECT_GT(pid, 0);
    if (pid <= 0) return 0.0;
    std::string out;
    char c;
    while (out.find('\n') == std::string::npos && read(outFd, &c, 1) == 1) out += c;
    EXPECT_EQ(out, firstLine + "\n");
    // Only the process's state shows that the next statement waits for input.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (untilReading && !WaitsForStandardInput(pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    const auto signalled = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    while (out.find('\n', firstLine.size() + 1) == std::string::npos && read(outFd, &c, 1) == 1) out += c;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    out += ReadAll(outFd);
    ReadAll(errFd);
    close(outFd);
    close(errFd);
    EXPECT_EQ(Wait(pid), 1);
    EXPECT_EQ(out, firstLine + "\n" + stopped);
    return seconds;
}

TEST_F(BatchRun, InterruptStopsAPause)
{
    ExpectInterruptStops(Write("p.vdx", "\"waiting\";\npause 3600;\n\"after\";\n"), dir, "waiting");
}

TEST_F(BatchRun, InterruptStopsALoopWithAnEmptyBody)
{
    ExpectInterruptStops(Write("w.vdx", "\"spinning\";\nwhile(1) end\n\"after\";\n"), dir, "spinning");
}

TEST_F(BatchRun, InterruptStopsReadingALineThatNeverEnds)
{
    if (!fs::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero";
    ExpectInterruptStops(Write("z.vdx", "\"reading\";\nf = fopen(\"/dev/zero\", OPEN_EXIST);\nfreadln(f);\n\"after\";\n"),
                         dir, "reading");
}

// A single LAPACK call (eig of a 2000 x 2000 matrix takes some twenty seconds)
// and our own elimination (det) are left on a stop: the run ends with the stop
// message (an unstoppable one is ended by the test harness's time limit). The
// latency itself is measured in bench/stop_latency.
TEST_F(BatchRun, InterruptStopsLongMatrixFunctions)
{
    for (const char* call : {"eig(x);", "svd(x);", "inv(x);", "det(x);"}) {
        SCOPED_TRACE(call);
        ExpectInterruptStops(
            Write("m.vdx", std::string("x = rand(2000, 2000);\n\"go\";\n") + call + "\n\"after\";\n"), dir, "go");
    }
}

// A product of two 2500 x 2500 matrices runs in bands of rows; a stop is
// seen between them (the latency is measured in bench/stop_latency).
TEST_F(BatchRun, InterruptStopsALongProduct)
{
    ExpectInterruptStops(Write("p.vdx", "x = rand(2500, 2500);\n\"go\";\ny = x * x;\n\"after\";\n"), dir, "go");
}

// A program that keeps plotting a long curve spends nearly all its time in
// the plot device, copying, laying out and drawing the points: the stop
// reaches that work and the run ends with the stop message (the latency is
// measured in bench/stop_latency).
TEST_F(BatchRun, InterruptStopsAProgramWhilePlotting)
{
    ExpectInterruptStops(Write("p.vdx", "x = 1..2e6;\ny = sin(x);\n\"go\";\nwhile(1)\n    clrplot #F;\n"
                                        "    plot #F (x, y);\nend\n\"after\";\n"),
                         dir, "go");
}

// A statement deaf to the stop: the second Ctrl+C gives up waiting for the
// program's thread, and the run says so on standard error (status 1).
TEST_F(BatchRun, SecondInterruptAbandonsADeafProgramAndSaysSo)
{
    const std::string saved = std::getenv("VELDRA_CONFIG_HOME") ? std::getenv("VELDRA_CONFIG_HOME") : "";
    const fs::path home = dir / "deaf-config";
    fs::create_directories(home / "Brenholt");
    const fs::path modules = fs::path(Veldra()).parent_path() / "test-modules";
    std::ofstream(home / "Brenholt" / "Veldra.conf", std::ios::binary)
        << "[Settings]\nVer=dword:00000004\n301=sz:" << EscapeSettingText(modules.string()) << "\n";
    setenv("VELDRA_CONFIG_HOME", home.c_str(), 1);
    int outFd, errFd;
    pid_t pid = Start({"--run", Write("d.vdx", "deaf;\n\"after\";\n").string()}, dir, outFd, errFd);
    setenv("VELDRA_CONFIG_HOME", saved.c_str(), 1);
    ASSERT_GT(pid, 0);
    // Its first line comes from inside the deaf statement: a stop before it
    // would end the run the ordinary way.
    std::string out;
    char c;
    while (out.find('\n') == std::string::npos && read(outFd, &c, 1) == 1) out += c;
    EXPECT_EQ(out, "deaf\n");
    // Signals are not queued: Ctrl+C again until the run ends (its output closes).
    for (int i = 0; i < 300; i++) {
        kill(pid, SIGINT);
        struct pollfd p = {outFd, POLLIN, 0};
        if (poll(&p, 1, 200) > 0) break;
    }
    out += ReadAll(outFd);
    const std::string err = ReadAll(errFd);
    close(outFd);
    close(errFd);
    EXPECT_EQ(Wait(pid), 1);
    EXPECT_EQ(out.find("after"), std::string::npos) << out;
    EXPECT_NE(err.find("Program abandoned: its thread did not stop\n"), std::string::npos) << err;
}

TEST_F(BatchRun, InterruptStopsALongSolve)
{
    // A search with room for a billion evaluations of a function without a zero.
    ExpectInterruptStops(Write("s.vdx", "function y = f(x)\n  y = 1;\nend\n\"solving\";\n"
                                        "fzero(@f, 1, {iter=1e9});\n\"after\";\n"),
                         dir, "solving");
}

}  // namespace

// Batch runs read the IDE's settings file and never write it.
TEST_F(BatchRun, HonoursStoredSettingsWithoutWritingThem)
{
    std::string saved = std::getenv("VELDRA_CONFIG_HOME") ? std::getenv("VELDRA_CONFIG_HOME") : "";
    fs::path home = dir / "config";
    setenv("VELDRA_CONFIG_HOME", home.c_str(), 1);
    fs::path prog = Write("pi.vdx", "x = 3.14159265; x;\n");

    RunResult fresh = RunVeldra({"--run", prog.string()}, dir);
    EXPECT_EQ(fresh.out, "3.14159\n");
    EXPECT_FALSE(fs::exists(home));   // nothing is created

    fs::create_directories(home / "Brenholt");
    fs::path conf = home / "Brenholt" / "Veldra.conf";
    const std::string text =
        "[Settings]\nVer=dword:00000004\n101=dword:00000001\n"
        "104=hex:02,01,00,00,00,00,01,00,0a,00,00,00,03,ff,00,00,0d,00,00,00\n";
    std::ofstream(conf, std::ios::binary) << text;
    auto before = fs::last_write_time(conf);
    RunResult stored = RunVeldra({"--run", prog.string()}, dir);
    EXPECT_EQ(stored.rc, 0);
    ASSERT_EQ(stored.out.size(), std::string("[hh:mm:ss.mmm] 3.14\n").size()) << stored.out;
    EXPECT_EQ(stored.out.front(), '[');
    EXPECT_EQ(stored.out.substr(13), "] 3.14\n");
    std::ifstream in(conf, std::ios::binary);
    std::stringstream now;
    now << in.rdbuf();
    EXPECT_EQ(now.str(), text);
    EXPECT_EQ(fs::last_write_time(conf), before);

    // Another version: defaults, file untouched.
    std::ofstream(conf, std::ios::binary) << "[Settings]\nVer=dword:00000003\n101=dword:00000001\n";
    RunResult old = RunVeldra({"--run", prog.string()}, dir);
    EXPECT_EQ(old.out, "3.14159\n");
    setenv("VELDRA_CONFIG_HOME", saved.c_str(), 1);
}

TEST_F(BatchRun, InterruptStopsAnInputThatWaits)
{
    // Standard input stays open and empty: only the stop ends the read.
    int in[2];
    ASSERT_EQ(pipe(in), 0);
    ExpectInterruptStops(Write("i.vdx", "print \"ready\";\ninput $X;\n\"after\";\n"), dir, "ready",
                         "Warning: Failed to read parameter from the console\nINVALID\nError: Program is stoped\n",
                         in[0], true);
    close(in[0]);
    close(in[1]);
}
