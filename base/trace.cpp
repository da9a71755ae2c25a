#include "base/trace.h"

#include <exception>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace velmoria {

void Trace(const char* what) noexcept {
    try {
        const std::string line = std::string(what) + "\n";
#ifdef _WIN32
        std::wstring wide(line.begin(), line.end());  // our own ASCII
        ::OutputDebugStringW(wide.c_str());
#else
        std::fputs(line.c_str(), stderr);
#endif
    } catch (...) {
        // Nothing is left to tell it with.
    }
}

void TraceSwallowed(const char* where) noexcept {
    try {
        std::string what = "an unknown exception";
        if (const std::exception_ptr caught = std::current_exception()) {
            try {
                std::rethrow_exception(caught);
            } catch (const std::exception& error) {
                what = error.what();
            } catch (...) {
            }
        }
        Trace((std::string("swallowed in ") + where + ": " + what).c_str());
    } catch (...) {
        // Nothing is left to tell it with.
    }
}

}  // namespace velmoria
