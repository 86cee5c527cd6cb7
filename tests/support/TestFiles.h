#pragma once
// Files and libraries for the tests that run on both platforms: put in place in the emulated
// system natively, and real ones under Wine, in a folder of the test's own below the prefix's
// temporary folder.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::test {

// A fresh folder, removed with what the test put in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The full path, ending in '\'.
  const std::string& Path() const { return path_; }
  // Each returns the full path of what it put below the folder.
  std::string PutFile(const std::string& name, std::string_view content);
  // A file that reads as `size` zero bytes, however large, without taking the space.
  std::string PutSizedFile(const std::string& name, std::int64_t size);
  std::string PutFolder(const std::string& name);

 private:
  std::string path_;
  std::vector<std::string> made_;  // files and folders, in the order they were made
};

// Makes `name` loadable with `exports` natively; under Wine the real library is used.
void ProvideLibrary(const std::string& name, const std::vector<std::string>& exports);

}  // namespace tarnwick::test
