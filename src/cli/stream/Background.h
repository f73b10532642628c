#pragma once
// Work handed to threads of our own, its result (or what it raised) coming back in a future.
// The standard library's locks hand it over, so that ThreadSanitizer sees every hand-over.

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace brindle::cli {

class Workers {
public:
    // One thread for each processor, or `least` threads when that is more.
    explicit Workers(unsigned least = 1);
    // Drops the work still queued, lets the work under way finish and ends the threads.
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    void Post(std::function<void()> work);

private:
    void Serve();

    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

template <class Work>
std::future<std::invoke_result_t<Work&>> Start(Workers& workers, Work work) {
    using Result = std::invoke_result_t<Work&>;
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    auto result = task->get_future();
    workers.Post([task] { (*task)(); });
    return result;
}

}  // namespace brindle::cli
