#include "platform/win32/InstallerSession.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "platform/Handle.h"

namespace tarnwick::platform::win32 {
namespace {

static_assert(sizeof(MsiHandle) == sizeof(MSIHANDLE));

struct MsiHandleTraits {
  using Handle = MSIHANDLE;
  static constexpr Handle kNull = 0;
  static void Close(Handle handle) { ::MsiCloseHandle(handle); }
};
using MsiRecord = UniqueHandle<MsiHandleTraits>;

}  // namespace

std::string InstallerSession::CustomActionData() const {
  std::string value(MAX_PATH, '\0');
  DWORD size = static_cast<DWORD>(value.size());
  UINT result = ::MsiGetPropertyA(install_, "CustomActionData", value.data(), &size);
  if (result == ERROR_MORE_DATA) {
    value.resize(++size);
    result = ::MsiGetPropertyA(install_, "CustomActionData", value.data(), &size);
  }
  if (result != ERROR_SUCCESS) return {};
  value.resize(size);
  return value;
}

void InstallerSession::Log(const std::string& line) const {
  const MsiRecord record(::MsiCreateRecord(1));
  ::MsiRecordSetStringA(record.Get(), 0, "[1]");
  ::MsiRecordSetStringA(record.Get(), 1, line.c_str());
  ::MsiProcessMessage(install_, INSTALLMESSAGE_INFO, record.Get());
}

}  // namespace tarnwick::platform::win32
