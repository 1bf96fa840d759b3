#include "file_change_counter.h"

#include <linux/magic.h>
#include <pthread.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>

namespace vpr::win {

namespace {

// The file: its bytes, times, mode or links changed, or it was renamed or removed.
constexpr uint32_t kFileMask = IN_MODIFY | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
// Its folder: a name made, removed or renamed in it (the file replaced or
// renamed away), or the folder itself renamed or removed.
constexpr uint32_t kFolderMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MOVE_SELF | IN_DELETE_SELF;
// A folder above it: renamed or removed, so the path leads elsewhere.
constexpr uint32_t kAboveMask = IN_MOVE_SELF | IN_DELETE_SELF;

// File systems whose every change passes through this kernel.
bool LocalFileSystem(const std::string& folder) {
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case EXT4_SUPER_MAGIC:  // also ext2 and ext3
        case TMPFS_MAGIC:
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

// Plain: absolute, in a folder other than the root, without "." or ".."
// parts or doubled slashes, so that its folders are found by cutting it.
bool PlainPath(const std::string& path) {
    if (path.size() < 2 || path[0] != '/' || path.back() == '/' || path.rfind('/') == 0) return false;
    if (path.find("//") != std::string::npos || path.find("/./") != std::string::npos ||
        path.find("/../") != std::string::npos) {
        return false;
    }
    std::string leaf = path.substr(path.rfind('/') + 1);
    return leaf != "." && leaf != "..";
}

}  // namespace

FileChangeCounter& FileChangeCounter::Instance() {
    static auto* counter = new FileChangeCounter;  // outlives every caller at exit
    return *counter;
}

FileChangeCounter::FileChangeCounter() {
    // The child of a fork shares its parent's queue; it must neither take
    // the parent's reports nor trust its copies to them.
    ::pthread_atfork([] { Instance().mutex_.lock(); }, [] { Instance().mutex_.unlock(); },
                     [] {
                         Instance().AfterFork();
                         Instance().mutex_.unlock();
                     });
}

void FileChangeCounter::AfterFork() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    unavailable_ = false;
    folders_.clear();
    folderPaths_.clear();
    ++count_;  // no copy of the parent's moments answers here
}

bool FileChangeCounter::Open() {
    if (fd_ >= 0) return true;
    if (unavailable_) return false;
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    unavailable_ = fd_ < 0;
    return fd_ >= 0;
}

bool FileChangeCounter::Watch(const std::string& hostPath, uint64_t* moment) {
    std::lock_guard lock(mutex_);
    if (!PlainPath(hostPath) || !Open()) return false;
    // The folders first, its own and then each one above.
    size_t slash = hostPath.rfind('/');
    for (size_t end = slash; end > 0; end = hostPath.rfind('/', end - 1)) {
        std::string folder = hostPath.substr(0, end);
        if (!WatchFolder(folder, end == slash ? kFolderMask : kAboveMask, end == slash)) return false;
    }
    // A change to the file from here on is either reported on the file's own
    // watch or, when the file is replaced, on its folder's.
    *moment = CountLocked();
    struct stat st {};
    if (::inotify_add_watch(fd_, hostPath.c_str(), kFileMask | IN_DONT_FOLLOW | IN_MASK_ADD) < 0) {
        return errno == ENOENT;  // a file made later shows in the folder
    }
    // The watch is on the name's own file; a symbolic link's target could
    // change unreported.
    return ::lstat(hostPath.c_str(), &st) != 0 ? errno == ENOENT : S_ISREG(st.st_mode);
}

bool FileChangeCounter::WatchFolder(const std::string& path, uint32_t mask, bool checkFileSystem) {
    auto it = folders_.find(path);
    if (it != folders_.end() && (it->second.mask & mask) == mask) return true;
    if (checkFileSystem && !LocalFileSystem(path)) return false;
    // IN_DONT_FOLLOW with IN_ONLYDIR refuses a symbolic link.
    int wd = ::inotify_add_watch(fd_, path.c_str(), mask | IN_ONLYDIR | IN_DONT_FOLLOW | IN_MASK_ADD);
    if (wd < 0) return false;
    Folder& folder = folders_[path];
    folder.wd = wd;
    folder.mask |= mask;
    folderPaths_[wd] = path;
    return true;
}

void FileChangeCounter::ForgetFolder(int wd) {
    auto it = folderPaths_.find(wd);
    if (it == folderPaths_.end()) return;
    // The path and every folder below it may now lead to other folders.
    std::string below = it->second + "/";
    for (auto f = folders_.begin(); f != folders_.end();) {
        if (f->first == it->second || f->first.compare(0, below.size(), below) == 0) {
            if (f->second.wd != wd) folderPaths_.erase(f->second.wd);
            f = folders_.erase(f);
        } else {
            ++f;
        }
    }
    folderPaths_.erase(it);
}

uint64_t FileChangeCounter::Count() {
    std::lock_guard lock(mutex_);
    return CountLocked();
}

uint64_t FileChangeCounter::CountLocked() {
    if (fd_ < 0) return count_;
    // Asking for the size of the queue costs less than a read that finds it
    // empty, the usual answer; a report queued before this call is counted
    // in it all the same.
    int queued = 0;
    if (::ioctl(fd_, FIONREAD, &queued) == 0 && queued == 0) return count_;
    alignas(inotify_event) char buffer[4096];
    bool reported = false;
    for (;;) {
        ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN) {
                // A queue that cannot be read reports nothing more: stop
                // trusting it.
                ::close(fd_);
                fd_ = -1;
                unavailable_ = true;
                folders_.clear();
                folderPaths_.clear();
                reported = true;
            }
            break;
        }
        reported = true;
        for (char* at = buffer; at < buffer + n;) {
            auto* event = reinterpret_cast<inotify_event*>(at);
            at += sizeof(inotify_event) + event->len;
            if (event->mask & (IN_IGNORED | IN_MOVE_SELF | IN_DELETE_SELF | IN_UNMOUNT)) ForgetFolder(event->wd);
        }
    }
    if (reported) ++count_;
    return count_;
}

}  // namespace vpr::win
