// Test files in the emulated system.
#include "platform/Platform.h"
#include "platform/emulated/EmulatedSystem.h"
#include "tests/support/TestFiles.h"

namespace tarnwick::test {
namespace {

platform::emulated::EmulatedSystem& Emulated() {
  return dynamic_cast<platform::emulated::EmulatedSystem&>(platform::Sys());
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static int made = 0;
  path_ = "C:\\users\\tester\\Temp\\scratch" + std::to_string(++made) + "\\";
  Emulated().PutFolder(path_.substr(0, path_.size() - 1));
}

ScratchFolder::~ScratchFolder() = default;  // the emulated system goes with the test

std::string ScratchFolder::PutFile(const std::string& name, std::string_view content) {
  Emulated().PutFile(path_ + name, content);
  return path_ + name;
}

std::string ScratchFolder::PutSizedFile(const std::string& name, std::int64_t size) {
  Emulated().PutFile(path_ + name);
  Emulated().SetFileSize(path_ + name, size);
  return path_ + name;
}

std::string ScratchFolder::PutFolder(const std::string& name) {
  Emulated().PutFolder(path_ + name);
  return path_ + name;
}

void ProvideLibrary(const std::string& name, const std::vector<std::string>& exports) {
  Emulated().AddLibrary(name, exports);
}

}  // namespace tarnwick::test
