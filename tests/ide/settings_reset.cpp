// Every test of this binary starts from the settings the process had when the
// tests began: a test that loads a settings file or changes a page would
// otherwise hand its folders and formats to whichever test runs next. The
// scripted answers, the watcher's call gate and the long waits' scale start
// afresh too, and the globals a test's programs declared go: a later program
// would otherwise assign its own variables of those names to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "ide/shell/veldra_doc.h"
#include "ide/run/watch_gate.h"
#include "tests/support/common_dialog_script.h"
#include "interpreter/var_table.h"
#include "platform/kernel/long_waits.h"
#include "platform/user/message_box.h"
#include "values/app_settings.h"

namespace {

struct CSettingsSnapshot {
    bool outputAutoOpen, timeLabel, useAsConsole, autoCalculate, insertAsExample, reserved201, consoleSendBatch;
    int numericPrecision, variablesUpdatePeriod, maxCallDepth, stackSize, threadPriority;
    FontSetting variablesFont, watcherFont, outputFont, editorFont, tooltipFont;
    ValueTextFormat editorFormat, displayFormat;
    LayerColor layerColors[AppSettings::LayerCount];
    std::string functionsFolder, modulesFolder, consoleDeviceLibrary, plotDeviceLibrary;

    void Take()
    {
        using namespace AppSettings;
        outputAutoOpen = OutputAutoOpen;
        timeLabel = TimeLabel;
        useAsConsole = UseAsConsole;
        autoCalculate = AutoCalculate;
        insertAsExample = InsertAsExample;
        reserved201 = Reserved201;
        consoleSendBatch = ConsoleSendBatch;
        numericPrecision = NumericPrecision;
        variablesUpdatePeriod = VariablesUpdatePeriod;
        maxCallDepth = MaxCallDepth;
        stackSize = StackSize;
        threadPriority = ThreadPriority;
        variablesFont = VariablesFont;
        watcherFont = WatcherFont;
        outputFont = OutputFont;
        editorFont = EditorFont;
        tooltipFont = TooltipFont;
        editorFormat = EditorFormat;
        displayFormat = CurrentDisplayTextFormat();
        std::copy(std::begin(LayerColors), std::end(LayerColors), layerColors);
        functionsFolder = FunctionsFolder;
        modulesFolder = ModulesFolder;
        consoleDeviceLibrary = ConsoleDeviceLibrary;
        plotDeviceLibrary = PlotDeviceLibrary;
    }

    void Put() const
    {
        using namespace AppSettings;
        OutputAutoOpen = outputAutoOpen;
        TimeLabel = timeLabel;
        UseAsConsole = useAsConsole;
        AutoCalculate = autoCalculate;
        InsertAsExample = insertAsExample;
        Reserved201 = reserved201;
        ConsoleSendBatch = consoleSendBatch;
        NumericPrecision = numericPrecision;
        VariablesUpdatePeriod = variablesUpdatePeriod;
        MaxCallDepth = maxCallDepth;
        StackSize = stackSize;
        ThreadPriority = threadPriority;
        VariablesFont = variablesFont;
        WatcherFont = watcherFont;
        OutputFont = outputFont;
        EditorFont = editorFont;
        TooltipFont = tooltipFont;
        EditorFormat = editorFormat;
        SetDisplayTextFormat(displayFormat);
        std::copy(std::begin(layerColors), std::end(layerColors), LayerColors);
        FunctionsFolder = functionsFolder;
        ModulesFolder = modulesFolder;
        ConsoleDeviceLibrary = consoleDeviceLibrary;
        PlotDeviceLibrary = plotDeviceLibrary;
    }
};

class CSettingsReset : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        m_start.Put();
        ClearMessageBoxAnswers();
        ClearCommonDialogAnswers();
        WatcherCallsEnabled() = m_watcherCalls;
        SetLongWaitScale(1);
        // Not while an abandoned run may still use them.
        if (!AnyParkedDocument()) GlobalVariables.RemoveLast(GlobalVariables.Count() - m_globals);
    }
    void OnTestProgramStart(const ::testing::UnitTest&) override
    {
        m_start.Take();
        m_watcherCalls = WatcherCallsEnabled();
        m_globals = GlobalVariables.Count();
    }
    bool m_watcherCalls = false;
    int m_globals = 0;
    CSettingsSnapshot m_start;
};

const bool g_registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new CSettingsReset);
    return true;
}();

}  // namespace
