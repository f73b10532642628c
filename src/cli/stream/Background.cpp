#include "cli/stream/Background.h"

#include <algorithm>

namespace brindle::cli {

Workers::Workers(unsigned least) {
    const unsigned count = std::max(least, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < count; ++i) {
        threads_.emplace_back([this] { Serve(); });
    }
}

Workers::~Workers() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        queue_.clear();
    }
    posted_.notify_all();
    for (auto& thread : threads_) {
        thread.join();
    }
}

void Workers::Post(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(work));
    }
    posted_.notify_one();
}

void Workers::Serve() {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(mutex_);
            posted_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        work();
    }
}

}  // namespace brindle::cli
