// Checks of an oru-pack request made before any input is read.
#include "request_checks.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "embedded_files.h"
#include "platform/directory_identity.h"
#include "zip_writer.h"

namespace oru::tools {

namespace {

// The prefix of the launcher's own classes, which every archive carries.
const char kLauncherPackage[] = "com/vostrand/oru/";

// The name as the launcher compares it: "\" and "/" alike.
std::string withSlashes(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

bool underLauncherPackage(const std::string& name) {
    const std::string prefix = kLauncherPackage;
    if (name.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return false;
    return true;
}

// One name given by the user (`what` says where: "the entry name", "the library name").
bool checkName(const std::string& name, const std::string& what, std::string& error) {
    if (name.find('!') != std::string::npos) {
        error = what + " " + printable(name) +
                " holds a \"!\", which separates a jar from its entries in oru: URLs";
        return false;
    }
    if (std::any_of(name.begin(), name.end(), isControlCharacter)) {
        error = what + " \"" + printable(name) + "\" holds a control character";
        return false;
    }
    return true;
}

}  // namespace

bool isControlCharacter(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::string printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (!isControlCharacter(c)) {
            out += c;
            continue;
        }
        char code[8];
        std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(c));
        out += code;
    }
    return out;
}

bool checkEntryNames(const PackRequest& request, const std::vector<std::string>& libraryNames,
                     std::string& error) {
    std::set<std::string> names;
    for (int i = 0; i < kJavaSideClassCount; ++i) names.insert(kJavaSideClasses[i].name);
    if (!request.applicationJar.empty()) names.insert("t.jar");
    std::set<std::string> libraries;
    for (const std::string& name : libraryNames) {
        if (!checkName(name.substr(5), "the library name", error)) return false;
        if (!libraries.insert(name).second) {
            error = "two library jars are named " + name.substr(5) + "; rename one";
            return false;
        }
        names.insert(withSlashes(name));
    }
    for (const auto& [name, path] : request.files) {
        if (name.empty()) {
            error = "NAME=FILE needs a name: \"=" + path + "\"";
            return false;
        }
        if (!checkName(name, "the entry name", error)) return false;
        if (underLauncherPackage(withSlashes(name))) {
            error = "the entry name " + name + " is under " + kLauncherPackage +
                    ", which holds the launcher's own classes";
            return false;
        }
        if (!names.insert(withSlashes(name)).second) {
            error = "the archive would hold two entries named " + printable(name);
            return false;
        }
    }
    if (names.size() > kLargestEntryCount) {
        error = "the archive would hold " + std::to_string(names.size()) +
                " entries; without ZIP64 records it holds at most " +
                std::to_string(kLargestEntryCount);
        return false;
    }
    return true;
}

bool checkOutputIsNoInput(const PackRequest& request, std::string& error) {
    platform::DirectoryIdentity output;
    if (!platform::directoryIdentity(request.outputPath.c_str(), output)) return true;
    std::vector<std::string> inputs = {request.launcherPath, request.applicationJar,
                                       request.resources.splashPath, request.resources.iconPath};
    inputs.insert(inputs.end(), request.libraries.begin(), request.libraries.end());
    for (const auto& file : request.files) inputs.push_back(file.second);
    for (const std::string& input : inputs) {
        platform::DirectoryIdentity identity;
        if (!input.empty() && platform::directoryIdentity(input.c_str(), identity) &&
            identity == output) {
            error = request.outputPath + " and " + input + " are the same file";
            return false;
        }
    }
    return true;
}

}  // namespace oru::tools
