// Files and directories of "App:Copy Files".
#include <ctime>
#include <string>

#include "distributor.h"
#include "reg_key.h"
#include "restart_files.h"
#include "vpr/win/clock.h"

namespace vpr::launcher {

namespace {

// Copy modes of a file entry's flags, tried in this order.
constexpr DWORD kAlways = 0x1, kIfExists = 0x2, kIfAbsent = 0x4, kIfNewer = 0x8, kIfNewerAndExists = 0x10,
                kAsk = 0x20, kShared = 0x200;

const char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

struct FileFacts {
    bool exists = false;
    DWORD size = 0;
    int64_t writeTime = 0;  // seconds since 1970
    bool hasVersion = false;
    uint64_t version = 0;
};

FileFacts Facts(const std::string& path) {
    FileFacts facts;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return facts;
    FindClose(find);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return facts;
    facts.exists = true;
    facts.size = data.nFileSizeLow;
    uint64_t ticks = uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
    facts.writeTime = static_cast<int64_t>(ticks / 10000000) - 11644473600LL;
    DWORD handle = 0, size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size > 0) {
        std::string block(size, '\0');
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (GetFileVersionInfoA(path.c_str(), handle, size, block.data()) &&
            VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &length) && info &&
            length >= sizeof(VS_FIXEDFILEINFO)) {
            facts.hasVersion = true;
            facts.version = uint64_t{info->dwFileVersionMS} << 32 | info->dwFileVersionLS;
        }
    }
    return facts;
}

// File versions when both files have one, else their times of last write.
bool Newer(const FileFacts& source, const FileFacts& target) {
    if (source.hasVersion && target.hasVersion) return source.version > target.version;
    return source.writeTime > target.writeTime;
}

void LocalParts(int64_t time, WORD* hour, WORD* minute, WORD* second, WORD* year, WORD* month, WORD* day) {
    std::tm tm{};
    vpr::win::ToLocalTime(time, &tm);
    *hour = static_cast<WORD>(tm.tm_hour);
    *minute = static_cast<WORD>(tm.tm_min);
    *second = static_cast<WORD>(tm.tm_sec);
    *year = static_cast<WORD>(tm.tm_year + 1900);
    *month = static_cast<WORD>(tm.tm_mon + 1);
    *day = static_cast<WORD>(tm.tm_mday);
}

// Counts a shared file's users up or down; the count after the change.
DWORD ChangeSharedCount(const std::string& file, int change) {
    RegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kSharedDlls) != ERROR_SUCCESS) return change > 0 ? 1 : 0;
    DWORD count = key.GetDword(file, DWORD{0});
    count = change > 0 ? count + 1 : (count > 0 ? count - 1 : 0);
    if (count == 0) {
        key.DeleteValue(file);
    } else {
        key.SetDword(file, count);
    }
    return count;
}

}  // namespace

bool Distributor::ApplyFiles(const std::vector<TemplateEntry*>& entries) {
    DWORD files = 0, directories = 0;
    for (const TemplateEntry* entry : entries) {
        if (entry->kind == TEMPLATE_KIND_FILE) ++files;
        if (entry->kind == TEMPLATE_KIND_DIR) ++directories;
    }
    DWORD file = 0, directory = 0;
    for (const TemplateEntry* entry : entries) {
        bool done = true;
        if (entry->kind == TEMPLATE_KIND_FILE) {
            ++file;
            done = entry->subtype == 2 ? DeleteFileEntry(*entry, file, files) : CopyFileEntry(*entry, file, files);
        } else if (entry->kind == TEMPLATE_KIND_DIR) {
            done = DirectoryEntry(*entry, ++directory, directories);
        }
        if (!done) return false;
    }
    return true;
}

bool Distributor::CopyFileEntry(const TemplateEntry& entry, DWORD position, DWORD total) {
    std::string source = Text(entry, 0), target = Text(entry, 1);
    DWORD flags = entry.values[0];
    FileFacts from = Facts(source);
    if (!from.exists) return Fail(KMAPP_LAUNCH_COPY_FAILED, ERROR_FILE_NOT_FOUND, source);
    // Copying always needs nothing of the target: it is not looked at.
    FileFacts to = flags & kAlways ? FileFacts{} : Facts(target);
    bool copy = true;
    if (flags & kAlways) {
        copy = true;
    } else if (flags & kIfExists) {
        copy = to.exists;
    } else if (flags & kIfAbsent) {
        copy = !to.exists;
    } else if (flags & kIfNewer) {
        copy = !to.exists || Newer(from, to);
    } else if (flags & kIfNewerAndExists) {
        copy = to.exists && Newer(from, to);
    } else if ((flags & kAsk) && to.exists) {
        KmappReplaceStatus status{};
        status.path = target.data();
        LocalParts(from.writeTime, &status.sourceHour, &status.sourceMinute, &status.sourceSecond,
                   &status.sourceYear, &status.sourceMonth, &status.sourceDay);
        LocalParts(to.writeTime, &status.targetHour, &status.targetMinute, &status.targetSecond,
                   &status.targetYear, &status.targetMonth, &status.targetDay);
        status.sourceSize = from.size;
        status.targetSize = to.size;
        copy = Report(KMAPP_STATUS_REPLACE_FILE, &status) != KMAPP_ANSWER_SKIP;
    }
    if (copy) {
        if (!CreateFolders(FolderOf(target))) return Fail(KMAPP_LAUNCH_COPY_FAILED, GetLastError(), target);
        if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
            DWORD error = GetLastError();
            // A file in use is replaced when Windows starts again.
            if (error != ERROR_SHARING_VIOLATION) return Fail(KMAPP_LAUNCH_COPY_FAILED, error, target);
            if (!ReplaceAtRestart(source, target)) return Fail(KMAPP_LAUNCH_COPY_FAILED, GetLastError(), target);
            restartNeeded_ = true;
        }
        if (flags & kShared) ChangeSharedCount(target, +1);
    }
    KmappItemStatus status{0, target.data(), position, total};
    Report(KMAPP_STATUS_FILE_COPIED, &status);
    return true;
}

bool Distributor::DeleteFileEntry(const TemplateEntry& entry, DWORD position, DWORD total) {
    std::string target = Text(entry, 0);
    // A shared file goes only with its last user.
    bool remove = !(entry.values[0] & kShared) || ChangeSharedCount(target, -1) == 0;
    if (remove && !DeleteFileA(target.c_str())) {
        DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) {
            if (!DeleteAtRestart(target)) return Fail(KMAPP_LAUNCH_DELETE_FAILED, GetLastError(), target);
            restartNeeded_ = true;
        } else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            return Fail(KMAPP_LAUNCH_DELETE_FAILED, error, target);
        }
    }
    KmappPathStatus status{target.data(), position, total};
    Report(KMAPP_STATUS_FILE_DELETED, &status);
    return true;
}

bool Distributor::DirectoryEntry(const TemplateEntry& entry, DWORD position, DWORD total) {
    std::string path = Text(entry, 0);
    KmappPathStatus status{path.data(), position, total};
    if (entry.subtype == 2) {
        // Only an empty directory goes; one that still holds files stays.
        if (RemoveDirectoryA(path.c_str())) Report(KMAPP_STATUS_DIR_REMOVED, &status);
        return true;
    }
    if (!CreateFolders(path)) return Fail(KMAPP_LAUNCH_COPY_FAILED, GetLastError(), path);
    Report(KMAPP_STATUS_DIR_MADE, &status);
    return true;
}

}  // namespace vpr::launcher
