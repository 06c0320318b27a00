#pragma once

#include "ge_prepass.h"

#include <cstdlib>
#include <new>

// Releases memory that the host handed out with malloc (GetCStringCopy,
// CreatePhongNormals) and sets the pointer to null.
template <typename T>
inline void DeleteMem(T*& p) {
  std::free(const_cast<void*>(static_cast<const void*>(p)));
  p = nullptr;
}

// The host's object allocator: a new object, or null when allocation fails.
// DeleteObj destroys it and sets the pointer to null.
#define NewObjClear(T, ...) (new (std::nothrow) T(__VA_ARGS__))
#define NewObj(T, ...) (new (std::nothrow) T(__VA_ARGS__))
#define DeleteObj(p) \
  do {               \
    delete (p);      \
    (p) = nullptr;   \
  } while (0)

// Owns one object made with T::Alloc() and frees it with T::Free().
template <typename T>
class AutoAlloc {
 public:
  AutoAlloc() : ptr_(T::Alloc()) {}
  template <typename... A>
  explicit AutoAlloc(A&&... args) : ptr_(T::Alloc(args...)) {}
  ~AutoAlloc() { T::Free(ptr_); }
  AutoAlloc(const AutoAlloc&) = delete;
  AutoAlloc& operator=(const AutoAlloc&) = delete;

  T* operator->() const { return ptr_; }
  T& operator*() const { return *ptr_; }
  operator T*() const { return ptr_; }
  operator T&() const { return *ptr_; }
  T* Get() const { return ptr_; }
  T* Release() {
    T* p = ptr_;
    ptr_ = nullptr;
    return p;
  }

 private:
  T* ptr_;
};
