// Small owners for what the folder picker acquires from COM. Declared in the
// order things are acquired, they give them back in the reverse order when
// the scope ends, on every return path.
#pragma once

#include <windows.h>
#include <objbase.h>

// One COM initialisation of the calling thread.
class ComInitialization {
 public:
  // Armed only when CoInitializeEx succeeded (S_OK or S_FALSE): a failed
  // initialisation, such as RPC_E_CHANGED_MODE on a thread already in the
  // multithreaded apartment, took no reference and must not be undone.
  explicit ComInitialization(DWORD coinit)
      : armed_(SUCCEEDED(CoInitializeEx(nullptr, coinit))) {}
  ~ComInitialization() {
    if (armed_) CoUninitialize();
  }
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;

  bool succeeded() const { return armed_; }

 private:
  const bool armed_;
};

// One reference to a COM interface, filled through an out parameter.
template <typename Interface>
class ComReference {
 public:
  ComReference() = default;
  ~ComReference() {
    if (pointer_) pointer_->Release();
  }
  ComReference(const ComReference&) = delete;
  ComReference& operator=(const ComReference&) = delete;

  // For a call that hands out a reference; the holder must still be empty,
  // and a failing call leaves the pointer null by COM's rules.
  Interface** Receive() { return &pointer_; }
  void** ReceiveUntyped() { return reinterpret_cast<void**>(&pointer_); }

  Interface* operator->() const { return pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

// A wide string allocated by the COM task allocator, such as a shell path.
class TaskMemoryString {
 public:
  TaskMemoryString() = default;
  ~TaskMemoryString() {
    if (text_) CoTaskMemFree(text_);
  }
  TaskMemoryString(const TaskMemoryString&) = delete;
  TaskMemoryString& operator=(const TaskMemoryString&) = delete;

  PWSTR* Receive() { return &text_; }
  PCWSTR get() const { return text_; }

 private:
  PWSTR text_ = nullptr;
};
