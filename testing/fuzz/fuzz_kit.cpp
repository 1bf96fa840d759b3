#include "fuzz_kit.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "vpr/machine/machine.h"

namespace vpr::fuzz {

namespace fs = std::filesystem;

void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

namespace {

// What the kit itself could not do.
[[noreturn]] void KitFail(const std::string& what) { Fail(("fuzz kit: " + what).c_str()); }

std::string& Folder() {
    static std::string folder;
    return folder;
}

void RemoveFolder() {
    std::error_code ec;
    fs::remove_all(Folder(), ec);
}

bool machineMade = false;

}  // namespace

const std::string& ScratchFolder() {
    if (Folder().empty()) {
        std::string pattern = (fs::temp_directory_path() / "vpr-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) KitFail("cannot make a folder under " + pattern);
        Folder() = pattern;
        std::atexit(RemoveFolder);
    }
    return Folder();
}

void UseFuzzMachine(unsigned codePage) {
    if (machineMade) return;
    machineMade = true;
    // The machine is the scratch folder itself, which must still be empty.
    if (!Folder().empty()) KitFail("the machine must be made before the target writes files");
    std::string root = ScratchFolder();
    vpr::machine::CreateOptions options;
    options.codePage = codePage;
    std::string error;
    if (!vpr::machine::CreateMachine(root, options, &error) || !vpr::machine::UseMachine(root, &error))
        KitFail(error);
}

std::string WriteInputFile(const uint8_t* data, size_t size) {
    static const std::string path = (fs::path(ScratchFolder()) / "fuzz-input").string();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    file.close();
    if (!file) KitFail("cannot write " + path);
    return path;
}

}  // namespace vpr::fuzz
