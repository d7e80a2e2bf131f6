// Leaks LeakSanitizer is not to report in the sanitizer builds: fontconfig
// (under Qt's fonts) keeps its configuration in blocks it never frees.
// Read only by LeakSanitizer; harmless in other builds.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
