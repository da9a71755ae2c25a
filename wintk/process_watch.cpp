#include "wintk/process_watch.h"

#include <utility>

namespace velmoria {

ProcessWatch::ProcessWatch(UniqueKernelHandle process, DWORD processId, HWND window, UINT message)
    : process_(std::move(process)), processId_(processId), window_(window), message_(message) {
    if (process_ && !::RegisterWaitForSingleObject(&wait_, process_.get(), Ended, this, INFINITE,
                                                   WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
        wait_ = nullptr;
    }
}

ProcessWatch::~ProcessWatch() {
    // Waits for a callback under way, so that it never outlives this object.
    if (wait_) ::UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
}

void CALLBACK ProcessWatch::Ended(void* parameter, BOOLEAN) noexcept {
    const auto* self = static_cast<const ProcessWatch*>(parameter);
    ::PostMessageW(self->window_, self->message_, self->processId_, 0);
}

}  // namespace velmoria
