// Linked into the test executables of sanitizer builds. LeakSanitizer reads
// these at exit: fontconfig, loaded by Qt's offscreen platform, keeps its
// caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
