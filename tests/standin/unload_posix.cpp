// Tells an unload by the runner (dlclose) from the end of the process. At exit the
// handlers registered with atexit run before the destructors of loaded objects; on
// dlclose the destructor runs while the flag is still clear.
#include <cstdlib>

#include "trace.h"

namespace {

bool process_exiting = false;

void mark_exiting() { process_exiting = true; }

__attribute__((constructor)) void on_load() { std::atexit(mark_exiting); }

__attribute__((destructor)) void on_unload() {
    if (!process_exiting) trace("unload");
}

}  // namespace
