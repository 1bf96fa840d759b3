// KMAPPProcessApplication: the launch of a granted application. In this
// order: rights, the application to run (fault tolerance, load balancing),
// drives and captures, scripts, distribution, the start of its program.
#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../directory_calls.h"
#include "app_attributes.h"
#include "app_records.h"
#include "distributor.h"
#include "grants.h"
#include "launch_log.h"
#include "launch_records.h"
#include "library_state.h"
#include "network_resources.h"
#include "restart_files.h"
#include "vpr/win/process.h"

namespace vpr::launcher {

namespace {

constexpr DWORD kFlagMinimized = 0x1, kFlagMaximized = 0x4, kFlagLoadBalancing = 0x8, kFlagFaultTolerance = 0x10,
                kFlagInstallOnly = 0x80, kFlagAlwaysReboot = 0x200, kFlagNeverReboot = 0x800,
                kFlagAlwaysDistribute = 0x1000;

// Whether the folder the application's program lies in can be reached.
bool SourceReachable(DIR_CONTEXT context, const std::string& application, const AppAttributes& attributes) {
    if (attributes.path.empty()) return true;
    Distributor macros(context, application, nullptr);
    macros.LoadMacros();
    std::string folder = FolderOf(macros.macros().Expand(attributes.path));
    if (folder.empty()) return true;
    DWORD found = GetFileAttributesA(folder.c_str());
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY);
}

bool HasContent(DIR_CONTEXT context, const std::string& application, const AppAttributes& attributes,
                const std::string& stream) {
    std::vector<BYTE> bytes;
    return attributes.HasStream(stream) && ReadStream(context, application, stream, &bytes) && !bytes.empty();
}

class Launch {
public:
    Launch(DIR_CONTEXT context, KmappStatusCallback callback) : context_(context), callback_(callback) {}

    DWORD Run(const std::string& requested, const std::string& callerText);
    const LaunchFailure& failure() const { return failure_; }

private:
    DWORD Fail(DWORD result, DWORD detail, const std::string& name) {
        failure_ = {result, detail, name};
        return result;
    }
    // The application whose files and program serve this launch.
    std::string Choose(const std::string& application, const AppAttributes& attributes, AppAttributes* chosen);
    DWORD Start(const std::string& application, const AppAttributes& attributes, const MacroTable& macros,
                const std::string& callerText);

    DIR_CONTEXT context_;
    KmappStatusCallback callback_;
    LaunchFailure failure_;
    NetworkResources resources_;
};

std::string Launch::Choose(const std::string& application, const AppAttributes& attributes, AppAttributes* chosen) {
    *chosen = attributes;
    std::string source = application;
    if ((attributes.flags & kFlagLoadBalancing) && !attributes.loadBalancing.empty()) {
        static thread_local std::mt19937 random{std::random_device{}()};
        std::vector<std::string> pool = attributes.loadBalancing;
        std::shuffle(pool.begin(), pool.end(), random);
        for (const std::string& candidate : pool) {
            AppAttributes read;
            if (ReadAppAttributes(context_, candidate, AllAppAttributes(), &read) == DIR_SUCCESS) {
                source = candidate;
                *chosen = read;
                break;
            }
        }
    }
    if ((attributes.flags & kFlagFaultTolerance) && !SourceReachable(context_, source, *chosen)) {
        auto list = attributes.faultTolerance;
        std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
        for (const auto& [candidate, level] : list) {
            AppAttributes read;
            if (ReadAppAttributes(context_, candidate, AllAppAttributes(), &read) == DIR_SUCCESS &&
                SourceReachable(context_, candidate, read)) {
                *chosen = read;
                return candidate;
            }
        }
    }
    return source;
}

DWORD Launch::Start(const std::string& application, const AppAttributes& attributes, const MacroTable& macros,
                    const std::string& callerText) {
    std::string path = macros.Expand(attributes.path);
    std::string commandLine = vpr::win::QuoteArgument(path);
    std::string parameters = macros.Expand(attributes.parameters);
    if (!parameters.empty()) commandLine += " " + parameters;
    // A leading "~" only marks the text as dropped file names.
    std::string text = !callerText.empty() && callerText.front() == '~' ? callerText.substr(1) : callerText;
    if (!text.empty()) commandLine += " " + text;
    std::string directory = macros.Expand(attributes.workingDirectory);

    // Search drives go on the program's PATH.
    std::string environment;
    bool searchDrives = !resources_.pathFirst.empty() || !resources_.pathLast.empty();
    if (searchDrives) {
        std::string oldPath;
        for (char** entry = environ; *entry; ++entry) {
            if (std::strncmp(*entry, "PATH=", 5) == 0) {
                oldPath = *entry + 5;
                continue;
            }
            environment.append(*entry).push_back('\0');
        }
        std::string newPath;
        for (const std::string& drive : resources_.pathFirst) newPath += drive + ";";
        newPath += oldPath;
        for (const std::string& drive : resources_.pathLast) newPath += ";" + drive;
        environment.append("PATH=" + newPath).push_back('\0');
        environment.push_back('\0');
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.wShowWindow = (attributes.flags & kFlagMinimized)   ? SW_SHOWMINIMIZED
                          : (attributes.flags & kFlagMaximized) ? SW_SHOWMAXIMIZED
                                                                : SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        searchDrives ? environment.data() : nullptr, directory.empty() ? nullptr : directory.c_str(),
                        &startup, &process))
        return Fail(KMAPP_LAUNCH_START_FAILED, GetLastError(), path);
    CloseHandle(process.hThread);
    LibraryState::Instance().AddProgram(process.dwProcessId, process.hProcess);
    AppIdentity identity = MakeIdentity(application, attributes.guid);
    RunningProgram running{process.dwProcessId, application, TreeOf(context_), resources_.drives,
                           resources_.captures, attributes.flags, identity.context, identity.guid};
    RecordRunning(running);
    return 0;
}

DWORD Launch::Run(const std::string& requested, const std::string& callerText) {
    std::string application = CompleteName(context_, requested);
    if (application.empty() || !IsGranted(context_, application))
        return Fail(KMAPP_LAUNCH_NOT_GRANTED, ERROR_ACCESS_DENIED, requested);
    AppAttributes attributes;
    int status = ReadAppAttributes(context_, application, AllAppAttributes(), &attributes);
    if (status != DIR_SUCCESS) return Fail(KMAPP_LAUNCH_NOT_GRANTED, static_cast<DWORD>(status), requested);
    AppIdentity identity = MakeIdentity(application, attributes.guid);

    AppAttributes chosen;
    std::string source = Choose(application, attributes, &chosen);
    if (source != application) WriteLog(CurrentUser(context_), application, "runs from " + source);

    if (!AcquireResources(context_, chosen, &resources_, &failure_)) return failure_.result;
    auto release = [&](DWORD result) {
        ReleaseResources(resources_.drives, resources_.captures);
        return result;
    };
    if (HasContent(context_, source, chosen, "App:Startup Script"))
        return release(Fail(KMAPP_LAUNCH_NO_SCRIPTS, ERROR_FILE_NOT_FOUND, KMAPP_SCRIPT_PROCESSOR));
    if (HasContent(context_, source, chosen, "App:Shutdown Script"))
        LogForApplication(context_, application, "shutdown script skipped: no script processor");

    Distributor distributor(context_, source, callback_);
    bool distribute = !IsInstalledWithVersion(identity, chosen.versionString) || (chosen.flags & kFlagAlwaysDistribute);
    if (distribute) {
        if (!distributor.Run()) {
            failure_ = distributor.failure();
            return release(failure_.result);
        }
        RecordInstalled(identity, application, chosen.versionString);
    } else {
        distributor.LoadMacros();
    }
    // "Always reboot" follows a distribution; an installed application starts.
    bool restart = distribute && (distributor.restartNeeded() || (chosen.flags & kFlagAlwaysReboot));
    if (chosen.flags & kFlagNeverReboot) restart = false;
    if (restart) return release(Fail(KMAPP_LAUNCH_RESTART, 0, ""));
    if (chosen.flags & kFlagInstallOnly) {
        release(0);
    } else if (DWORD result = Start(source, chosen, distributor.macros(), callerText); result != 0) {
        return release(result);
    }
    RecordLaunchSucceeded(identity);
    return 0;
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
    return text;
}

}  // namespace

}  // namespace vpr::launcher

using namespace vpr::launcher;

extern "C" DWORD KMAPPProcessApplication(DIR_CONTEXT context, LPCSTR application, DWORD* detail,
                                         LPSTR parameters, DWORD size, KmappStatusCallback callback) {
    DWORD ignored = 0;
    if (!detail) detail = &ignored;
    *detail = 0;
    std::string callerText;
    if (parameters) callerText.assign(parameters, strnlen(parameters, size));
    std::string name = application ? application : "";
    Launch launch(context, callback);
    DWORD result = launch.Run(name, callerText);
    if (result == 0) {
        LogForApplication(context, name, "launched");
        return 0;
    }
    const LaunchFailure& failure = launch.failure();
    *detail = failure.detail;
    if (parameters && size > 0 && result != KMAPP_LAUNCH_RESTART) CopyText(failure.name, parameters, size + 1);
    LogForApplication(context, name,
                      result == KMAPP_LAUNCH_RESTART
                          ? "distributed; files are replaced when Windows restarts"
                          : "launch failed " + Hex(result) + " (detail " + std::to_string(failure.detail) + ") " +
                                failure.name);
    return result;
}
