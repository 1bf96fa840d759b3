#include "text_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

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
    std::string temporary = host + ".vpr-" + std::to_string(::getpid()) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines) out << line << "\r\n";
        out.flush();
        if (!out) {
            int error = errno;
            std::remove(temporary.c_str());
            SetLastError(vpr::win::ErrorFromErrno(error ? error : EIO));
            return false;
        }
    }
    if (std::rename(temporary.c_str(), host.c_str()) != 0) {
        int error = errno;
        std::remove(temporary.c_str());
        SetLastError(vpr::win::ErrorFromErrno(error));
        return false;
    }
    return true;
}

}  // namespace vpr::launcher
