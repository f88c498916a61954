// fontconfig keeps its configuration for the life of the process; the leak
// checker would report it at exit. Weak, so a suppression list shared by all
// test programs takes its place.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
