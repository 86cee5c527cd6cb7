// The resources this test executable carries are the ones tarnwick.exe carries: the icons at
// every size they are meant to have, the toolbar icons' exact images, the manifest (read from
// the build's tarnwick.exe too) and the version resource. Runs under Wine.
#include <windows.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/win32/Win32System.h"
#include "resources/ResourceIds.h"
#include "resources/resource_ids.rh"
#include "tests/win32/support/ProgramDriver.h"
#include "ui/win32/Resources.h"

namespace {

namespace res = tarnwick::resources;
namespace os = tarnwick::os;
using tarnwick::ui::win32::IconHandle;
using tarnwick::ui::win32::LoadIconResource;

// The resource script reads its ids from resource_ids.rh, the code from ResourceIds.h.
static_assert(res::kMainIcon == IDI_TARNWICK_MAIN);
static_assert(res::kMonitoringOffIcon == IDI_MONITORING_OFF);
static_assert(res::kMonitoringOnIcon == IDI_MONITORING_ON);
static_assert(res::kTrayIcon == IDI_TRAY);
static_assert(res::kStatePicture == IDI_STATE_PICTURE);
static_assert(res::kToolbarHotIcon == IDI_TOOLBAR_HOT);
static_assert(res::kToolbarIcon == IDI_TOOLBAR);
static_assert(res::kManifest == IDR_MANIFEST);
static_assert(res::kVersionInfo == IDR_VERSION);
// The browser is told "<exe>,1000" and "<exe>,1001".
static_assert(res::kToolbarHotIcon == 1000 && res::kToolbarIcon == 1001);

// One image of an icon: its size and colour depth.
struct Image {
  int width;
  int height;
  int bits;
  friend bool operator<(const Image& a, const Image& b) {
    return std::tie(a.width, a.height, a.bits) < std::tie(b.width, b.height, b.bits);
  }
  friend bool operator==(const Image& a, const Image& b) = default;
};

void PrintTo(const Image& image, std::ostream* out) {
  *out << image.width << "x" << image.height << "@" << image.bits;
}

struct ExpectedIcon {
  const char* name;
  int id;
  std::vector<Image> images;
};

const std::vector<ExpectedIcon>& Icons() {
  const std::vector<Image> pictures = {{32, 32, 32}, {40, 40, 32}, {48, 48, 32}, {64, 64, 32}};
  static const std::vector<ExpectedIcon> icons = {
      // Pictures of 32 px at 96 DPI (small icons 16 px), drawn for 120, 144 and 192 DPI too.
      {"main",
       res::kMainIcon,
       {{16, 16, 32}, {20, 20, 32}, {24, 24, 32}, {32, 32, 32}, {40, 40, 32}, {48, 48, 32},
        {64, 64, 32}, {32, 32, 8}}},
      {"monitoring off", res::kMonitoringOffIcon, pictures},
      {"monitoring on", res::kMonitoringOnIcon, pictures},
      {"tray", res::kTrayIcon, pictures},
      {"state picture", res::kStatePicture, pictures},
      // The browser's toolbar takes exactly these three images.
      {"toolbar hot", res::kToolbarHotIcon, {{16, 16, 4}, {20, 20, 4}, {20, 20, 8}}},
      {"toolbar", res::kToolbarIcon, {{16, 16, 4}, {20, 20, 4}, {20, 20, 8}}},
  };
  return icons;
}

std::string_view ResourceBytes(LPCSTR type, int id, HMODULE module = nullptr) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return {static_cast<const char*>(data), SizeofResource(module, found)};
}

template <typename T>
T Read(std::string_view bytes, std::size_t offset) {
  T value{};
  if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

// An icon group as stored: a 6-byte header, then 14-byte entries naming RT_ICON resources.
struct GroupEntry {
  Image image;
  int iconId;
};

std::vector<GroupEntry> ReadGroup(int id) {
  const std::string_view bytes = ResourceBytes(MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, id);
  std::vector<GroupEntry> entries;
  if (bytes.size() < 6 || Read<WORD>(bytes, 0) != 0 || Read<WORD>(bytes, 2) != 1) return entries;
  const WORD count = Read<WORD>(bytes, 4);
  if (bytes.size() < 6u + 14u * count) return entries;
  for (WORD i = 0; i < count; ++i) {
    const std::size_t at = 6u + 14u * i;
    // A width or height byte of 0 stands for 256.
    const int width = Read<BYTE>(bytes, at) == 0 ? 256 : Read<BYTE>(bytes, at);
    const int height = Read<BYTE>(bytes, at + 1) == 0 ? 256 : Read<BYTE>(bytes, at + 1);
    entries.push_back({{width, height, Read<WORD>(bytes, at + 6)}, Read<WORD>(bytes, at + 12)});
  }
  return entries;
}

// What an RT_ICON image's own header says; its height counts the colour and the mask rows.
Image ReadIconImage(int iconId) {
  const std::string_view bytes = ResourceBytes(MAKEINTRESOURCEA(3) /* RT_ICON */, iconId);
  if (bytes.size() < sizeof(BITMAPINFOHEADER)) return {0, 0, 0};
  const auto header = Read<BITMAPINFOHEADER>(bytes, 0);
  if (header.biSize < sizeof(BITMAPINFOHEADER)) return {0, 0, 0};
  return {header.biWidth, header.biHeight / 2, header.biBitCount};
}

// The colour and mask pixels of an icon, as 32-bit top-down rows.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> colour;
  std::vector<std::uint32_t> mask;
  bool Transparent(int x, int y) const { return (mask[y * width + x] & 0xFFFFFF) != 0; }
};

std::vector<std::uint32_t> ReadBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  if (GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != height) return {};
  return pixels;
}

// Reads back a loaded icon through GetIconInfo, as a drawing would see it.
Pixels ReadIcon(os::HICON icon) {
  Pixels pixels;
  ICONINFO info{};
  if (!GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return pixels;
  BITMAP colour{};
  BITMAP mask{};
  const bool sized = info.hbmColor != nullptr &&
                     GetObjectA(info.hbmColor, sizeof colour, &colour) == sizeof colour &&
                     GetObjectA(info.hbmMask, sizeof mask, &mask) == sizeof mask;
  if (sized) {
    HDC dc = CreateCompatibleDC(nullptr);
    pixels.width = colour.bmWidth;
    pixels.height = colour.bmHeight;
    // A colour icon's mask has the colour image's size.
    if (mask.bmWidth == colour.bmWidth && mask.bmHeight == colour.bmHeight) {
      pixels.colour = ReadBitmap(dc, info.hbmColor, pixels.width, pixels.height);
      pixels.mask = ReadBitmap(dc, info.hbmMask, pixels.width, pixels.height);
    }
    DeleteDC(dc);
  }
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  return pixels;
}

Pixels LoadPixels(int id, int size) {
  const IconHandle icon = LoadIconResource(id, size);
  if (!icon) return {};
  return ReadIcon(icon.Get());
}

// The same, for one stored image of an icon rather than the one LoadImage would choose.
Pixels StoredImagePixels(int iconId, int size) {
  const std::string_view bytes = ResourceBytes(MAKEINTRESOURCEA(3) /* RT_ICON */, iconId);
  if (bytes.empty()) return {};
  HICON icon = CreateIconFromResourceEx(
      reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())), static_cast<DWORD>(bytes.size()),
      TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
  if (icon == nullptr) return {};
  Pixels pixels = ReadIcon(reinterpret_cast<os::HICON>(icon));
  DestroyIcon(icon);
  return pixels;
}

// The shield stands free: the corners show what lies beneath, its body does not.
void ExpectShieldOnClearGround(const Pixels& pixels, int size) {
  ASSERT_EQ(pixels.width, size);
  ASSERT_EQ(pixels.height, size);
  ASSERT_EQ(pixels.mask.size(), static_cast<std::size_t>(size) * size);
  EXPECT_TRUE(pixels.Transparent(0, 0));
  EXPECT_TRUE(pixels.Transparent(size - 1, 0));
  EXPECT_TRUE(pixels.Transparent(0, size - 1));
  EXPECT_FALSE(pixels.Transparent(size / 2, size / 2));
  EXPECT_FALSE(pixels.Transparent(size / 4, size / 2));
}

std::vector<int> Sizes(const ExpectedIcon& expected) {
  std::vector<int> sizes;
  for (const Image& image : expected.images) sizes.push_back(image.width);
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  return sizes;
}

TEST(IconResources, EveryIconLoadsAtEachOfItsSizesAsAShieldOnAClearGround) {
  for (const ExpectedIcon& expected : Icons()) {
    for (int size : Sizes(expected)) {
      SCOPED_TRACE(std::string(expected.name) + " at " + std::to_string(size));
      ExpectShieldOnClearGround(LoadPixels(expected.id, size), size);
    }
  }
}

TEST(IconResources, PicturesThatMeanDifferentThingsLookDifferent) {
  // The two monitoring states, the hot and the normal toolbar button, and the program's icon
  // beside either state, so that no picture stands in for another.
  const std::tuple<int, int, int> pairs[] = {
      {res::kMonitoringOffIcon, res::kMonitoringOnIcon, 32},
      {res::kToolbarHotIcon, res::kToolbarIcon, 16},
      {res::kToolbarHotIcon, res::kToolbarIcon, 20},
      {res::kMainIcon, res::kMonitoringOnIcon, 32},
      {res::kMainIcon, res::kMonitoringOffIcon, 32},
  };
  for (const auto& [first, second, size] : pairs) {
    SCOPED_TRACE(std::to_string(first) + " and " + std::to_string(second) + " at " +
                 std::to_string(size));
    const Pixels a = LoadPixels(first, size);
    const Pixels b = LoadPixels(second, size);
    ASSERT_FALSE(a.colour.empty());
    ASSERT_FALSE(b.colour.empty());
    // The colour of the shield's body differs, not just some edge pixel.
    const std::size_t body = static_cast<std::size_t>(size * 3 / 4) * size + size / 4;
    EXPECT_NE(a.colour[body] & 0xFFFFFF, b.colour[body] & 0xFFFFFF);
  }
}

TEST(IconResources, GroupDirectoriesListExactlyTheIntendedImages) {
  for (const ExpectedIcon& expected : Icons()) {
    SCOPED_TRACE(expected.name);
    const std::vector<GroupEntry> entries = ReadGroup(expected.id);
    std::vector<Image> listed;
    for (const GroupEntry& entry : entries) {
      listed.push_back(entry.image);
      // Each entry names an image resource that really is what the directory claims, and that
      // draws the shield, whichever image a display of some colour depth would pick.
      SCOPED_TRACE("image resource " + std::to_string(entry.iconId));
      EXPECT_EQ(ReadIconImage(entry.iconId), entry.image);
      ExpectShieldOnClearGround(StoredImagePixels(entry.iconId, entry.image.width),
                                entry.image.width);
    }
    std::vector<Image> wanted = expected.images;
    std::sort(listed.begin(), listed.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(listed, wanted);
  }
}

TEST(IconResources, LoaderRefusesWhatItCannotLoad) {
  // No icon has this id.
  EXPECT_FALSE(LoadIconResource(4321, 32));
  // LoadImage would read 0 as "any size" and hand back an icon of some other size.
  EXPECT_FALSE(LoadIconResource(res::kMainIcon, 0));
  EXPECT_FALSE(LoadIconResource(res::kMainIcon, -16));
  // Ids are 16 bits wide; a larger one must not wrap round to a real icon.
  EXPECT_FALSE(LoadIconResource(0x10000 + res::kMainIcon, 32));
  // Each load is the caller's own icon, so freeing one leaves another intact.
  IconHandle first = LoadIconResource(res::kMainIcon, 32);
  const IconHandle second = LoadIconResource(res::kMainIcon, 32);
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_NE(first.Get(), second.Get());
  const auto freed = reinterpret_cast<HICON>(first.Get());
  first.Reset();
  ICONINFO info = {};
  EXPECT_FALSE(GetIconInfo(freed, &info));
  EXPECT_EQ(ReadIcon(second.Get()).width, 32);
}

// The manifest that the real tarnwick.exe of this build carries.
std::string ProgramManifest() {
  const std::string path = tarnwick::test::ProgramPath();
  HMODULE program = LoadLibraryExA(path.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (program == nullptr) return {};
  std::string manifest(ResourceBytes(MAKEINTRESOURCEA(24) /* RT_MANIFEST */, res::kManifest, program));
  FreeLibrary(program);
  return manifest;
}

// The attributes of the assemblyIdentity element that names `assembly`.
std::string IdentityOf(const std::string& manifest, const std::string& assembly) {
  const std::size_t name = manifest.find("name=\"" + assembly + "\"");
  if (name == std::string::npos) return {};
  const std::size_t open = manifest.rfind("<assemblyIdentity", name);
  const std::size_t close = manifest.find("/>", name);
  if (open == std::string::npos || close == std::string::npos) return {};
  return manifest.substr(open, close - open);
}

TEST(Manifest, NamesTheBuildsArchitectureAndAsksForCommonControls6AndTheCallersRights) {
  const std::string manifest = ProgramManifest();
  ASSERT_FALSE(manifest.empty()) << tarnwick::test::ProgramPath();
  // Windows will not start a 32-bit program whose manifest claims amd64, nor the reverse.
  const std::string own = IdentityOf(manifest, "Brambleworks.Tarnwick");
  const std::string width = sizeof(void*) == 8 ? "amd64" : "x86";
  EXPECT_NE(own.find("processorArchitecture=\"" + width + "\""), std::string::npos) << own;
  const std::string controls = IdentityOf(manifest, "Microsoft.Windows.Common-Controls");
  EXPECT_NE(controls.find("version=\"6.0.0.0\""), std::string::npos) << controls;
  EXPECT_NE(controls.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos) << controls;
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  // The program scales its layouts itself; Windows must not stretch them as pictures.
  EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/"
                          "WindowsSettings\">true</dpiAware>"),
            std::string::npos);
}

TEST(Manifest, TakesEffect) {
  // With the manifest read, "comctl32.dll" resolves to the side-by-side version 6 assembly
  // rather than the system folder's copy. (Wine's copy reports 5.x in DllGetVersion and in its
  // file version even there, so the path is what tells them apart.)
  HMODULE comctl = LoadLibraryA("comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(comctl, path, MAX_PATH);
  FreeLibrary(comctl);
  std::string lower(path, length);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  EXPECT_NE(lower.find("\\winsxs\\"), std::string::npos) << path;
  EXPECT_NE(lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
            std::string::npos)
      << path;
}

// The version resource as the shell reads it, from this executable's file.
class VersionResource : public ::testing::Test {
 protected:
  void SetUp() override {
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data_.data()));
  }

  std::string String(const std::string& name) {
    struct Translation {
      WORD language;
      WORD codePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(Translation)) {
      return "(no translation)";
    }
    char query[80];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translations->language,
                  translations->codePage, name.c_str());
    char* text = nullptr;
    if (!VerQueryValueA(data_.data(), query, reinterpret_cast<void**>(&text), &length) ||
        text == nullptr) {
      return "(missing)";
    }
    return text;
  }

  std::vector<char> data_;
};

TEST_F(VersionResource, FixedPartIsVersion1000OfAnApplication) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data_.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionResource, StringsNameTheProductAndItsMaker) {
  const std::pair<const char*, const char*> expected[] = {
      {"ProductName", "Tarnwick"},
      {"FileDescription", "Tarnwick"},
      {"FileVersion", "1.0.0.0"},
      {"ProductVersion", "1.0.0.0"},
      {"CompanyName", "Brambleworks Company"},
      {"LegalCopyright", "Copyright (c) Brambleworks Company"},
      {"OriginalFilename", "tarnwick.exe"},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(String(name), value) << name;
}

}  // namespace

namespace {

// A library planted beside the program, in a download folder say, is not what it loads: a
// plain LoadLibrary would find it first (and fail with ERROR_BAD_EXE_FORMAT on this one).
TEST(SystemLibraries, AFileOfTheSameNameBesideTheProgramIsNotWhatLoads) {
  char exe[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  ASSERT_GT(length, 0u);
  std::string planted(exe, length);
  planted = planted.substr(0, planted.find_last_of('\\') + 1) + "mpr.dll";
  HANDLE file = CreateFileA(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  WriteFile(file, "MZ, but not a library", 21, &written, nullptr);
  CloseHandle(file);
  tarnwick::platform::win32::Win32System system;
  const tarnwick::os::HINSTANCE library = system.LoadLibraryA("mpr.dll");
  DeleteFileA(planted.c_str());
  ASSERT_NE(nullptr, library);
  EXPECT_NE(nullptr, system.GetProcAddress(library, "WNetGetConnectionA"));
  system.FreeLibrary(library);
}

}  // namespace
