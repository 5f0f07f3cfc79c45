// The packed test application of the bridge and packer tests, built from its classes.
#pragma once

#include <string>
#include <vector>

#include "zip_writer.h"

namespace oru::testing {

// The application jar: the test application's main class and most of its classes,
// resources, a corrupt class and one whose bytes fail their CRC. With `mainClass`, a
// manifest names it, `classPath` its Class-Path, and `sections` follow its main section.
std::string applicationJar(const std::string& mainClass = "", const std::string& classPath = "",
                           const std::string& sections = "");
// The library jar (to be packed as libs/a.jar): library classes, a service provider;
// with `classPath`, a manifest with that Class-Path.
std::string libraryJar(const std::string& classPath = "");
// A second library jar (libs/bb.jar) with another copy of one class.
std::string variantJar();
// The Java-side classes the build generated, at the archive root.
void addJavaSideClasses(tools::ZipWriter& archive, const char* root = ORU_JAVA_SIDE_CLASSES);
// Configuration lines that run the test application on the build's JDK, with the JNI
// and class-file checkers on.
std::vector<std::string> bridgeConfiguration();
// 200,000 bytes that do not compress, different for each `seed`: an entry large enough
// to be streamed.
std::string largeEntry(int seed);
// The bytes of the compiled class `name` ("bridge/InApp") under `root`.
std::string classBytes(const char* root, const std::string& name);

}  // namespace oru::testing
