// The stand-in's call trace: one line per call of interest, appended to the file named
// by QEL_STANDIN_TRACE. Each line is written and closed at once, so it survives an
// immediate process end.
#pragma once

void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// True when the test process switched the named fault on (its variable is set to 1).
bool fault_enabled(const char* variable);
