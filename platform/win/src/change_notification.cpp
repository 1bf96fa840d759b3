// Directory change notifications over inotify. A reader thread per
// notification turns matching inotify events into the signalled state.
#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <thread>

#include "vpr/win/error.h"
#include "vpr/win/path.h"
#include "vpr/win/thread.h"
#include "vpr/win/waitable.h"

namespace vpr::win {
namespace {

constexpr DWORD kKnownFilters = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_LAST_ACCESS |
                                FILE_NOTIFY_CHANGE_CREATION | FILE_NOTIFY_CHANGE_SECURITY;

constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

uint32_t InotifyMask(DWORD filter) {
    uint32_t mask = IN_DELETE_SELF | IN_MOVE_SELF;
    if (filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME)) mask |= kNameEvents;
    if (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) mask |= IN_ATTRIB;
    if (filter & FILE_NOTIFY_CHANGE_SIZE) mask |= IN_MODIFY;
    if (filter & FILE_NOTIFY_CHANGE_LAST_WRITE) mask |= IN_MODIFY | IN_CLOSE_WRITE;
    if (filter & FILE_NOTIFY_CHANGE_LAST_ACCESS) mask |= IN_ACCESS;
    if (filter & FILE_NOTIFY_CHANGE_CREATION) mask |= IN_CREATE;
    return mask;
}

// Whether one inotify event is a change the filter asks for.
bool Matches(DWORD filter, const inotify_event& event) {
    uint32_t what = event.mask;
    if (what & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF)) return true;
    bool isDir = (what & IN_ISDIR) != 0;
    if (what & kNameEvents) {
        if (filter & (isDir ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME)) return true;
        if ((what & IN_CREATE) && (filter & FILE_NOTIFY_CHANGE_CREATION)) return true;
    }
    if ((what & IN_ATTRIB) &&
        (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)))
        return true;
    if ((what & IN_MODIFY) && (filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)))
        return true;
    if ((what & IN_CLOSE_WRITE) && (filter & FILE_NOTIFY_CHANGE_LAST_WRITE)) return true;
    if ((what & IN_ACCESS) && (filter & FILE_NOTIFY_CHANGE_LAST_ACCESS)) return true;
    return false;
}

class ChangeNotification : public Waitable {
public:
    ChangeNotification(int inotifyFd, int stopFd, DWORD filter, bool subtree)
        : inotify_(inotifyFd), stop_(stopFd), filter_(filter), subtree_(subtree) {}

    ~ChangeNotification() override {
        if (reader_.joinable()) {
            uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(stop_, &one, sizeof one);
            reader_.join();
        }
        ::close(inotify_);
        ::close(stop_);
    }

    // Watches the folder, and with a subtree every folder beneath it.
    bool Watch(const std::string& folder) { return AddWatches(folder, false).first; }

    void Start() { reader_ = std::thread([this] { Read(); }); }

    bool IsSignaled(uint64_t) override { return signaled_; }

    // Re-arms the notification: signalled again at once when changes came in
    // since it was signalled.
    void Next() {
        {
            std::lock_guard lock(WaitCore::Instance().mutex);
            signaled_ = changedSince_;
            changedSince_ = false;
        }
        WaitCore::Instance().changed.notify_all();
    }

private:
    // Adds watches for the folder (and its subfolders with a subtree). For a
    // folder that just appeared, the entries already in it were made before
    // its watch existed: they count as changes. Returns whether the watch
    // was added and whether such entries match the filter.
    std::pair<bool, bool> AddWatches(const std::string& folder, bool isNew) {
        int wd = ::inotify_add_watch(inotify_, folder.c_str(), InotifyMask(filter_) | IN_ONLYDIR);
        if (wd < 0) return {false, false};
        folders_[wd] = folder;
        bool matched = false;
        if (!subtree_) return {true, false};
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) return {true, false};
        while (dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
            std::string child = folder + "/" + entry->d_name;
            struct stat st;
            bool isDir = ::lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            if (isDir && AddWatches(child, isNew).second) matched = true;
            if (isNew && (filter_ & (isDir ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME))) {
                matched = true;
            }
        }
        ::closedir(dir);
        return {true, matched};
    }

    void Read() {
        alignas(inotify_event) char buffer[16 * 1024];
        pollfd fds[2] = {{inotify_, POLLIN, 0}, {stop_, POLLIN, 0}};
        for (;;) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents) return;
            ssize_t n = ::read(inotify_, buffer, sizeof buffer);
            if (n <= 0) continue;
            bool matched = false;
            for (char* at = buffer; at < buffer + n;) {
                auto* event = reinterpret_cast<inotify_event*>(at);
                at += sizeof(inotify_event) + event->len;
                if (Matches(filter_, *event)) matched = true;
                if (subtree_ && (event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) &&
                    event->len > 0 && folders_.contains(event->wd)) {
                    if (AddWatches(folders_[event->wd] + "/" + event->name, true).second) matched = true;
                }
            }
            if (matched) Signal();
        }
    }

    void Signal() {
        {
            std::lock_guard lock(WaitCore::Instance().mutex);
            if (signaled_) {
                changedSince_ = true;
            } else {
                signaled_ = true;
            }
        }
        WaitCore::Instance().changed.notify_all();
    }

    const int inotify_;
    const int stop_;
    const DWORD filter_;
    const bool subtree_;
    std::map<int, std::string> folders_;  // watch descriptor to host folder; reader thread's own after Start
    std::thread reader_;
    bool signaled_ = false;  // guarded by WaitCore's mutex
    bool changedSince_ = false;
};

std::shared_ptr<ChangeNotification> NotificationFromHandle(HANDLE handle) {
    auto notification = HandleTable::Instance().GetAs<ChangeNotification>(ValueFromHandle(handle));
    if (!notification) SetLastError(ERROR_INVALID_HANDLE);
    return notification;
}

}  // namespace
}  // namespace vpr::win

using namespace vpr::win;

extern "C" HANDLE WINAPI FindFirstChangeNotificationA(LPCSTR lpPathName, BOOL bWatchSubtree,
                                                      DWORD dwNotifyFilter) {
    if (dwNotifyFilter == 0 || (dwNotifyFilter & ~kKnownFilters) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string folder;
    if (!ResolveHostPath(lpPathName, &folder)) return INVALID_HANDLE_VALUE;
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) {
        SetLastErrorFromErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return INVALID_HANDLE_VALUE;
    }
    int inotifyFd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (inotifyFd < 0) {
        SetLastErrorFromErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    int stopFd = ::eventfd(0, EFD_CLOEXEC);
    if (stopFd < 0) {
        SetLastErrorFromErrno(errno);
        ::close(inotifyFd);
        return INVALID_HANDLE_VALUE;
    }
    auto notification =
        std::make_shared<ChangeNotification>(inotifyFd, stopFd, dwNotifyFilter, bWatchSubtree != FALSE);
    if (!notification->Watch(folder)) {
        SetLastErrorFromErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    notification->Start();
    SetLastError(ERROR_SUCCESS);
    return HandleFromValue(HandleTable::Instance().Add(std::move(notification)));
}

extern "C" BOOL WINAPI FindNextChangeNotification(HANDLE hChangeHandle) {
    auto notification = NotificationFromHandle(hChangeHandle);
    if (!notification) return FALSE;
    notification->Next();
    return TRUE;
}

extern "C" BOOL WINAPI FindCloseChangeNotification(HANDLE hChangeHandle) {
    if (!NotificationFromHandle(hChangeHandle)) return FALSE;
    return CloseHandle(hChangeHandle);
}
