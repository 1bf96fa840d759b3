#include "vpr/testing/child_processes.h"

#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace vpr::testing {

bool RunInChildProcesses(int count, const std::function<bool(int index)>& work) {
    std::vector<pid_t> children;
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        pid_t child = ::fork();
        if (child == 0) ::_exit(work(i) ? 0 : 1);
        if (child < 0) {
            ok = false;
            break;
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ok = ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

}  // namespace vpr::testing
