// The keyboard state a thread sees: updated as keyboard messages are taken
// from its queue, read by GetKeyState.
#pragma once

#include "window_manager.h"

namespace vpr::user {

// Updates the thread's key states from a keyboard message it takes.
void NoteKeyMessage(ThreadQueue& queue, const MSG& msg);
// Holds a key down (or lets it go) for the calling thread without a
// message: what a person holding Shift while something else happens does.
void SetKeyHeld(int virtualKey, bool down);
// The character a key gives with the calling thread's shift state; -1 for none.
int CharOfKey(int virtualKey);

}  // namespace vpr::user
