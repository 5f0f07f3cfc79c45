// Standard output and error sent to nothing for a while, and given back.
#pragma once

namespace oru::platform {

// Sends this process's standard output and error, and those that child processes
// inherit from now on, to the null device; false, nothing changed, when it cannot.
bool silenceStandardOutput();

// Gives back the standard output and error that silenceStandardOutput replaced.
void restoreStandardOutput();

}  // namespace oru::platform
