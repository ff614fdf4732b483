// Fontconfig keeps its caches until exit; LeakSanitizer reads these defaults
// even when the test environment does not pass the shared suppression file.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6\n";
}
