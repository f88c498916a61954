// Leaks the leak checker ignores in every test program: fontconfig keeps the
// configuration it parsed on first use for the life of the process (the
// stacks stop inside the library, so the library is named).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
