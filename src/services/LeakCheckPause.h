#pragma once
// LeakCheckPause: while one lives, the leak checker of a sanitizer build does not count allocations.
// For calls into C libraries that keep or lose small blocks of their own (libgettextpo's parser
// state, fontconfig's configuration): those are the library's affair, and without the pause every
// test program that reads a translation file or lists fonts would fail its leak check. Does nothing
// in other builds.

#if defined(__SANITIZE_ADDRESS__)
#define ORVA_HAS_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVA_HAS_LEAK_CHECK 1
#endif
#endif

#ifdef ORVA_HAS_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace orva::components {

class LeakCheckPause {
public:
#ifdef ORVA_HAS_LEAK_CHECK
    LeakCheckPause() { __lsan_disable(); }
    ~LeakCheckPause() { __lsan_enable(); }
#else
    LeakCheckPause() {}  // user-provided, so that declaring one is not an unused variable
#endif
    LeakCheckPause(const LeakCheckPause&) = delete;
    LeakCheckPause& operator=(const LeakCheckPause&) = delete;
};

}  // namespace orva::components
