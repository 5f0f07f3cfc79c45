// oru-pack's request: an application jar, library jars and configuration into one executable.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "launcher_resources.h"

namespace oru::tools {

struct PackRequest {
    std::string launcherPath;
    std::string outputPath;
    std::string applicationJar;              // packed as "t.jar"; may be empty
    std::vector<std::string> libraries;      // packed as "libs/<file name>"
    bool followClassPath = true;             // also packs the jars the application jar's
                                             // manifest "Class-Path" names, as libraries
    std::string mainClass;                   // else from a "mainclass" line, else the manifest
    std::string minimumJava;                 // "minjre"
    std::vector<std::string> options;        // "option" lines
    std::vector<std::string> properties;     // "property" lines, name=value
    std::vector<std::string> configuration;  // further lines, as given
    std::string runtimeDirectory;            // a runtime shipped in this folder beside the output
    bool systemLoader = true;                // a "systemloader true" line unless configured
    // Extra entries: (name inside the archive, file on disk), in archive order.
    std::vector<std::pair<std::string, std::string>> files;
    // Resources added to a Windows launcher: splash bitmap, icon, version.
    ResourceRequest resources;
    // A console program: a Windows launcher gets the console subsystem, and on every
    // platform the configuration line "console 1" gives java's exit codes.
    bool console = false;
    // The jars' entries merged at the archive's root instead of nested whole, so that
    // the virtual machine's own application class loader defines every class.
    bool rootLayout = false;
    // An "aotcache true" line: the launcher keeps a class-data archive in the user's cache.
    bool aotCache = false;
};

// Builds the archive (the Java-side classes, the application jar, the library jars, the
// extra files) and its configuration, and writes the executable. Returns false with a
// one-line message in `error`; nothing is written then. With `warnings`, adds one line
// for each thing the user should know of that does not stop the packing (a Class-Path
// jar skipped, entries that no lookup reaches, classes that more than one jar holds).
bool packApplication(const PackRequest& request, std::string& error,
                     std::vector<std::string>* warnings = nullptr);

}  // namespace oru::tools
