// The failure report shown to the user.
#pragma once

namespace oru::platform {

// A modal warning box with an OK button, owned by `owner` when it is a window; returns
// when the user has closed it.
void showMessageBox(void* owner, const char* text, const char* caption);

}  // namespace oru::platform
