// SPDX-License-Identifier: GPL-3.0-or-later
// Sanitizer settings built into every test executable, so they hold however
// the tests are started (ctest, by hand, under a debugger). Only read when the
// executable is built with the sanitizers.
extern "C" {

// Leaks inside system libraries that the program cannot free: Qt's and the font
// machinery's caches, and RtMidi's JACK backend, which keeps a ring buffer when
// it finds no server.
const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libQt6Gui\n"
           "leak:libQt6Core\n"
           "leak:libQt6Widgets\n"
           "leak:libdbus\n"
           "leak:libjack\n"
           "leak:libasound\n"
           "leak:libglib\n"
           "leak:libdb\n";
}

const char* __asan_default_options()
{
    return "detect_leaks=1";
}

// libjack is not instrumented, and its process thread hands data over through a
// lock-free ring of its own that ThreadSanitizer cannot see: its reports are its
// own. Nothing of ours is named here; a race in our code fails the test.
const char* __tsan_default_suppressions()
{
    return "race:libjack.so.0\n";
}

const char* __tsan_default_options()
{
    // The JACK tests' peers fork; the child only execs.
    return "die_after_fork=0:second_deadlock_stack=1";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
}
