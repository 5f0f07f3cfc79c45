// The failure report shown to the user.
#pragma once

namespace oru::platform {

// A modal warning box with an OK button, owned by `owner` when it is a window; returns
// when the user has closed it.
// In a console program the text goes to standard error instead, as "caption: text".
void showMessageBox(void* owner, const char* text, const char* caption);

// Whether the executable is a console program, whose exit code tells a failed start:
// on Windows by its own make (the console subsystem); on Linux always.
bool isConsoleProgram();

}  // namespace oru::platform
