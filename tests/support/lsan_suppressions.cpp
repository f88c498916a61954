// Leaks the leak checker ignores in every test program:
// - fontconfig keeps the configuration it parsed on first use for the life of
//   the process (the stacks stop inside the library, so the library is named);
// - the bar controls of a device frame whose thread was abandoned: its windows
//   are removed without WM_NCDESTROY while the thread may still run, so the
//   controls' own states stay with them (abandoned threads free nothing they
//   may touch).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:CDeviceFrameBars::Create\n";
}
