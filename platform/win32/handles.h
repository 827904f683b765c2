// Move-only owners of platform handles, each released by the call that
// matches the one that acquired it.
#pragma once

#include <windows.h>

#include <utility>

namespace velkor {

template <typename T, T kNone, typename Closer>
class UniqueResource {
 public:
  UniqueResource() = default;
  explicit UniqueResource(T value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(std::exchange(other.value_, kNone)) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, kNone));
    return *this;
  }
  ~UniqueResource() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != kNone; }
  void reset(T value = kNone) {
    if (value_ != kNone) Closer{}(value_);
    value_ = value;
  }
  T release() { return std::exchange(value_, kNone); }

 private:
  T value_ = kNone;
};

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct RegKeyCloser {
  void operator()(HKEY k) const { RegCloseKey(k); }
};

// Kernel objects whose "none" is null (mutexes, events, threads, processes).
using UniqueHandle = UniqueResource<HANDLE, nullptr, HandleCloser>;
using UniqueRegKey = UniqueResource<HKEY, nullptr, RegKeyCloser>;

}  // namespace velkor
