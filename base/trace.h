// A trace of what the program chose to swallow: every catch-all that goes
// on without telling the user leaves a line for a debugger (OutputDebugString
// on Windows, standard error elsewhere).
#pragma once

namespace velmoria {

// A line for a debugger: what the program passed over, and why.
void Trace(const char* what) noexcept;
// Call from inside a catch block: names where it was and what was caught.
void TraceSwallowed(const char* where) noexcept;

}  // namespace velmoria
