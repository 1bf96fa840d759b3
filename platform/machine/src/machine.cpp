#include "vpr/machine/machine.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "vpr/machine/atomic_file.h"
#include "vpr/machine/code_page.h"
#include "vpr/machine/ini_text.h"

namespace vpr::machine {

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Drive folders in machine.ini may be relative to the root, so that a
// machine folder can be moved or copied as a whole.
std::string AbsoluteUnder(const std::string& root, const std::string& folder) {
    if (!folder.empty() && folder[0] == '/') return folder;
    return root + "/" + folder;
}

std::string RelativeToRoot(const std::string& root, const std::string& folder) {
    if (folder.size() > root.size() && folder.compare(0, root.size(), root) == 0 &&
        folder[root.size()] == '/')
        return folder.substr(root.size() + 1);
    return folder;
}

bool ParseInt(const std::string& text, int low, int high, int* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || n < low || n > high) return false;
    *value = static_cast<int>(n);
    return true;
}

bool ParseBool(const std::string& text, bool* value) {
    if (text == "0" || text == "1") {
        *value = text == "1";
        return true;
    }
    return false;
}

bool ParseVersion(const std::string& text, Machine* m) {
    int major = 0, minor = 0, build = 0;
    std::istringstream in(text);
    std::string a, b, c;
    if (!std::getline(in, a, '.') || !std::getline(in, b, '.') || !std::getline(in, c) ||
        !ParseInt(a, 0, 255, &major) || !ParseInt(b, 0, 255, &minor) ||
        !ParseInt(c, 0, 65535, &build))
        return false;
    m->majorVersion = major;
    m->minorVersion = minor;
    m->buildNumber = build;
    return true;
}

void SetPlatformDefaults(Machine* m) {
    if (m->platform == Platform::NT4) {
        m->buildNumber = 1381;
        m->servicePack = "Service Pack 3";
    } else {
        m->buildNumber = 950;
        m->servicePack.clear();
    }
    m->majorVersion = 4;
    m->minorVersion = 0;
}

bool IsWindowsPathOnDrive(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && path[2] == '\\';
}

// Reads machine.ini whole; a file with a NUL byte is not a text file.
bool ReadIniFile(const std::string& path, std::string* text, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::stringstream content;
    content << in.rdbuf();
    *text = content.str();
    if (text->find('\0') != std::string::npos) {
        *error = path + ": not a text file";
        return false;
    }
    return true;
}

// Applies one machine.ini value; returns an error text or "".
std::string ApplyValue(Machine* m, const IniText::KeyLine& e) {
    const std::string section = Upper(e.section);
    const std::string key = Upper(e.key);
    const std::string& v = e.value;
    auto bad = [&](const char* what) {
        return "[" + e.section + "] " + e.key + "=" + v + ": " + what;
    };
    if (section == "MACHINE") {
        if (key == "PLATFORM") {
            if (!ParsePlatform(v, &m->platform)) return bad("platform must be 95 or nt4");
            SetPlatformDefaults(m);
        } else if (key == "VERSION") {
            if (!ParseVersion(v, m)) return bad("version must be major.minor.build");
        } else if (key == "SERVICEPACK") {
            m->servicePack = v;
        } else if (key == "CODEPAGE") {
            int cp = 0;
            if (!ParseInt(v, 0, 65535, &cp) || !IsSupportedCodePage(static_cast<unsigned>(cp)))
                return bad("code page must be 65001, 1252 or 932");
            m->codePage = static_cast<unsigned>(cp);
        } else if (key == "COMPUTERNAME") {
            if (v.empty() || v.size() > 15) return bad("computer name must have 1 to 15 characters");
            m->computerName = v;
        } else if (key == "USERNAME") {
            if (v.empty() || v.size() > 256) return bad("user name must have 1 to 256 characters");
            m->userName = v;
        } else if (key == "SAFEMODE") {
            if (!ParseBool(v, &m->safeMode)) return bad("safe mode must be 0 or 1");
        } else if (key == "WINDOWSDIRECTORY") {
            if (!IsWindowsPathOnDrive(v)) return bad("must be a full Windows path such as C:\\WINDOWS");
            m->windowsDirectory = v;
            while (m->windowsDirectory.size() > 3 && m->windowsDirectory.back() == '\\')
                m->windowsDirectory.pop_back();
        } else {
            return bad("unknown key");
        }
    } else if (section == "DRIVES") {
        if (key.size() != 1 || key[0] < 'A' || key[0] > 'Z') return bad("a drive is one letter A to Z");
        if (v.empty()) return bad("a drive needs a host folder");
        if (key[0] != 'Z') m->drives[key[0]] = AbsoluteUnder(m->root, v);
    } else if (section == "UNC") {
        // Keys are "\\SERVER\SHARE".
        size_t slash = key.find('\\', 2);
        if (key.size() < 5 || key.compare(0, 2, "\\\\") != 0 || slash == std::string::npos ||
            slash == 2 || slash + 1 >= key.size() || key.find('\\', slash + 1) != std::string::npos)
            return bad("a share is written \\\\SERVER\\SHARE");
        if (v.empty()) return bad("a share needs a host folder");
        m->uncShares[key] = AbsoluteUnder(m->root, v);
    } else if (section == "SCREEN") {
        int* field = key == "WIDTH"       ? &m->screen.width
                     : key == "HEIGHT"    ? &m->screen.height
                     : key == "ICON"      ? &m->screen.icon
                     : key == "SMALLICON" ? &m->screen.smallIcon
                     : key == "MENUCHECK" ? &m->screen.menuCheck
                                          : nullptr;
        if (field == nullptr) return bad("unknown key");
        if (!ParseInt(v, 1, 65535, field)) return bad("must be a number from 1 to 65535");
    } else if (section.rfind("TREE ", 0) == 0) {
        std::string name = e.section.substr(5);
        auto it = std::find_if(m->trees.begin(), m->trees.end(),
                               [&](const TreeAttachment& t) { return Upper(t.name) == Upper(name); });
        if (it == m->trees.end()) {
            m->trees.push_back({name, "", "", false});
            it = m->trees.end() - 1;
        }
        if (key == "STORE") {
            it->storeFile = AbsoluteUnder(m->root, v);
        } else if (key == "USER") {
            it->user = v;
        } else if (key == "AUTHENTICATED") {
            if (!ParseBool(v, &it->authenticated)) return bad("must be 0 or 1");
        } else {
            return bad("unknown key");
        }
    }
    // Other sections are left for other tools.
    return "";
}

std::string WindowsJoin(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

// Journal lines are "kind<TAB>text" with \, tab and line ends escaped.
std::string EscapeJournal(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

std::string UnescapeJournal(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

struct CurrentState {
    std::mutex mutex;
    bool loaded = false;
    bool expected = false;
    std::shared_ptr<const Machine> machine;
    std::string error;
    unsigned long generation = 1;
};

CurrentState& Current() {
    // Never destroyed: the machine may be asked for from static destructors.
    static CurrentState* state = new CurrentState;
    return *state;
}

// Loads `root` into the state; the caller holds the mutex.
bool LoadInto(CurrentState& s, const std::string& root, std::string* error) {
    s.loaded = true;
    s.expected = !root.empty();
    ++s.generation;
    s.machine.reset();
    s.error.clear();
    if (root.empty()) return true;
    auto m = std::make_shared<Machine>();
    if (!LoadMachine(root, m.get(), &s.error)) {
        if (error) *error = s.error;
        return false;
    }
    s.machine = std::move(m);
    return true;
}

void EnsureLoaded(CurrentState& s) {
    if (s.loaded) return;
    const char* env = std::getenv("VPR_MACHINE");
    LoadInto(s, env ? env : "", nullptr);
}

std::mutex g_seedersMutex;
std::vector<MachineSeeder>& Seeders() {
    static auto* seeders = new std::vector<MachineSeeder>;
    return *seeders;
}

}  // namespace

bool ParsePlatform(const std::string& text, Platform* platform) {
    std::string t = Upper(text);
    if (t == "95") {
        *platform = Platform::Win95;
    } else if (t == "NT4") {
        *platform = Platform::NT4;
    } else {
        return false;
    }
    return true;
}

const char* PlatformName(Platform platform) { return platform == Platform::NT4 ? "nt4" : "95"; }

bool IsSupportedCodePage(unsigned codePage) {
    return codePage == 65001 || codePage == 1252 || codePage == 932;
}

std::string Machine::SystemDirectory() const {
    return WindowsJoin(windowsDirectory, platform == Platform::NT4 ? "SYSTEM32" : "SYSTEM");
}

std::string Machine::ProfileDirectory() const {
    if (platform == Platform::NT4) return WindowsJoin(windowsDirectory, "Profiles\\" + userName);
    return windowsDirectory;
}

std::string Machine::DesktopDirectory() const { return WindowsJoin(ProfileDirectory(), "Desktop"); }

std::string Machine::StartMenuDirectory() const {
    return WindowsJoin(ProfileDirectory(), "Start Menu");
}

std::string Machine::ProgramsDirectory() const {
    return WindowsJoin(StartMenuDirectory(), "Programs");
}

std::string Machine::TempDirectory() const {
    if (platform == Platform::NT4) return windowsDirectory.substr(0, 3) + "TEMP";
    return WindowsJoin(windowsDirectory, "TEMP");
}

std::string Machine::IniFile() const { return root + "/machine.ini"; }
std::string Machine::RegistryFile() const { return root + "/registry.db"; }
std::string Machine::JournalFile() const { return root + "/journal.txt"; }

std::string Machine::DriveFolder(char letter) const {
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (upper == 'Z') return "/";
    auto it = drives.find(upper);
    return it == drives.end() ? std::string() : it->second;
}

std::string Machine::HostPathAsWritten(const std::string& windowsPath) const {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return "";
    std::string path = DriveFolder(windowsPath[0]);
    if (path.empty()) return "";
    if (path.back() == '/') path.pop_back();
    for (size_t i = 2; i < windowsPath.size(); ++i)
        path += windowsPath[i] == '\\' ? '/' : windowsPath[i];
    return path.empty() ? "/" : path;
}

bool Machine::Record(const std::string& kind, const std::string& text, std::string* error) const {
    std::string line = EscapeJournal(kind) + "\t" + EscapeJournal(text) + "\n";
    int fd = ::open(JournalFile().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error) *error = "cannot write " + JournalFile() + ": " + std::strerror(errno);
        return false;
    }
    // One write under an exclusive lock keeps lines of several processes
    // whole; a line that cannot be written whole is taken back out.
    ::flock(fd, LOCK_EX);
    struct stat st {};
    int cause = 0;
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) cause = errno;
    size_t written = 0;
    while (ok && written < line.size()) {
        size_t allowed = static_cast<size_t>(WritableBytes(JournalFile(), line.size() - written));
        ssize_t n = allowed == 0 ? -1 : ::write(fd, line.data() + written, allowed);
        if (n < 0 && allowed > 0 && errno == EINTR) continue;
        if (n <= 0) {
            cause = allowed == 0 ? ENOSPC : n == 0 ? EIO : errno;
            ok = false;
        } else {
            written += static_cast<size_t>(n);
        }
    }
    if (!ok) {
        if (written > 0) (void)!::ftruncate(fd, st.st_size);
        if (error) *error = "cannot write " + JournalFile() + ": " + std::strerror(cause);
    }
    ::flock(fd, LOCK_UN);
    if (::close(fd) != 0 && ok) {
        if (error) *error = "cannot write " + JournalFile() + ": " + std::strerror(errno);
        ok = false;
    }
    return ok;
}

std::vector<Machine::JournalEntry> Machine::ReadJournal() const {
    std::vector<JournalEntry> entries;
    int fd = ::open(JournalFile().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return entries;
    ::flock(fd, LOCK_SH);
    std::string data;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) data.append(buffer, static_cast<size_t>(n));
    ::flock(fd, LOCK_UN);
    ::close(fd);
    std::istringstream in(data);
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        entries.push_back({UnescapeJournal(line.substr(0, tab)), UnescapeJournal(line.substr(tab + 1))});
    }
    return entries;
}

bool Machine::Save(std::string* error) const {
    IniText ini("");
    ini.SetLineEnd("\n");  // a host file that people edit
    auto set = [&](const std::string& section, const std::string& key, const std::string& value) {
        ini.SetValue(section, key, value);
    };
    set("Machine", "Platform", PlatformName(platform));
    set("Machine", "Version",
            std::to_string(majorVersion) + "." + std::to_string(minorVersion) + "." +
                std::to_string(buildNumber));
    set("Machine", "ServicePack", servicePack);
    set("Machine", "CodePage", std::to_string(codePage));
    set("Machine", "ComputerName", computerName);
    set("Machine", "UserName", userName);
    set("Machine", "SafeMode", safeMode ? "1" : "0");
    set("Machine", "WindowsDirectory", windowsDirectory);
    set("Drives", "Z", "/");
    for (const auto& [letter, folder] : drives)
        if (letter != 'Z') set("Drives", std::string(1, letter), RelativeToRoot(root, folder));
    for (const auto& [share, folder] : uncShares) set("UNC", share, RelativeToRoot(root, folder));
    set("Screen", "Width", std::to_string(screen.width));
    set("Screen", "Height", std::to_string(screen.height));
    set("Screen", "Icon", std::to_string(screen.icon));
    set("Screen", "SmallIcon", std::to_string(screen.smallIcon));
    set("Screen", "MenuCheck", std::to_string(screen.menuCheck));
    for (const auto& tree : trees) {
        std::string section = "Tree " + tree.name;
        set(section, "Store", RelativeToRoot(root, tree.storeFile));
        set(section, "User", tree.user);
        set(section, "Authenticated", tree.authenticated ? "1" : "0");
    }
    return WriteFileAtomically(IniFile(), ini.Text(), error);
}

bool LoadMachine(const std::string& root, Machine* machine, std::string* error) {
    std::string cleanRoot = root;
    while (cleanRoot.size() > 1 && cleanRoot.back() == '/') cleanRoot.pop_back();
    if (cleanRoot.empty() || cleanRoot[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd) == nullptr) {
            if (error) *error = "cannot find the current folder: " + std::string(std::strerror(errno));
            return false;
        }
        cleanRoot = std::string(cwd) + (cleanRoot.empty() ? "" : "/" + cleanRoot);
    }
    Machine m;
    m.root = cleanRoot;
    std::string iniPath = m.IniFile();
    std::string text, readError;
    if (!ReadIniFile(iniPath, &text, &readError)) {
        if (error) *error = "machine " + cleanRoot + ": " + readError;
        return false;
    }
    IniText ini(text);
    if (std::string problem = ini.FirstMalformedLine(); !problem.empty()) {
        if (error) *error = "machine " + cleanRoot + ": " + iniPath + " " + problem;
        return false;
    }
    auto sections = ini.SectionNames();
    if (std::none_of(sections.begin(), sections.end(),
                     [](const std::string& s) { return SameNoCase(s, "Machine", 65001); })) {
        if (error) *error = iniPath + ": no [Machine] section; not a machine folder";
        return false;
    }
    // Platform first: it sets the version defaults that later keys may override.
    for (const auto& pass : {true, false}) {
        for (const auto& entry : ini.KeyLines()) {
            bool isPlatform = Upper(entry.section) == "MACHINE" && Upper(entry.key) == "PLATFORM";
            if (isPlatform != pass) continue;
            std::string problem = ApplyValue(&m, entry);
            if (!problem.empty()) {
                if (error) *error = iniPath + " line " + std::to_string(entry.line) + ": " + problem;
                return false;
            }
        }
    }
    *machine = std::move(m);
    return true;
}

std::shared_ptr<const Machine> CurrentMachine() {
    CurrentState& s = Current();
    std::lock_guard lock(s.mutex);
    EnsureLoaded(s);
    return s.machine;
}

std::string CurrentMachineError() {
    CurrentState& s = Current();
    std::lock_guard lock(s.mutex);
    EnsureLoaded(s);
    return s.error;
}

bool MachineExpected() {
    CurrentState& s = Current();
    std::lock_guard lock(s.mutex);
    EnsureLoaded(s);
    return s.expected;
}

bool UseMachine(const std::string& root, std::string* error) {
    CurrentState& s = Current();
    std::lock_guard lock(s.mutex);
    return LoadInto(s, root, error);
}

bool ReloadMachine(std::string* error) {
    CurrentState& s = Current();
    std::lock_guard lock(s.mutex);
    EnsureLoaded(s);
    if (!s.machine) {
        if (error) *error = s.expected ? s.error : "no machine";
        return false;
    }
    std::string root = s.machine->root;
    return LoadInto(s, root, error);
}

unsigned long MachineGeneration() {
    CurrentState& s = Current();
    std::lock_guard lock(s.mutex);
    EnsureLoaded(s);
    return s.generation;
}

bool Record(const std::string& kind, const std::string& text) {
    auto m = CurrentMachine();
    return m && m->Record(kind, text);
}

bool SetMachineFact(Machine* machine, const std::string& key, const std::string& value,
                    std::string* error) {
    static const std::map<std::string, std::pair<const char*, const char*>> kAliases = {
        {"PLATFORM", {"Machine", "Platform"}},         {"VERSION", {"Machine", "Version"}},
        {"SERVICEPACK", {"Machine", "ServicePack"}},   {"CODEPAGE", {"Machine", "CodePage"}},
        {"COMPUTER", {"Machine", "ComputerName"}},     {"USER", {"Machine", "UserName"}},
        {"SAFEMODE", {"Machine", "SafeMode"}},         {"WINDOWS", {"Machine", "WindowsDirectory"}},
        {"SCREEN.WIDTH", {"Screen", "Width"}},         {"SCREEN.HEIGHT", {"Screen", "Height"}},
        {"SCREEN.ICON", {"Screen", "Icon"}},           {"SCREEN.SMALLICON", {"Screen", "SmallIcon"}},
        {"SCREEN.MENUCHECK", {"Screen", "MenuCheck"}},
    };
    IniText::KeyLine entry;
    std::string upper = Upper(key);
    if (auto it = kAliases.find(upper); it != kAliases.end()) {
        entry = {it->second.first, it->second.second, value, 0};
    } else if (upper.rfind("DRIVE.", 0) == 0) {
        entry = {"Drives", key.substr(6), value, 0};
        std::string letter = Upper(entry.key);
        if (value.empty() && letter.size() == 1 && letter != "Z") {
            machine->drives.erase(letter[0]);
            return true;
        }
    } else if (upper.rfind("UNC.", 0) == 0) {
        entry = {"UNC", key.substr(4), value, 0};
        if (value.empty()) {
            machine->uncShares.erase(Upper(entry.key));
            return true;
        }
    } else if (size_t dot = upper.rfind('.'); upper.rfind("TREE.", 0) == 0 && dot > 5) {
        entry = {"Tree " + key.substr(5, dot - 5), key.substr(dot + 1), value, 0};
    } else {
        if (error) *error = "unknown fact \"" + key + "\"";
        return false;
    }
    Machine changed = *machine;
    std::string problem = ApplyValue(&changed, entry);
    if (!problem.empty()) {
        if (error) *error = problem;
        return false;
    }
    *machine = std::move(changed);
    return true;
}

void AddMachineSeeder(MachineSeeder seeder) {
    std::lock_guard lock(g_seedersMutex);
    auto& seeders = Seeders();
    if (std::find(seeders.begin(), seeders.end(), seeder) == seeders.end())
        seeders.push_back(seeder);
}

std::vector<MachineSeeder> RegisteredSeeders() {
    std::lock_guard lock(g_seedersMutex);
    return Seeders();
}

}  // namespace vpr::machine
