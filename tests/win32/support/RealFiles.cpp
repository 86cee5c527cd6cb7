// Test files under Wine: real ones in the prefix's temporary folder.
#include <windows.h>

#include <stdexcept>

#include "tests/support/TestFiles.h"

namespace tarnwick::test {
namespace {

void Check(bool done, const std::string& what) {
  if (!done) throw std::runtime_error(what + " failed: " + std::to_string(::GetLastError()));
}

// Writes the file, or with `size` >= 0 makes it that long without writing (Wine leaves a
// sparse file behind).
void Make(const std::string& path, std::string_view content, LONGLONG size) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(file != INVALID_HANDLE_VALUE, "CreateFileA " + path);
  bool done = true;
  if (size >= 0) {
    LARGE_INTEGER end;
    end.QuadPart = size;
    done = ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
  } else if (!content.empty()) {
    DWORD written = 0;
    done = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                       nullptr) &&
           written == content.size();
  }
  ::CloseHandle(file);
  Check(done, "writing " + path);
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static int made = 0;
  char temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathA(sizeof temp, temp);
  Check(length > 0 && length < sizeof temp, "GetTempPathA");
  path_ = std::string(temp, length) + "tarnwick-" + std::to_string(::GetCurrentProcessId()) +
          "-" + std::to_string(++made);
  Check(::CreateDirectoryA(path_.c_str(), nullptr) != FALSE, "CreateDirectoryA " + path_);
  made_.push_back(path_);
  path_ += "\\";
}

ScratchFolder::~ScratchFolder() {
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
    const DWORD attributes = ::GetFileAttributesA(it->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      ::RemoveDirectoryA(it->c_str());
    } else {
      ::DeleteFileA(it->c_str());
    }
  }
}

std::string ScratchFolder::PutFile(const std::string& name, std::string_view content) {
  Make(path_ + name, content, -1);
  made_.push_back(path_ + name);
  return path_ + name;
}

std::string ScratchFolder::PutSizedFile(const std::string& name, std::int64_t size) {
  Make(path_ + name, {}, size);
  made_.push_back(path_ + name);
  return path_ + name;
}

std::string ScratchFolder::PutFolder(const std::string& name) {
  Check(::CreateDirectoryA((path_ + name).c_str(), nullptr) != FALSE, "CreateDirectoryA " + name);
  made_.push_back(path_ + name);
  return path_ + name;
}

void ProvideLibrary(const std::string&, const std::vector<std::string>&) {}

}  // namespace tarnwick::test
