// The library's log: one line per event, with date, user, application and
// text, in KMAPP_LOG_FILE in the Windows folder, and in the application's own
// error log when it keeps one.
#pragma once

#include <string>

#include "kmapp32.h"

namespace vpr::launcher {

// `errorLog` empty: the library's log only.
void WriteLog(const std::string& user, const std::string& application, const std::string& text,
              const std::string& errorLog = "");
// As WriteLog, the user and the application's error log taken from the
// directory through the context.
void LogForApplication(DIR_CONTEXT context, const std::string& application, const std::string& text);
// The library's log file as a Windows path.
std::string LogFilePath();

}  // namespace vpr::launcher
