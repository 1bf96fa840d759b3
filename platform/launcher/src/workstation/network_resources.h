// The network resources an application needs while it runs: drives mapped
// into the machine's drive table (App:Drive Mappings) and printer port
// captures (App:Printer Ports), released when it ends.
#pragma once

#include <string>
#include <vector>

#include "app_attributes.h"
#include "distributor.h"

namespace vpr::launcher {

struct NetworkResources {
    std::vector<char> drives;            // letters this launch mapped
    std::vector<std::string> captures;   // ports this launch captured
    std::vector<std::string> pathFirst;  // search drives, first on the program's PATH
    std::vector<std::string> pathLast;   // and last
};

// Maps every drive and captures every port; on the first failure what was
// made is released again and `failure` says why.
bool AcquireResources(DIR_CONTEXT context, const AppAttributes& attributes, NetworkResources* resources,
                      LaunchFailure* failure);
void ReleaseResources(const std::vector<char>& drives, const std::vector<std::string>& captures);

// A capture value "LPT1:=QUEUE /FF /B " split into port, queue and the
// capture flag bits; false when it is malformed.
bool ParseCapture(const std::string& value, std::string* port, std::string* queue, DWORD* flags);

}  // namespace vpr::launcher
