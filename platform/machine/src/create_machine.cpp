// Creation of a new machine with the folders and files a fresh workstation has.
#include <dlfcn.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "vpr/machine/atomic_file.h"
#include "vpr/machine/machine.h"

namespace vpr::machine {

std::vector<MachineSeeder> RegisteredSeeders();  // machine.cpp

namespace {

namespace fs = std::filesystem;

// Text files of a Windows machine end their lines with CR LF.
bool WriteDosText(const std::string& path, const std::vector<std::string>& lines, std::string* error) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return WriteFileAtomically(path, text, error);
}

std::vector<std::string> WinIni(const CreateOptions& options) {
    return {
        "[windows]",
        "load=",
        "run=",
        "NullPort=None",
        "device=",
        "Beep=yes",
        "BorderWidth=3",
        "DoubleClickSpeed=452",
        "ScreenSaveActive=0",
        "",
        "[Desktop]",
        "Wallpaper=(None)",
        "TileWallpaper=0",
        "WallpaperStyle=0",
        "Pattern=(None)",
        "",
        "[intl]",
        "iCountry=1",
        "sCountry=United States",
        "sLanguage=enu",
        "sList=,",
        "sDecimal=.",
        "sThousand=,",
        "iDate=0",
        "sShortDate=M/d/yy",
        "sLongDate=dddd, MMMM dd, yyyy",
        "iTime=0",
        "s1159=AM",
        "s2359=PM",
        "",
        "[fonts]",
        "",
        "[extensions]",
        "txt=notepad.exe ^.txt",
        "ini=notepad.exe ^.ini",
        "bat=notepad.exe ^.bat",
        "",
        "[ports]",
        "LPT1:=",
        "COM1:=9600,n,8,1,x",
        "FILE:=",
        "",
        "[devices]",
        "",
        "[PrinterPorts]",
        "",
        "[mci extensions]",
        "",
        "[MAIL]",
        options.mapi ? "MAPI=1" : "MAPI=0",
    };
}

std::vector<std::string> SystemIni() {
    return {
        "[boot]",
        "shell=Explorer.exe",
        "system.drv=system.drv",
        "",
        "[boot.description]",
        "",
        "[386Enh]",
        "",
        "[drivers]",
    };
}

bool CheckOptions(const CreateOptions& options, std::string* error) {
    if (!IsSupportedCodePage(options.codePage)) {
        *error = "code page " + std::to_string(options.codePage) + " is not supported (65001, 1252 or 932)";
        return false;
    }
    if (options.userName.empty() || options.userName.find_first_of("\\/:*?\"<>|") != std::string::npos) {
        *error = "user name \"" + options.userName + "\" cannot name a folder";
        return false;
    }
    if (options.computerName.empty() || options.computerName.size() > 15) {
        *error = "computer name must have 1 to 15 characters";
        return false;
    }
    for (const auto& [letter, folder] : options.drives) {
        char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        if (upper < 'A' || upper > 'Z') {
            *error = std::string("drive ") + letter + ": is not a drive letter";
            return false;
        }
        if (upper == 'Z') {
            *error = "drive Z: is always the host's /";
            return false;
        }
        if (folder.empty()) {
            *error = std::string("drive ") + upper + ": needs a host folder";
            return false;
        }
    }
    return true;
}

bool MakeFolders(const Machine& m, std::string* error) {
    std::vector<std::string> folders = {
        m.windowsDirectory,
        m.SystemDirectory(),
        m.windowsDirectory + "\\Fonts",
        m.windowsDirectory + "\\Recent",
        m.windowsDirectory + "\\SendTo",
        m.DesktopDirectory(),
        m.ProgramsDirectory() + "\\StartUp",
        m.TempDirectory(),
        "C:\\Program Files\\Common Files",
    };
    if (m.platform == Platform::NT4) {
        folders.push_back(m.windowsDirectory + "\\Profiles\\All Users\\Desktop");
        folders.push_back(m.windowsDirectory + "\\Profiles\\All Users\\Start Menu\\Programs");
    }
    for (const auto& folder : folders) {
        std::error_code ec;
        fs::create_directories(m.HostPathAsWritten(folder), ec);
        if (ec) {
            *error = "cannot create " + folder + ": " + ec.message();
            return false;
        }
    }
    return true;
}

// The shell's program and modules, built beside this library, are copied
// into the new machine: EXPLORER.EXE into the Windows folder (a copy, so the
// process's path is the machine's file), SHELL32.DLL and MAPI32.DLL into the
// system folder. A build that has not made one of them leaves it out.
bool InstallShellFiles(const Machine& m, std::string* error) {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&CreateMachine), &info) || !info.dli_fname) return true;
    fs::path built = fs::path(info.dli_fname).parent_path();
    const std::pair<const char*, std::string> files[] = {
        {"EXPLORER.EXE", m.windowsDirectory},
        {"SHELL32.DLL", m.SystemDirectory()},
        {"MAPI32.DLL", m.SystemDirectory()},
    };
    for (const auto& [name, folder] : files) {
        std::error_code ec;
        if (!fs::exists(built / name, ec)) continue;
        std::string target = m.HostPathAsWritten(folder + "\\" + name);
        fs::copy_file(built / name, target, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            *error = std::string("cannot copy ") + name + " into the machine: " + ec.message();
            return false;
        }
    }
    return true;
}

}  // namespace

bool CreateMachine(const std::string& dir, const CreateOptions& options, std::string* error) {
    std::string problem;
    if (!error) error = &problem;
    if (!CheckOptions(options, error)) return false;
    std::error_code ec;
    fs::path root = fs::absolute(dir, ec);
    if (ec || dir.empty()) {
        *error = "bad machine folder \"" + dir + "\"";
        return false;
    }
    root = root.lexically_normal();
    std::string rootText = root.string();
    while (rootText.size() > 1 && rootText.back() == '/') rootText.pop_back();
    if (fs::exists(root / "machine.ini")) {
        *error = rootText + " holds a machine already";
        return false;
    }
    if (fs::exists(root) && !fs::is_empty(root, ec)) {
        *error = rootText + " is not empty";
        return false;
    }
    fs::create_directories(root, ec);
    if (ec) {
        *error = "cannot create " + rootText + ": " + ec.message();
        return false;
    }

    Machine m;
    m.root = rootText;
    m.platform = options.platform;
    if (m.platform == Platform::NT4) {
        m.buildNumber = 1381;
        m.servicePack = "Service Pack 3";
    }
    m.codePage = options.codePage;
    m.userName = options.userName;
    m.computerName = options.computerName;
    m.drives['C'] = rootText + "/c";
    for (const auto& [letter, folder] : options.drives) {
        char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        m.drives[upper] = folder[0] == '/' ? folder : rootText + "/" + folder;
    }

    // Drive folders: relative ones are part of the machine and made here;
    // outside ones must exist already.
    bool ok = true;
    for (const auto& [letter, folder] : m.drives) {
        bool inside = folder.compare(0, rootText.size() + 1, rootText + "/") == 0;
        if (inside) {
            fs::create_directories(folder, ec);
        } else if (!fs::is_directory(folder, ec)) {
            ec = std::make_error_code(std::errc::not_a_directory);
        }
        if (ec) {
            *error = std::string("drive ") + letter + ": " + folder + ": " + ec.message();
            ok = false;
            break;
        }
    }
    ok = ok && MakeFolders(m, error) &&
         WriteDosText(m.HostPathAsWritten(m.windowsDirectory + "\\win.ini"), WinIni(options), error) &&
         WriteDosText(m.HostPathAsWritten(m.windowsDirectory + "\\system.ini"), SystemIni(), error) &&
         WriteDosText(m.HostPathAsWritten("C:\\AUTOEXEC.BAT"), {"@ECHO OFF", "SET TEMP=" + m.TempDirectory()}, error) &&
         WriteDosText(m.HostPathAsWritten("C:\\CONFIG.SYS"), {"FILES=60"}, error) &&
         InstallShellFiles(m, error) && m.Save(error);
    if (ok) {
        for (MachineSeeder seeder : RegisteredSeeders()) {
            if (!seeder(m, error)) {
                ok = false;
                break;
            }
        }
    }
    if (!ok) {
        // Leave nothing half made: the folder was empty or absent before.
        for (const auto& entry : fs::directory_iterator(root, ec)) fs::remove_all(entry.path(), ec);
    }
    return ok;
}

}  // namespace vpr::machine
