// Opens a script the way the engine's Import does: by its name in the system's code
// page, or, with the utf8 switch, by the wide name of its UTF-8 (Windows).
#pragma once

#include <cstdio>

std::FILE* open_script(const char* path, bool utf8);
