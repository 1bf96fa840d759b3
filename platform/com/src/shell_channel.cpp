#include "vpr/com/shell_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "vpr/win/kernel_folder.h"

namespace vpr::com {

namespace {

constexpr int kTimeoutMs = 60000;

bool Address(sockaddr_un* address, std::string* path) {
    *path = ShellChannelPath();
    if (path->empty() || path->size() >= sizeof(address->sun_path)) return false;
    std::memset(address, 0, sizeof(*address));
    address->sun_family = AF_UNIX;
    std::memcpy(address->sun_path, path->c_str(), path->size() + 1);
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReadLine(int fd, std::string* line) {
    line->clear();
    char c;
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kTimeoutMs) <= 0) return false;
        ssize_t n = ::recv(fd, &c, 1, 0);
        if (n <= 0) return false;
        if (c == '\n') return true;
        line->push_back(c);
    }
}

std::string Hex(const IdListBytes& bytes) {
    if (bytes.empty()) return "-";
    std::string out;
    char pair[3];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof(pair), "%02X", b);
        out += pair;
    }
    return out;
}

bool FromHex(const std::string& text, IdListBytes* bytes) {
    bytes->clear();
    if (text == "-") return true;
    if (text.size() % 2) return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        if (std::sscanf(text.c_str() + i, "%2X", &value) != 1) return false;
        bytes->push_back(static_cast<uint8_t>(value));
    }
    return CheckIdList(bytes->data(), bytes->size()) == bytes->size() || bytes->empty();
}

}  // namespace

std::string ShellChannelPath() {
    std::string folder = vpr::win::KernelFolder();
    return folder.empty() ? std::string() : folder + "/shell.sock";
}

bool SendShellRequest(const std::string& request, std::string* answer) {
    sockaddr_un address;
    std::string path;
    if (!Address(&address, &path)) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
              WriteAll(fd, request + "\n") && ReadLine(fd, answer);
    ::close(fd);
    return ok;
}

std::string NotificationRequest(const ChangeNotification& n) {
    char event[16];
    std::snprintf(event, sizeof(event), "0x%08X", static_cast<unsigned>(n.event));
    return std::string("notify ") + event + (n.paths ? " 1 " : " 0 ") + Hex(n.list1) + " " + Hex(n.list2) + " " +
           Hex(IdListBytes(n.text1.begin(), n.text1.end())) + " " + Hex(IdListBytes(n.text2.begin(), n.text2.end()));
}

bool ParseNotificationRequest(const std::string& line, ChangeNotification* n) {
    char event[16], paths[4], list1[8192], list2[8192], text1[8192], text2[8192];
    if (line.size() > 32000 ||
        std::sscanf(line.c_str(), "notify %15s %3s %8191s %8191s %8191s %8191s", event, paths, list1, list2, text1,
                    text2) != 6) {
        return false;
    }
    *n = ChangeNotification{};
    n->event = static_cast<LONG>(std::strtoul(event, nullptr, 16));
    n->paths = paths[0] == '1';
    IdListBytes t1, t2;
    // The texts travel as hex too; they are no lists, so they are read plainly.
    auto plain = [](const std::string& hex, std::string* out) {
        out->clear();
        if (hex == "-") return true;
        for (size_t i = 0; i + 1 < hex.size(); i += 2) {
            unsigned value = 0;
            if (std::sscanf(hex.c_str() + i, "%2X", &value) != 1) return false;
            out->push_back(static_cast<char>(value));
        }
        return true;
    };
    return FromHex(list1, &n->list1) && FromHex(list2, &n->list2) && plain(text1, &n->text1) && plain(text2, &n->text2);
}

ShellChannelServer::ShellChannelServer(Serve serve) : serve_(std::move(serve)) {
    sockaddr_un address;
    if (!Address(&address, &path_)) {
        error_ = "no place for the shell's socket";
        return;
    }
    // A socket file left by a shell that died answers no connection: it goes.
    std::string probe;
    if (SendShellRequest("ping", &probe)) {
        error_ = "a shell listens already";
        return;
    }
    ::unlink(path_.c_str());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd, 16) != 0 ||
        ::pipe(wakeFd_) != 0) {
        error_ = std::string("cannot listen on ") + path_ + ": " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return;
    }
    fd_ = fd;
    thread_ = std::thread([this] { Loop(); });
}

ShellChannelServer::~ShellChannelServer() {
    if (fd_ < 0) return;
    char wake = 1;
    (void)!::write(wakeFd_[1], &wake, 1);
    thread_.join();
    ::close(fd_);
    ::close(wakeFd_[0]);
    ::close(wakeFd_[1]);
    ::unlink(path_.c_str());
}

void ShellChannelServer::Loop() {
    while (true) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        std::string request;
        if (ReadLine(client, &request)) {
            std::string answer = request == "ping" ? "pong" : serve_(request);
            WriteAll(client, answer + "\n");
        }
        ::close(client);
    }
}

}  // namespace vpr::com
