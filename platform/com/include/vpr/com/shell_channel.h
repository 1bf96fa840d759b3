// The machine-wide channel to the running shell: one Unix socket of the
// shell in the machine's kernel folder (.kernel/shell.sock), one request a
// connection, one text line each way.
//
//   load {CLSID}            -> "0x%08X": the result of creating the class
//                              on the shell's UI thread and releasing it
//   notify EVENT PATHS HEX1 HEX2
//                           -> "0x00000000" once the shell has queued it
//                              (PATHS 1 when the items were paths; HEX: the
//                              items' lists as hex, "-" for none)
#pragma once

#include <functional>
#include <thread>
#include <string>

#include "vpr/com/change_notify.h"

namespace vpr::com {

// The socket's host path; empty when the kernel folder cannot be made.
std::string ShellChannelPath();

// Sends one request to the running shell and reads its answer; false when no
// shell listens (none runs, or it is still starting).
bool SendShellRequest(const std::string& request, std::string* answer);

// The request line of a notification, and back.
std::string NotificationRequest(const ChangeNotification& notification);
bool ParseNotificationRequest(const std::string& line, ChangeNotification* notification);

// The shell's side: listens on the socket on a thread of its own and hands
// each request line to `serve`, whose answer goes back. Construction fails
// (Listening() false) when another process listens already.
class ShellChannelServer {
public:
    using Serve = std::function<std::string(const std::string& request)>;
    explicit ShellChannelServer(Serve serve);
    ~ShellChannelServer();
    ShellChannelServer(const ShellChannelServer&) = delete;
    ShellChannelServer& operator=(const ShellChannelServer&) = delete;
    bool Listening() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }

private:
    void Loop();
    Serve serve_;
    int fd_ = -1;
    int wakeFd_[2] = {-1, -1};
    std::string path_;
    std::string error_;
    std::thread thread_;
};

}  // namespace vpr::com
