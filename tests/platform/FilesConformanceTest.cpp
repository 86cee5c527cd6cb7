// One suite for files and libraries on both systems: natively on the emulated kernel32, under
// Wine on the real one with real files in a scratch folder. Where the two differ, the emulated
// one is wrong.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Owners.h"
#include "platform/Platform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPlatform.h"

namespace tarnwick {
namespace {

using namespace os;
using platform::Sys;

constexpr DWORD kShareBoth = kFileShareRead | kFileShareWrite;
constexpr DWORD kReadWrite = kGenericRead | kGenericWrite;

class FilesConformance : public ::testing::Test {
 protected:
  // The error CreateFileA gave, or 0 when it opened the file (which is then closed).
  static DWORD OpenError(const std::string& path, DWORD access = kGenericRead,
                         DWORD share = kShareBoth) {
    const HANDLE file = Sys().CreateFileA(path.c_str(), access, share, kOpenExisting);
    if (file != InvalidHandleValue()) {
      Sys().CloseHandle(file);
      return 0;
    }
    return Sys().GetLastError();
  }

  test::TestPlatform os_;
  test::ScratchFolder folder_;
};

TEST_F(FilesConformance, AFileReadsInPiecesFromItsStartAndThenReadsNothing) {
  std::string content(1000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  const std::string path = folder_.PutFile("index.dat", content);

  platform::FileHandle file = platform::OpenOwnedFile(path.c_str(), kGenericRead, kShareBoth,
                                                      kOpenExisting);
  ASSERT_TRUE(file) << Sys().GetLastError();
  std::int64_t size = -1;
  ASSERT_TRUE(Sys().GetFileSizeEx(file.Get(), &size));
  EXPECT_EQ(1000, size);

  std::string read;
  std::vector<DWORD> pieces;
  for (int i = 0; i < 6; ++i) {
    char buffer[300];
    DWORD count = 12345;
    ASSERT_TRUE(Sys().ReadFile(file.Get(), buffer, sizeof buffer, &count));
    pieces.push_back(count);
    read.append(buffer, count);
  }
  EXPECT_EQ((std::vector<DWORD>{300, 300, 300, 100, 0, 0}), pieces);
  EXPECT_EQ(content, read);
}

TEST_F(FilesConformance, AnEmptyFileHasSizeZeroAndReadsNothing) {
  const std::string path = folder_.PutFile("empty.dat", "");
  platform::FileHandle file = platform::OpenOwnedFile(path.c_str(), kGenericRead, kShareBoth,
                                                      kOpenExisting);
  ASSERT_TRUE(file);
  std::int64_t size = -1;
  ASSERT_TRUE(Sys().GetFileSizeEx(file.Get(), &size));
  EXPECT_EQ(0, size);
  char byte = 'x';
  DWORD count = 9;
  EXPECT_TRUE(Sys().ReadFile(file.Get(), &byte, 1, &count));
  EXPECT_EQ(0u, count);
}

TEST_F(FilesConformance, ASizeAboveFourGiBIsReportedWhole) {
  constexpr std::int64_t kSize = (std::int64_t{5} << 30) + 3;
  const std::string path = folder_.PutSizedFile("huge.dat", kSize);
  platform::FileHandle file = platform::OpenOwnedFile(path.c_str(), kGenericRead, kShareBoth,
                                                      kOpenExisting);
  ASSERT_TRUE(file);
  std::int64_t size = 0;
  ASSERT_TRUE(Sys().GetFileSizeEx(file.Get(), &size));
  EXPECT_EQ(kSize, size);
  char bytes[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  DWORD count = 0;
  ASSERT_TRUE(Sys().ReadFile(file.Get(), bytes, sizeof bytes, &count));
  EXPECT_EQ(8u, count);
  EXPECT_EQ(std::string(8, '\0'), std::string(bytes, 8));
}

TEST_F(FilesConformance, WhatIsNotAFileFailsToOpenWithItsReason) {
  const std::string file = folder_.PutFile("index.dat", "x");
  const std::string dir = folder_.PutFolder("Content.IE5");
  struct Case {
    const char* what;
    std::string path;
    DWORD error;
  };
  const std::vector<Case> cases = {
      {"missing file", folder_.Path() + "missing.dat", kErrorFileNotFound},
      {"missing folder", folder_.Path() + "nowhere\\index.dat", kErrorPathNotFound},
      {"a file taken for a folder", file + "\\index.dat", kErrorPathNotFound},
      {"a folder", dir, kErrorAccessDenied},
      {"a folder with a trailing slash", dir + "\\", kErrorAccessDenied},
      {"a file with a trailing slash", file + "\\", kErrorInvalidName},
      {"no name", "", kErrorPathNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(Sys().FileExists(c.path.c_str()));
    const HANDLE handle = Sys().CreateFileA(c.path.c_str(), kGenericRead, kShareBoth,
                                            kOpenExisting);
    EXPECT_EQ(InvalidHandleValue(), handle);
    EXPECT_EQ(c.error, Sys().GetLastError());
  }
  EXPECT_TRUE(Sys().FileExists(file.c_str()));
}

TEST_F(FilesConformance, PathsCompareWithoutCaseAndTakeEitherSlash) {
  const std::string path = folder_.PutFile("Index.dat", "abc");
  std::string other = path;
  for (char& c : other) {
    if (c == '\\') c = '/';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  EXPECT_TRUE(Sys().FileExists(other.c_str()));
  EXPECT_EQ(0u, OpenError(other));
}

TEST_F(FilesConformance, EachOpenMustShareWhatTheOthersDo) {
  const std::string path = folder_.PutFile("index.dat", "abc");
  struct Case {
    DWORD heldAccess, heldShare, access, share, error;
  };
  const std::vector<Case> cases = {
      {kGenericRead, 0, kGenericRead, kShareBoth, kErrorSharingViolation},  // locked
      {kReadWrite, 0, 0, kShareBoth, 0},  // no rights asked, none to share
      {kGenericRead, kFileShareRead, kGenericRead, kShareBoth, 0},
      {kGenericRead, kFileShareRead, kReadWrite, kShareBoth, kErrorSharingViolation},
      {kGenericRead, kShareBoth, kGenericRead, kFileShareRead, 0},
      {kReadWrite, kShareBoth, kGenericRead, kFileShareRead, kErrorSharingViolation},
      {kReadWrite, kShareBoth, kReadWrite, kShareBoth, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.heldAccess << "/" << c.heldShare << " then "
                                    << c.access << "/" << c.share);
    platform::FileHandle held = platform::OpenOwnedFile(path.c_str(), c.heldAccess, c.heldShare,
                                                        kOpenExisting);
    ASSERT_TRUE(held);
    EXPECT_EQ(c.error, OpenError(path, c.access, c.share));
  }
  // Closing the lock lets the file open again.
  EXPECT_EQ(0u, OpenError(path));
}

TEST_F(FilesConformance, ReadingAndWritingNeedTheirAccessButTheSizeAndTypeDoNot) {
  const std::string path = folder_.PutFile("index.dat", "abc");
  for (DWORD access : {DWORD{0}, kGenericWrite, kGenericRead}) {
    SCOPED_TRACE(access);
    platform::FileHandle file = platform::OpenOwnedFile(path.c_str(), access, kShareBoth,
                                                        kOpenExisting);
    ASSERT_TRUE(file);
    std::int64_t size = 0;
    EXPECT_TRUE(Sys().GetFileSizeEx(file.Get(), &size));
    EXPECT_EQ(3, size);
    EXPECT_EQ(kFileTypeDisk, Sys().GetFileType(file.Get()));
    char buffer[4];
    DWORD count = 7;
    if (access == kGenericRead) {
      EXPECT_FALSE(Sys().WriteFile(file.Get(), "x", 1, &count));
    } else {
      EXPECT_FALSE(Sys().ReadFile(file.Get(), buffer, sizeof buffer, &count));
    }
    EXPECT_EQ(static_cast<DWORD>(kErrorAccessDenied), Sys().GetLastError());
    EXPECT_EQ(0u, count);
  }
  // Written from the start and past the end, and read back by the next reader.
  {
    platform::FileHandle file = platform::OpenOwnedFile(path.c_str(), kGenericWrite, kShareBoth,
                                                        kOpenExisting);
    DWORD count = 0;
    ASSERT_TRUE(Sys().WriteFile(file.Get(), "wxyz", 4, &count));
    EXPECT_EQ(4u, count);
  }
  platform::FileHandle file = platform::OpenOwnedFile(path.c_str(), kGenericRead, kShareBoth,
                                                      kOpenExisting);
  char buffer[8] = {};
  DWORD count = 0;
  ASSERT_TRUE(Sys().ReadFile(file.Get(), buffer, sizeof buffer, &count));
  EXPECT_EQ("wxyz", std::string(buffer, count));
}

TEST_F(FilesConformance, AClosedHandleIsInvalidForEverything) {
  const std::string path = folder_.PutFile("index.dat", "abc");
  const HANDLE file = Sys().CreateFileA(path.c_str(), kGenericRead, kShareBoth, kOpenExisting);
  ASSERT_NE(InvalidHandleValue(), file);
  ASSERT_TRUE(Sys().CloseHandle(file));

  std::int64_t size = 0;
  char buffer[4];
  DWORD count = 0;
  const std::vector<std::pair<const char*, BOOL>> calls = {
      {"CloseHandle", Sys().CloseHandle(file)},
      {"GetFileSizeEx", Sys().GetFileSizeEx(file, &size)},
      {"ReadFile", Sys().ReadFile(file, buffer, sizeof buffer, &count)},
      {"WriteFile", Sys().WriteFile(file, buffer, 1, &count)},
      {"GetFileType", static_cast<BOOL>(Sys().GetFileType(file))},
  };
  for (const auto& [name, result] : calls) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(result);
  }
  EXPECT_EQ(static_cast<DWORD>(kErrorInvalidHandle), Sys().GetLastError());
}

TEST_F(FilesConformance, LibrariesGiveTheirExportsUntilFreed) {
  test::ProvideLibrary("wininet.dll", {"FindFirstUrlCacheEntryA", "FindCloseUrlCache"});
  const HINSTANCE library = Sys().LoadLibraryA("wininet.dll");
  ASSERT_NE(nullptr, library);
  EXPECT_EQ(library, Sys().LoadLibraryA("WININET"));  // a second load of the same one
  void* const first = Sys().GetProcAddress(library, "FindFirstUrlCacheEntryA");
  void* const close = Sys().GetProcAddress(library, "FindCloseUrlCache");
  EXPECT_NE(nullptr, first);
  EXPECT_NE(nullptr, close);
  EXPECT_NE(first, close);

  // Each lookup that fails, with the reason it must leave.
  const std::vector<std::pair<std::function<const void*()>, DWORD>> missing = {
      {[&] { return Sys().GetProcAddress(library, "NoSuchExport"); }, kErrorProcNotFound},
      {[&] { return Sys().GetProcAddress(library, "findfirsturlcacheentrya"); },
       kErrorProcNotFound},  // export names keep their case
      {[&] { return Sys().LoadLibraryA("tarnwick-no-such-library.dll"); }, kErrorModNotFound},
      {[&] { return Sys().LoadLibraryA(""); }, kErrorModNotFound},
  };
  for (std::size_t i = 0; i < missing.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(nullptr, missing[i].first());
    EXPECT_EQ(missing[i].second, Sys().GetLastError());
  }

  // Loaded by work on a thread of its own, the library is there once the work's owner lets go.
  HINSTANCE elsewhere = nullptr;
  {
    const platform::WorkHandle work = platform::StartOwnedWork([&elsewhere] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      elsewhere = Sys().LoadLibraryA("wininet.dll");
    });
  }
  EXPECT_EQ(library, elsewhere);
  EXPECT_TRUE(Sys().FreeLibrary(elsewhere));

  EXPECT_TRUE(Sys().FreeLibrary(library));
  EXPECT_NE(nullptr, Sys().GetProcAddress(library, "FindCloseUrlCache"));  // one load is left
  { platform::LibraryHandle last(library); }
  EXPECT_EQ(nullptr, Sys().GetProcAddress(library, "FindCloseUrlCache"));
  EXPECT_EQ(static_cast<DWORD>(kErrorModNotFound), Sys().GetLastError());
  EXPECT_FALSE(Sys().FreeLibrary(library));
}

}  // namespace
}  // namespace tarnwick
