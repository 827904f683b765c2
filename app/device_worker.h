// The keyboard thread: jobs that talk to the keyboard for long (apply,
// reload, import, restore, a keyboard appearing) run here one at a time, in
// the order they were posted, so the window's thread never waits for the
// keyboard.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace velkor {

class DeviceWorker {
 public:
  using Job = std::function<void()>;

  DeviceWorker();
  // Lets the job in progress finish, drops the rest and joins. The program
  // never destroys its worker (the process ends around it); tests do.
  ~DeviceWorker();
  DeviceWorker(const DeviceWorker&) = delete;
  DeviceWorker& operator=(const DeviceWorker&) = delete;

  // Queues a job; never waits. False once the worker is stopping.
  bool Post(Job job);
  // Stops taking jobs; the one in progress finishes, queued ones are dropped.
  void Stop();
  // Jobs queued or running.
  size_t pending() const;
  bool OnWorkerThread() const { return std::this_thread::get_id() == thread_.get_id(); }

 private:
  void Run();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool running_job_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace velkor
