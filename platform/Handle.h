#pragma once
// The one owner of an operating-system handle. Traits name the handle type, the value that means
// "none" and how a handle is given back; the owner closes what it holds exactly once.
#include <concepts>
#include <utility>

namespace tarnwick::platform {

template <typename T>
concept HandleTraits = requires(typename T::Handle handle) {
  { T::kNull } -> std::convertible_to<typename T::Handle>;
  T::Close(handle);
};

// Traits of the usual kind: the handle is a pointer, none is null, and one function closes it.
template <typename H, void (*CloseFunction)(H)>
struct ClosedBy {
  using Handle = H;
  static constexpr Handle kNull = nullptr;
  static void Close(Handle handle) { CloseFunction(handle); }
};

template <HandleTraits Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::kNull; }

  // Hands the handle to a new owner; this one then holds none.
  [[nodiscard]] Handle Release() { return std::exchange(handle_, Traits::kNull); }

  // Closes the handle held and takes `handle` instead. Taking the handle already held keeps it
  // open, so a self-move cannot close what it still holds.
  void Reset(Handle handle = Traits::kNull) {
    if (handle == handle_) return;
    const Handle previous = std::exchange(handle_, handle);
    if (previous != Traits::kNull) Traits::Close(previous);
  }

 private:
  Handle handle_ = Traits::kNull;
};

}  // namespace tarnwick::platform
