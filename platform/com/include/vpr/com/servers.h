// The in-process servers COM has loaded in this process.
#pragma once

#include <string>
#include <vector>

#include "objbase.h"

namespace vpr::com {

struct LoadedServer {
    std::string path;              // as the registry names it
    HMODULE module = nullptr;
    std::vector<CLSID> classes;    // the classes asked of it since it loaded
};

std::vector<LoadedServer> LoadedServers();

// Called after a server was freed (CoFreeUnusedLibraries, CoFreeAllLibraries),
// on the thread that freed it. Null: none.
using ServerFreedHandler = void (*)(const LoadedServer& server);
void SetServerFreedHandler(ServerFreedHandler handler);

// Whether this thread has initialised COM (CoInitialize or OleInitialize).
bool ThreadInitialized();

}  // namespace vpr::com
