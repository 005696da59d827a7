// Binding to the engine's shared library: the entry-point table and the environment.
#pragma once

#include <cstdio>

#include "avs/avs_types.h"
#include "platform/platform.h"

constexpr bool AVS_REQUIRED = true;
constexpr bool AVS_OPTIONAL = false;

// One slot per entry point, in list order, after the module handle.
struct avs_api {
    void* module;
#define AVS_CALLED(need, name, ret, params) ret(*name) params;
#define AVS_LISTED(need, name) platform_symbol name;
#include "avs/avs_entry_points.h"
#undef AVS_CALLED
#undef AVS_LISTED
};

// The process-wide table: null until a load succeeds, filled once, never changed.
extern avs_api* avs_library;

// Loads the engine and binds its entry points. On failure: checkpoint, message, the
// table discarded, avs_library null; the caller closes the run log and ends with 2.
bool load_avisynth(std::FILE* run_log);

// Creates the version-8 environment and demands the frame-property entry points from an
// engine of interface version 9 or later, the first whose property reads are safe.
// Null on failure, after its checkpoint, its message and its releases.
AVS_ScriptEnvironment* open_script_environment(std::FILE* run_log);

// Deletes the environment when one is given, then gives up the library. Only for the
// failures before a clip is taken.
void unload_avisynth(AVS_ScriptEnvironment* env);

// Unloads the module, then frees the table; nothing for a null table.
void avs_free_library(avs_api* table);
