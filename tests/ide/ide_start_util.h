#pragma once
// Starting and closing the IDE inside a test, on the test's thread, with a
// settings folder, a data folder and a help page of the test's own.
#include <gtest/gtest.h>
#include "tests/support/open_external_log.h"
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ide/shell/app.h"
#include "ide/shell/main_frame.h"
#include "platform/afx_test_util.h"
#include "values/app_settings.h"

namespace ide_test {

namespace fs = std::filesystem;

inline std::string ReadText(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void WriteText(const fs::path& p, const std::string& text)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

// A fresh home for one test: VELDRA_CONFIG_HOME, XDG_DATA_HOME and the help page.
class IdeTest : public AfxTest {
protected:
    void SetUp() override
    {
        AfxTest::SetUp();
        static std::atomic<int> counter{0};
        root = fs::path(testing::TempDir()) / ("ide-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(root);
        fs::create_directories(root / "config");
        oldConfig = Env("VELDRA_CONFIG_HOME");
        oldData = Env("XDG_DATA_HOME");
        setenv("VELDRA_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        help = root / "Hlp" / "Veldra.html";
        WriteText(help, "<html><body><h1 id=\"sin\">sin</h1><h1 id=\"while\">while</h1></body></html>\n");
        SetHelpFilePath(help.string());
        AfxTakeOpenExternalLog();
        autoOpen = AppSettings::OutputAutoOpen;
        modulesFolder = AppSettings::ModulesFolder;
    }
    void TearDown() override
    {
        if (app) Close();
        Restore("VELDRA_CONFIG_HOME", oldConfig);
        Restore("XDG_DATA_HOME", oldData);
        SetHelpFilePath(std::string());
        SetHiddenRun(false);
        // The settings a test stored must not follow into the next test.
        AppSettings::OutputAutoOpen = autoOpen;
        AppSettings::ModulesFolder = modulesFolder;
        AfxTest::TearDown();
        fs::remove_all(root);
    }

    // Starts the IDE; false when InitInstance failed.
    bool Start(IdeCommandLine line = {}, bool registerShell = false)
    {
        app = new CVeldraApp(std::move(line));
        app->m_bRegisterShell = registerShell;
        prevThread = AfxSetThread(app);
        const bool ok = app->InitInstance();
        PumpUntilIdle();
        return ok;
    }
    CMainFrame* Frame() { return GetMainFrame(); }
    // Closes the frame as File Exit would, then ends the application.
    void Close()
    {
        if (CMainFrame* f = Frame(); f && f->m_hWnd) f->SendMessage(WM_CLOSE);
        PumpUntilIdle();
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        app->ExitInstance();
        AfxSetThread(prevThread);
        delete app;
        app = nullptr;
    }
    void Restart(IdeCommandLine line = {}, bool registerShell = false)
    {
        Close();
        ASSERT_TRUE(Start(std::move(line), registerShell));
    }
    fs::path ConfigFile() const { return root / "config" / "Brenholt" / "Veldra.conf"; }

    fs::path root, help;
    CVeldraApp* app = nullptr;
    CWinThread* prevThread = nullptr;

private:
    static std::string Env(const char* name)
    {
        const char* v = std::getenv(name);
        return v ? std::string(1, '=') + v : std::string();
    }
    static void Restore(const char* name, const std::string& saved)
    {
        if (saved.empty()) unsetenv(name);
        else setenv(name, saved.c_str() + 1, 1);
    }
    std::string oldConfig, oldData;
    bool autoOpen = true;
    std::string modulesFolder;
};

// Runs a command's update through the frame's routing, as a menu would.
struct CommandProbe : CCmdUI {
    int enabled = -1;
    int checked = -1;
    void Enable(BOOL on) override { enabled = on ? 1 : 0; }
    void SetCheck(int check) override { checked = check; }
};

inline CommandProbe Probe(CFrameWnd* frame, UINT id)
{
    CommandProbe p;
    p.m_nID = id;
    p.DoUpdate(frame, TRUE);
    return p;
}

}  // namespace ide_test
