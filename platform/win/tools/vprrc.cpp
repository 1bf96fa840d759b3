// vprrc: the resource compiler of the build.
//   vprrc compile SOURCE.vrc -o OUT [--version A.B.C.D] [--type app|dll] [--depfile FILE]
//       compiles a resource source into a bare container file
//   vprrc attach MODULE CONTAINER
//       carries the container in the module file (replacing the one it had)
//   vprrc stamp FILE A.B.C.D
//       rewrites the file and product version of a module or container
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resource_compiler.h"
#include "vpr/machine/atomic_file.h"
#include "vpr/win/error.h"

namespace {

int Usage(FILE* out = stderr) {
    std::fprintf(out,
                 "usage: vprrc compile SOURCE -o OUT [--version A.B.C.D] [--type app|dll] "
                 "[--depfile FILE]\n"
                 "       vprrc attach MODULE CONTAINER\n"
                 "       vprrc stamp FILE A.B.C.D\n");
    return out == stdout ? 0 : 2;
}

int Report(DWORD error, const std::string& what) {
    if (error == ERROR_SUCCESS) return 0;
    std::fprintf(stderr, "vprrc: %s failed (Windows error %u)\n", what.c_str(), error);
    return 1;
}

int Compile(int argc, char** argv) {
    std::string source, out, depfile;
    vpr::win::CompileOptions options;
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue) {
            out = argv[++i];
        } else if (arg == "--depfile" && hasValue) {
            depfile = argv[++i];
        } else if (arg == "--version" && hasValue) {
            std::array<uint16_t, 4> parts{};
            if (!vpr::win::ParseVersionText(argv[++i], &parts)) {
                std::fprintf(stderr, "vprrc: bad version %s\n", argv[i]);
                return 2;
            }
            options.version = parts;
        } else if (arg == "--type" && hasValue) {
            std::string type = argv[++i];
            if (type != "app" && type != "dll") return Usage();
            options.fileType = type == "app" ? 1 : 2;
        } else if (source.empty() && arg[0] != '-') {
            source = arg;
        } else {
            return Usage();
        }
    }
    if (source.empty() || out.empty()) return Usage();
    vpr::win::CompileResult result;
    if (!vpr::win::CompileResourceSource(source, options, &result)) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
        return 1;
    }
    // Both outputs are written whole or not at all, so that a failed build
    // step never leaves a cut container that a later build takes as done.
    std::vector<uint8_t> container = vpr::win::EncodeContainer(result.entries);
    std::string error;
    if (!vpr::machine::WriteFileAtomically(
            out, std::string_view(reinterpret_cast<const char*>(container.data()), container.size()), &error)) {
        std::fprintf(stderr, "vprrc: %s\n", error.c_str());
        return 1;
    }
    if (!depfile.empty()) {
        // The source itself heads the list: a list without files makes the
        // build's depfile step write nothing, so that every build would
        // compile the resources again.
        std::string text = out + ": \\\n  " + source;
        for (const std::string& d : result.dependencies) text += " \\\n  " + d;
        text += "\n";
        if (!vpr::machine::WriteFileAtomically(depfile, text, &error)) {
            std::fprintf(stderr, "vprrc: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string command = argv[1];
    if (argc == 2 && (command == "--help" || command == "-h")) return Usage(stdout);
    if (command == "compile") return Compile(argc, argv);
    if (command == "attach" && argc == 4) {
        std::vector<uint8_t> container;
        DWORD error = ERROR_SUCCESS;
        if (!vpr::win::ReadModuleContainer(argv[3], &container, &error))
            return Report(error, std::string("reading ") + argv[3]);
        return Report(vpr::win::WriteModuleContainer(argv[2], container),
                      std::string("attaching to ") + argv[2]);
    }
    if (command == "stamp" && argc == 4) {
        std::array<uint16_t, 4> parts{};
        if (!vpr::win::ParseVersionText(argv[3], &parts)) return Usage();
        return Report(vpr::win::StampModuleVersion(argv[2], parts),
                      std::string("stamping ") + argv[2]);
    }
    return Usage();
}
