#pragma once
// Work handed to a pool of threads, its result (or what it raised) coming back in a future.

#include <QThread>
#include <QThreadPool>
#include <future>
#include <memory>
#include <type_traits>

namespace brindle::cli {

template <class Work>
std::future<std::invoke_result_t<Work&>> Start(QThreadPool& pool, Work work) {
    using Result = std::invoke_result_t<Work&>;
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    auto result = task->get_future();
    pool.start([task] { (*task)(); });
    return result;
}

// A pool of one thread for each processor, or `least` threads when that is more.
inline void SizePool(QThreadPool& pool, int least = 1) {
    pool.setMaxThreadCount(std::max(least, QThread::idealThreadCount()));
}

}  // namespace brindle::cli
