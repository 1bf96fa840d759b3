// The keyboard state a thread sees: updated as keyboard messages are taken
// from its queue, read by GetKeyState.
#pragma once

#include "window_manager.h"

namespace vpr::user {

// Updates the thread's key states from a keyboard message it takes.
void NoteKeyMessage(ThreadQueue& queue, const MSG& msg);
// The character a key gives with the calling thread's shift state; -1 for none.
int CharOfKey(int virtualKey);

}  // namespace vpr::user
