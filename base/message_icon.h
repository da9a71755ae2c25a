// The icon a message of the program carries. Window-free, so that the logic
// that decides which message to show can be built and tested without Windows.
#pragma once

namespace velmoria {

enum class MessageIcon { None, Question, Stop };

}  // namespace velmoria
