#include "wintk/pool_job.h"

#include <memory>
#include <utility>

#include "base/trace.h"

namespace velmoria {

struct PoolJob::Run {
    std::function<void()> work;
    HWND window;
    UINT message;
    HANDLE idle;
};

PoolJob::PoolJob() : idle_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

PoolJob::~PoolJob() {
    if (idle_) ::WaitForSingleObject(idle_.get(), INFINITE);
}

bool PoolJob::Start(std::function<void()> work, HWND window, UINT message) {
    auto run = std::make_unique<Run>(Run{std::move(work), window, message, idle_.get()});
    ::ResetEvent(idle_.get());
    auto body = [](void* parameter) noexcept -> DWORD {
        const std::unique_ptr<Run> job(static_cast<Run*>(parameter));
        try {
            job->work();
        } catch (...) {
            TraceSwallowed("work on a pool thread");
        }
        ::PostMessageW(job->window, job->message, 0, 0);
        ::SetEvent(job->idle);
        return 0;
    };
    if (!::QueueUserWorkItem(body, run.get(), WT_EXECUTELONGFUNCTION)) {
        ::SetEvent(idle_.get());
        return false;
    }
    run.release();
    return true;
}

}  // namespace velmoria
