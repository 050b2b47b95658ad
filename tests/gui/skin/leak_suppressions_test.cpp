// SPDX-License-Identifier: GPL-3.0-or-later
// LeakSanitizer hook of the skin tests: fontconfig keeps a few allocations of
// its font cache for the life of the process (no owner frees them), which the
// sanitized builds would otherwise report as leaks of every test that draws
// text. Only that library is exempt.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
