#include "app/device_worker.h"

namespace velkor {

DeviceWorker::DeviceWorker() : thread_([this] { Run(); }) {}

DeviceWorker::~DeviceWorker() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

bool DeviceWorker::Post(Job job) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return false;
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return true;
}

void DeviceWorker::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    jobs_.clear();
  }
  wake_.notify_one();
}

size_t DeviceWorker::pending() const {
  std::lock_guard lock(mutex_);
  return jobs_.size() + (running_job_ ? 1 : 0);
}

void DeviceWorker::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
      running_job_ = true;
    }
    try {
      job();
    } catch (...) {
      // No exception ends the keyboard thread; the job's caller learns of
      // its outcome through what the job posts back.
    }
    std::lock_guard lock(mutex_);
    running_job_ = false;
  }
}

}  // namespace velkor
