// A second process for the kernel tests. Commands:
//   hold NAME READY RELEASE  create the manual-reset event NAME, set READY,
//                            wait for RELEASE ("-": for ever), exit 0
//   signal NAME              create-or-open NAME and set it; exit 0 when it
//                            existed already, 1 when this made it
//   report FILE ...          write the command line, the current folder and
//                            VPR_TEST_VALUE to FILE, one per line; then set
//                            the event "VPR report written" when it exists
//   schedule PREFIX N        MoveFileExA(PREFIX0 .. PREFIX<N-1>, null,
//                            MOVEFILE_DELAY_UNTIL_REBOOT); exit 0 when all worked
//   exit N                   exit with code N
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "windows.h"

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "hold") == 0) {
        HANDLE held = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
        HANDLE ready = OpenEventA(EVENT_ALL_ACCESS, FALSE, argv[3]);
        if (!held || !ready) return 2;
        SetEvent(ready);
        HANDLE release = std::strcmp(argv[4], "-") == 0 ? CreateEventA(nullptr, TRUE, FALSE, nullptr)
                                                         : OpenEventA(EVENT_ALL_ACCESS, FALSE, argv[4]);
        if (!release) return 3;
        WaitForSingleObject(release, INFINITE);
        CloseHandle(held);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "signal") == 0) {
        HANDLE event = CreateEventA(nullptr, TRUE, FALSE, argv[2]);
        if (!event) return 2;
        bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
        SetEvent(event);
        CloseHandle(event);
        return existed ? 0 : 1;
    }
    if (argc >= 3 && std::strcmp(argv[1], "report") == 0) {
        FILE* out = std::fopen(argv[2], "w");
        if (!out) return 2;
        char cwd[4096];
        const char* value = std::getenv("VPR_TEST_VALUE");
        std::fprintf(out, "%s\n%s\n%s\n", GetCommandLineA(), getcwd(cwd, sizeof cwd) ? cwd : "",
                     value ? value : "(unset)");
        std::fclose(out);
        if (HANDLE written = OpenEventA(EVENT_ALL_ACCESS, FALSE, "VPR report written")) {
            SetEvent(written);
            CloseHandle(written);
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "schedule") == 0) {
        for (int i = 0; i < std::atoi(argv[3]); ++i) {
            std::string name = argv[2] + std::to_string(i);
            if (!MoveFileExA(name.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return 1;
        }
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0) return std::atoi(argv[2]);
    return 100;
}
