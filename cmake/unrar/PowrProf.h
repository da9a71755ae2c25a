// UnRAR includes the power header under the Windows SDK's spelling; mingw-w64
// ships it in lower case, and Linux file names are case-sensitive.
#pragma once
#include <powrprof.h>
