// Counts the changes the kernel reports to the files this process watches,
// so that a kept copy of a file can be known unchanged without looking at
// the file's facts (a system call that costs several times a look-up here).
//
// The kernel queues its report inside the call that makes the change
// (write, truncate, change of times or mode, a name created, removed or
// renamed), before that call returns, whichever process makes it. So a count
// read after a change has completed anywhere already includes it, and a copy
// made after `Count()` returned `n` is unchanged while `Count()` still
// returns `n`. Reading the count asks for the size of the queue: one system
// call while nothing is queued.
//
// What the kernel does not report, and so is never trusted to it: writes
// through a shared memory mapping (nothing writes ini files so), changes made
// by another computer to a network file system (only local file systems are
// watched), and a path through a symbolic link (only paths without one are
// watched). A child made by fork() starts counting afresh: the queue it
// inherits is its parent's and stays the parent's.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace vpr::win {

class FileChangeCounter {
public:
    static FileChangeCounter& Instance();

    // Watches the file (present or not), its folder and every folder above
    // it, and sets `moment` to the count from which on a change to the file
    // is counted: a copy read after this call is unchanged while Count()
    // returns `moment`. False when it cannot watch: no inotify instance or
    // watch left, a path that is not absolute and plain, a symbolic link on
    // the way, a file system whose changes may not pass through this kernel.
    bool Watch(const std::string& hostPath, uint64_t* moment);
    // The changes counted so far, after reading every report queued. It only
    // grows, and it never repeats a value across a fork.
    uint64_t Count();

private:
    FileChangeCounter();
    // The rest run with mutex_ held.
    bool Open();
    uint64_t CountLocked();
    bool WatchFolder(const std::string& path, uint32_t mask, bool checkFileSystem);
    void ForgetFolder(int wd);
    void AfterFork();

    struct Folder {
        int wd = -1;
        uint32_t mask = 0;
    };
    std::mutex mutex_;
    int fd_ = -1;                                      // GUARDED_BY(mutex_): the inotify instance
    bool unavailable_ = false;                         // GUARDED_BY(mutex_): no instance could be made
    uint64_t count_ = 0;                               // GUARDED_BY(mutex_)
    std::unordered_map<std::string, Folder> folders_;  // GUARDED_BY(mutex_): folders watched, by path
    std::unordered_map<int, std::string> folderPaths_; // GUARDED_BY(mutex_): the same, by watch
};

}  // namespace vpr::win
