#include "app/call_within.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Shared by the caller and the worker, so that it outlives the one that
// gives up first.
struct Completion {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
};

}  // namespace

bool CallWithin(std::function<void()> work, std::chrono::milliseconds bound)
{
    auto completion = std::make_shared<Completion>();
    try {
        std::thread([work = std::move(work), completion] {
            try {
                work();
            } catch (...) {
            }
            std::lock_guard<std::mutex> lock(completion->mutex);
            completion->done = true;
            completion->changed.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return false;  // no thread: the work never ran
    }
    std::unique_lock<std::mutex> lock(completion->mutex);
    return completion->changed.wait_for(lock, bound, [&] { return completion->done; });
}
