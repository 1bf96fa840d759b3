#include "attribute_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "vpr/win/file.h"

namespace vpr::win {

namespace {

constexpr DWORD kStoredForFile = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD kStoredForFolder = kStoredForFile | FILE_ATTRIBUTE_READONLY;

DWORD DefaultFor(bool isFolder) { return isFolder ? 0 : FILE_ATTRIBUTE_ARCHIVE; }

void Split(const std::string& hostPath, std::string* folder, std::string* name) {
    size_t slash = hostPath.find_last_of('/');
    if (slash == std::string::npos) {
        *folder = ".";
        *name = hostPath;
    } else {
        *folder = slash == 0 ? "/" : hostPath.substr(0, slash);
        *name = hostPath.substr(slash + 1);
    }
}

std::string StorePath(const std::string& folder) {
    return folder == "/" ? std::string("/") + AttributeStore::kFileName : folder + "/" + AttributeStore::kFileName;
}

// One line per entry: the attributes in hex, a tab, the name.
std::map<std::string, DWORD> Parse(const std::string& text) {
    std::map<std::string, DWORD> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        char* stop = nullptr;
        unsigned long value = std::strtoul(line.c_str(), &stop, 16);
        if (stop != line.c_str() + tab) continue;
        entries[line.substr(tab + 1)] = static_cast<DWORD>(value);
    }
    return entries;
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    off_t offset = 0;
    while ((n = ::pread(fd, buffer, sizeof buffer, offset)) > 0) {
        text.append(buffer, static_cast<size_t>(n));
        offset += n;
    }
    return text;
}

std::map<std::string, DWORD> ReadStore(const std::string& folder) {
    int fd = ::open(StorePath(folder).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    ::flock(fd, LOCK_SH);
    auto entries = Parse(ReadAll(fd));
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return entries;
}

// Changes the store of one folder under its lock; an empty store goes away.
template <class Change>
bool Update(const std::string& folder, Change change) {
    std::string path = StorePath(folder);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    ::flock(fd, LOCK_EX);
    auto entries = Parse(ReadAll(fd));
    change(entries);
    std::string text;
    for (const auto& [name, value] : entries) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(value));
        text += std::string(hex) + "\t" + name + "\n";
    }
    bool ok = true;
    if (text.empty()) {
        ::unlink(path.c_str());
    } else {
        ok = ::ftruncate(fd, 0) == 0 &&
             ::pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size());
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return ok;
}

}  // namespace

DWORD AttributeStore::Attributes(const std::string& hostPath, const struct stat& st) {
    std::string folder, name;
    Split(hostPath, &folder, &name);
    return Attributes(ReadStore(folder), name, st);
}

std::map<std::string, DWORD> AttributeStore::ReadFolder(const std::string& folder) { return ReadStore(folder); }

DWORD AttributeStore::Attributes(const std::map<std::string, DWORD>& folderStore, const std::string& name,
                                 const struct stat& st) {
    bool isFolder = S_ISDIR(st.st_mode);
    auto it = folderStore.find(name);
    DWORD attributes = it == folderStore.end() ? DefaultFor(isFolder) : it->second;
    attributes &= isFolder ? kStoredForFolder : kStoredForFile;
    if (isFolder) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    } else if (!(st.st_mode & S_IWUSR)) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

bool AttributeStore::Store(const std::string& hostPath, bool isFolder, DWORD attributes) {
    DWORD stored = attributes & (isFolder ? kStoredForFolder : kStoredForFile);
    if (stored == DefaultFor(isFolder)) {
        Forget(hostPath);
        return true;
    }
    std::string folder, name;
    Split(hostPath, &folder, &name);
    return Update(folder, [&](std::map<std::string, DWORD>& entries) { entries[name] = stored; });
}

void AttributeStore::Forget(const std::string& hostPath) {
    std::string folder, name;
    Split(hostPath, &folder, &name);
    if (ReadStore(folder).count(name) == 0) return;
    Update(folder, [&](std::map<std::string, DWORD>& entries) { entries.erase(name); });
}

void AttributeStore::Copy(const std::string& from, const std::string& to) {
    std::string fromFolder, fromName, toFolder, toName;
    Split(from, &fromFolder, &fromName);
    Split(to, &toFolder, &toName);
    auto entries = ReadStore(fromFolder);
    auto it = entries.find(fromName);
    if (it == entries.end()) {
        Forget(to);
        return;
    }
    DWORD value = it->second;
    Update(toFolder, [&](std::map<std::string, DWORD>& target) { target[toName] = value; });
}

void AttributeStore::Move(const std::string& from, const std::string& to) {
    Copy(from, to);
    Forget(from);
}

}  // namespace vpr::win
