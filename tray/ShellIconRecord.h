#pragma once
// What the shell holds of one notification icon, as far as its answers tell. Each call is a
// round trip to the shell's process, and setting up an icon makes many that it would refuse or
// that repeat what it holds; those are answered here as the shell would answer them. Whenever an
// answer leaves it unclear what the shell holds, every call goes through again.
#include "platform/Platform.h"

namespace tarnwick::tray {

class ShellIconRecord {
 public:
  // Sends `message` (NIM_ADD, NIM_MODIFY, NIM_DELETE) with `data` unless its answer is known;
  // returns the shell's answer, or the one it would give.
  bool Send(os::DWORD message, const os::NOTIFYICONDATAA& data);
  // An image handle may be reused for another picture, so every assignment counts as a change.
  void ImageChanged() { imageChanged_ = true; }
  // A new taskbar starts empty.
  void TaskbarRecreated() { copy_ = Copy::Absent; }

 private:
  enum class Copy { Absent, Held, Unsure };
  Copy copy_ = Copy::Absent;
  os::NOTIFYICONDATAA accepted_;  // the last record the shell took
  bool imageChanged_ = false;
};

}  // namespace tarnwick::tray
