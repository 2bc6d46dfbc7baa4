#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sorvane {

// Files and folders are flushed on this many threads, by a run and by undo: a flush waits on the
// disk, which takes several at once about as fast as one.
inline constexpr int kFlushThreads = 4;

// A fixed set of threads that run tasks in the order they were handed in. Going away, it lets
// the tasks handed in so far finish.
class WorkerPool {
 public:
  explicit WorkerPool(int threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;  // owns its threads
  WorkerPool& operator=(const WorkerPool&) = delete;

  void run(std::function<void()> task);

 private:
  void work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace sorvane
