#include "network_resources.h"

#include <cctype>

#include "vpr/directory/client.h"
#include "vpr/locale/locale.h"
#include "vpr/machine/machine.h"
#include "vpr/win/path.h"

namespace vpr::launcher {

namespace {

constexpr DWORD kErrorAlreadyAssigned = 85;

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Changes drive letters of the machine's drive table (an empty folder
// removes the letter) and makes the change current for this process.
bool SetDrives(const std::vector<std::pair<char, std::string>>& changes) {
    auto current = vpr::machine::CurrentMachine();
    if (!current) return false;
    vpr::machine::Machine machine = *current;
    std::string error;
    for (const auto& [letter, folder] : changes)
        if (!vpr::machine::SetMachineFact(&machine, std::string("drive.") + letter, folder, &error)) return false;
    return machine.Save(&error) && vpr::machine::ReloadMachine(&error);
}

// Maps one drive mapping text; the letter goes into `resources`.
bool MapDrive(const std::string& text, NetworkResources* resources, LaunchFailure* failure) {
    DWORD flags = 0;
    char drive[16] = {}, path[256] = {};
    if (kmappParseDriveMapString(text.c_str(), &flags, drive, path) != 0) {
        *failure = {KMAPP_LAUNCH_BAD_DRIVE, ERROR_BAD_NETPATH, text};
        return false;
    }
    std::string unc = path;
    if (unc.size() < 3 || unc.compare(0, 2, "\\\\") != 0) {
        *failure = {KMAPP_LAUNCH_BAD_DRIVE, ERROR_BAD_NETPATH, unc};
        return false;
    }
    size_t serverEnd = unc.find('\\', 2);
    std::string server = unc.substr(2, serverEnd == std::string::npos ? std::string::npos : serverEnd - 2);
    size_t shareEnd = serverEnd == std::string::npos ? std::string::npos : unc.find('\\', serverEnd + 1);
    std::string share = Upper(unc.substr(0, shareEnd));
    auto machine = vpr::machine::CurrentMachine();
    if (!machine || serverEnd == std::string::npos || !machine->uncShares.count(share)) {
        *failure = {KMAPP_LAUNCH_NO_SERVER, ERROR_BAD_NETPATH, server};
        return false;
    }
    // A root mapping starts at the path's own folder; else at the share.
    std::string host;
    std::string mapped = (flags & KMAPP_DRIVE_ROOT) ? unc : share;
    DWORD attributes = GetFileAttributesA(mapped.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !vpr::win::ResolveHostPath(mapped.c_str(), &host)) {
        *failure = {KMAPP_LAUNCH_NO_SERVER, ERROR_BAD_NETPATH, server};
        return false;
    }
    char letter = 0;
    if (flags & KMAPP_DRIVE_NEXT_FREE) {
        for (char c = 'D'; c <= 'Y' && !letter; ++c)
            if (machine->DriveFolder(c).empty()) letter = c;
    } else if (drive[0]) {
        letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    }
    if (!letter) {
        *failure = {KMAPP_LAUNCH_DRIVE_IN_USE, kErrorAlreadyAssigned, drive};
        return false;
    }
    std::string driveText = std::string(1, letter) + ":";
    std::string existing = machine->DriveFolder(letter);
    if (!existing.empty() && existing != host) {
        *failure = {KMAPP_LAUNCH_DRIVE_IN_USE, kErrorAlreadyAssigned, driveText};
        return false;
    }
    if (existing.empty()) {
        if (!SetDrives({{letter, host}})) {
            *failure = {KMAPP_LAUNCH_DRIVE_IN_USE, ERROR_ACCESS_DENIED, driveText};
            return false;
        }
        resources->drives.push_back(letter);
    }
    if (flags & KMAPP_DRIVE_SEARCH_FIRST) resources->pathFirst.push_back(driveText + "\\");
    if (flags & KMAPP_DRIVE_SEARCH_LAST) resources->pathLast.push_back(driveText + "\\");
    return true;
}

bool Capture(DIR_CONTEXT context, const std::string& value, NetworkResources* resources, LaunchFailure* failure) {
    std::string port, queue;
    DWORD flags = 0;
    if (!ParseCapture(value, &port, &queue, &flags)) {
        *failure = {KMAPP_LAUNCH_BAD_CAPTURE, ERROR_INVALID_DATA, value};
        return false;
    }
    DirObjectInfo info;
    if (DirReadObjectInfo(context, queue.c_str(), nullptr, &info) != DIR_SUCCESS) {
        *failure = {KMAPP_LAUNCH_BAD_QUEUE, ERROR_BAD_NETPATH, queue};
        return false;
    }
    vpr::machine::Record("capture", port + " " + queue + " flags " + std::to_string(flags));
    resources->captures.push_back(port);
    return true;
}

}  // namespace

bool ParseCapture(const std::string& value, std::string* port, std::string* queue, DWORD* flags) {
    if (value.size() <= 5 || value[4] != ':' || value[5] != '=') return false;
    *port = Upper(value.substr(0, 4));
    *flags = 0;
    std::string rest = value.substr(6);
    size_t options = rest.find(" /");
    *queue = rest.substr(0, options);
    while (!queue->empty() && queue->back() == ' ') queue->pop_back();
    if (queue->empty()) return false;
    if (options == std::string::npos) return true;
    static const std::pair<const char*, DWORD> words[] = {{"FF", 0x24}, {"NFF", 0x04}, {"B", 0x12},
                                                          {"NB", 0x02},  {"NOTI", 0x09}, {"NNOTI", 0x01}};
    for (size_t start = options + 1; start < rest.size();) {
        size_t blank = rest.find(' ', start);
        if (blank == std::string::npos) blank = rest.size();
        std::string word = rest.substr(start, blank - start);
        start = blank + 1;
        if (word.empty()) continue;
        if (word.front() != '/') return false;
        bool known = false;
        for (const auto& [name, bits] : words) {
            if (word.compare(1, std::string::npos, name) == 0) {
                *flags |= bits;
                known = true;
            }
        }
        if (!known) return false;
    }
    return true;
}

bool AcquireResources(DIR_CONTEXT context, const AppAttributes& attributes, NetworkResources* resources,
                      LaunchFailure* failure) {
    bool done = true;
    for (const std::string& text : attributes.driveMappings)
        if (done && !text.empty()) done = MapDrive(text, resources, failure);
    for (const std::string& value : attributes.printerPorts)
        if (done && !value.empty()) done = Capture(context, value, resources, failure);
    if (!done) ReleaseResources(resources->drives, resources->captures);
    return done;
}

void ReleaseResources(const std::vector<char>& drives, const std::vector<std::string>& captures) {
    std::vector<std::pair<char, std::string>> removals;
    for (char letter : drives) removals.emplace_back(letter, "");
    if (!removals.empty()) SetDrives(removals);
    for (const std::string& port : captures) vpr::machine::Record("capture-end", port);
}

}  // namespace vpr::launcher
