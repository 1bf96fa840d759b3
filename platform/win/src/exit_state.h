// A waitable object that runs and then ends with an exit code: threads and
// processes. Signalled once it has ended.
#pragma once

#include "vpr/win/thread.h"
#include "vpr/win/waitable.h"

namespace vpr::win {

class ExitState : public Waitable {
public:
    bool IsSignaled(uint64_t) override { return ended_; }

    void End(DWORD exitCode) {
        {
            std::lock_guard lock(WaitCore::Instance().mutex);
            exitCode_ = exitCode;
            ended_ = true;
        }
        WaitCore::Instance().changed.notify_all();
    }
    // STILL_ACTIVE while it runs.
    DWORD ExitCode() {
        std::lock_guard lock(WaitCore::Instance().mutex);
        return ended_ ? exitCode_ : STILL_ACTIVE;
    }

private:
    bool ended_ = false;  // guarded by WaitCore's mutex
    DWORD exitCode_ = 0;
};

}  // namespace vpr::win
