// Loading a shared library at run time and finding its exports.
#pragma once

#include "support/narrow_string.h"

namespace oru::platform {

// Opaque handle of a loaded library; null means none.
using LibraryHandle = void*;

// Loads the library at `path`; null when it cannot be loaded. An empty or null path
// loads nothing (some loaders would hand back the main program instead). The caller
// owns the handle and gives it back with unloadLibrary.
LibraryHandle loadLibrary(const char* path);

// The address of the export `name`, or null when the library has none.
void* librarySymbol(LibraryHandle library, const char* name);

// Why the last loadLibrary on this thread failed, in the system's words; "" when it
// cannot tell.
NarrowString lastLoadError();

// Unloads a library loaded by loadLibrary; a null handle is ignored.
void unloadLibrary(LibraryHandle library);

// Keeps the system from showing dialogs when a library or a drive cannot be opened:
// adds the critical-error and open-file-error flags to the process's error mode,
// for the rest of the process.
void suppressLoadErrorDialogs();

// Adds `directory` to the search path the loader uses for a library's dependencies,
// for the rest of the process. Returns false when this platform's loader cannot take
// such a change after start-up, so loading the same library again is pointless.
bool widenLibrarySearch(const char* directory);

}  // namespace oru::platform
