// oru-pack: writes a launcher followed by an application archive and its configuration.
#include <iostream>
#include <string>

#include "packer.h"

namespace {

void usage() {
    std::cerr << "usage: oru-pack --launcher FILE --output FILE [--config \"key value\"]...\n"
                 "                [NAME=FILE]...\n"
                 "Each NAME=FILE puts FILE into the archive as NAME; each --config line goes\n"
                 "into the archive comment (at most 2,048 bytes in all).\n";
}

}  // namespace

int main(int argc, char** argv) {
    oru::tools::PackRequest request;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--launcher" && hasValue) {
            request.launcherPath = argv[++i];
        } else if (arg == "--output" && hasValue) {
            output = argv[++i];
        } else if (arg == "--config" && hasValue) {
            request.configuration.push_back(argv[++i]);
        } else if (arg.find('=') != std::string::npos && arg.rfind("--", 0) != 0) {
            size_t eq = arg.find('=');
            request.files.emplace_back(arg.substr(0, eq), arg.substr(eq + 1));
        } else {
            usage();
            return 2;
        }
    }
    if (request.launcherPath.empty() || output.empty()) {
        usage();
        return 2;
    }
    std::string error;
    if (!oru::tools::packExecutable(request, output, error)) {
        std::cerr << "oru-pack: " << error << "\n";
        return 1;
    }
    return 0;
}
