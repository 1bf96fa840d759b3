#include "launch_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "../well_known_folders.h"
#include "app_attributes.h"
#include "grants.h"
#include "vpr/win/clock.h"
#include "vpr/win/path.h"

namespace vpr::launcher {

namespace {

// Appends one whole line with one write, so that lines of several processes
// never mix.
void AppendLine(const std::string& windowsPath, const std::string& line) {
    std::string host;
    if (!vpr::win::ResolveHostPath(windowsPath.c_str(), &host)) return;
    int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
    if (fd < 0) return;
    ssize_t written = ::write(fd, line.data(), line.size());
    (void)written;
    ::close(fd);
}

std::string Stamp() {
    std::tm tm{};
    vpr::win::ToLocalTime(vpr::win::CurrentTime(), &tm);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

}  // namespace

std::string LogFilePath() { return WellKnownFolderPath(WellKnownFolder::Windows) + "\\" + KMAPP_LOG_FILE; }

void WriteLog(const std::string& user, const std::string& application, const std::string& text,
              const std::string& errorLog) {
    std::string line = Stamp() + " " + (user.empty() ? "-" : user) + " " + (application.empty() ? "-" : application) +
                       ": " + text + "\r\n";
    AppendLine(LogFilePath(), line);
    if (!errorLog.empty()) AppendLine(errorLog, line);
}

void LogForApplication(DIR_CONTEXT context, const std::string& application, const std::string& text) {
    AppAttributes attributes;
    std::string errorLog;
    if (!application.empty() &&
        ReadAppAttributes(context, application, {"App:Flags", "App:Error Log Path"}, &attributes) == DIR_SUCCESS &&
        (attributes.flags & 0x400))
        errorLog = attributes.errorLogPath;
    WriteLog(CurrentUser(context), application, text, errorLog);
}

}  // namespace vpr::launcher

extern "C" void KMAPPLogString(DIR_CONTEXT context, LPCSTR application, DWORD /*reserved*/, LPCSTR text) {
    vpr::launcher::LogForApplication(context, application ? application : "", text ? text : "");
}
