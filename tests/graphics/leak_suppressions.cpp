// fontconfig keeps its configuration for the life of the process; the leak
// checker would report it at exit. cairo's SVG export, run on many
// metafiles in one process, keeps some recording surfaces past their last
// reference (each fixture alone shows nothing); graphics code makes no cairo
// objects of its own. Weak, so a suppression list shared by all
// test programs takes its place.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libcairo.so\n";
}
