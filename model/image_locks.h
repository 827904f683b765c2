// The two locks that guard the working and the applied profile images. Both
// are re-entrant; whoever needs both takes the working lock first. They are
// created at start-up before any worker thread exists and deleted, applied
// lock first, after every worker has stopped.
#pragma once

#include <mutex>
#include <optional>

namespace velkor {

class ImageLocks {
 public:
  void Create() {
    working_.emplace();
    applied_.emplace();
  }
  void Destroy() {
    applied_.reset();
    working_.reset();
  }
  bool created() const { return working_.has_value() && applied_.has_value(); }

  std::recursive_mutex& working() { return *working_; }
  std::recursive_mutex& applied() { return *applied_; }

 private:
  std::optional<std::recursive_mutex> working_;
  std::optional<std::recursive_mutex> applied_;
};

}  // namespace velkor
