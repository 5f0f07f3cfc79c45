// The failure report shown to the user.
#pragma once

namespace oru::platform {

// A modal warning box with an OK button, owned by `owner` when it is a window; returns
// when the user has closed it.
// In a console program the text goes to standard error instead, as "caption: text".
void showMessageBox(void* owner, const char* text, const char* caption);

// Whether the executable is a console program by its own make (Windows: the console
// subsystem); false where programs carry no such mark.
bool isConsoleProgram();

}  // namespace oru::platform
