// What a user was granted: the applications its own, its groups' and its
// containers' "App:Associations" name, as far as the user can read them.
#pragma once

#include <string>
#include <vector>

#include "kmapp32.h"

namespace vpr::launcher {

// One association as stored on a user, group or container.
struct Association {
    std::string application;  // complete name of the application object
    DWORD flags = 0;          // the typed name's level
    DWORD interval = 0;
};

// The associations one object hands on: a folder of the user.
struct SourceFolder {
    std::string source;
    std::vector<Association> associations;
};

// The complete name of an object as the directory keeps it; empty when it
// cannot be read.
std::string CompleteName(DIR_CONTEXT context, const std::string& object);
// The complete name of the context's logged-in user; empty when none.
std::string CurrentUser(DIR_CONTEXT context);
// The context's tree name without its padding.
std::string TreeOf(DIR_CONTEXT context);

// The container levels whose applications the user inherits: the user's
// launcher configuration, or its container's when the user's says to use the
// inherited settings or cannot be read; 1 when neither can be read.
DWORD InheritLevels(DIR_CONTEXT context, const std::string& user);

// Who drops the associations naming an object the user cannot see: the
// folders looking each object up, or a caller whose own read of every
// application fails for such an object (one look-up less per application).
enum class Unseen { kLookedUp, kLeftToCallersRead };

// The user's folders in order (the user, its groups, its containers up to
// `levels`), each with the associations that share a bit with `mask` and name
// an object the user can read; sources without one are left out.
std::vector<SourceFolder> ReadFolders(DIR_CONTEXT context, const std::string& user, DWORD levels, DWORD mask,
                                      Unseen unseen = Unseen::kLookedUp);

// Whether the context's user was granted the application: some folder of the
// user, within the inherit levels of its launcher configuration, lists it.
bool IsGranted(DIR_CONTEXT context, const std::string& application);

}  // namespace vpr::launcher

namespace vpr::launcher {

// A context of the library on the named tree for the user logged in there;
// DIR_ERR_NO_CONTEXT when there is none. Free it with KMAPPFreeContextHandle.
DIR_CONTEXT ContextForTree(const std::string& tree);

}  // namespace vpr::launcher
