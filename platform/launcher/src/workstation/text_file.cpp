#include "text_file.h"

#include <cerrno>
#include <fstream>

#include "vpr/machine/atomic_file.h"
#include "vpr/win/error.h"
#include "vpr/win/path.h"

namespace vpr::launcher {

bool ReadTextLines(const std::string& windowsPath, std::vector<std::string>* lines) {
    lines->clear();
    std::string host;
    if (!vpr::win::ResolveHostPath(windowsPath.c_str(), &host)) return false;
    std::ifstream in(host, std::ios::binary);
    if (!in) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : vpr::win::ErrorFromErrno(errno));
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines->push_back(line);
    }
    return true;
}

bool WriteTextLines(const std::string& windowsPath, const std::vector<std::string>& lines) {
    std::string host;
    if (!vpr::win::ResolveHostPath(windowsPath.c_str(), &host)) return false;
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    vpr::machine::AtomicFile file(host);
    if (file.Open() && file.Write(text) && file.Commit()) return true;
    SetLastError(vpr::win::ErrorFromErrno(file.error() ? file.error() : EIO));
    return false;
}

}  // namespace vpr::launcher
