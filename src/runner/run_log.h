// The checkpoint log beside a validation CSV. Every writer does nothing without a log.
#pragma once

#include <cstdio>

// Opens "<csv>.runner.log" and writes its first four lines, the script path as the
// runner holds it; null when it cannot. csv_utf8: the CSV path is UTF-8.
std::FILE* open_run_log(const char* csv_path, bool csv_utf8, const char* script_path);

void log_checkpoint(std::FILE* run_log, const char* text);
void log_checkpoint_int(std::FILE* run_log, const char* label, int number);

// The full path of the loaded module, or the fallback line when it cannot be learnt.
void log_loaded_dll_path(std::FILE* run_log, const char* module_file_name);

void close_run_log(std::FILE* run_log);
