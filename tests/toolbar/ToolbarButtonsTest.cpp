#include "toolbar/ToolbarButtons.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/emulated/EmulatedPlatform.h"
#include "settings/RegistryError.h"
#include "tests/support/BrowserSwitches.h"
#include "tests/support/Errors.h"

namespace tarnwick::toolbar {
namespace {

using test::MessageOf;

using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;
using Value = EmulatedRegistry::Value;

using test::MachinePaths;
using Windows = EmulatedPlatform::Machine;

constexpr const char* kExtensions = test::kExtensionsKey;
constexpr const char* kList = test::kButtonListKey;
constexpr const char* kTitle = "Tarnwick v1.0b Personal";
constexpr const char* kExecClsid = "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";
// The first and second GUIDs the emulated generator makes, as the system would write them.
constexpr const char* kFirstId = "{A1B2C3D5-0E5F-4A6B-9D9D-9E9FA1A1A2A3}";
constexpr const char* kSecondId = "{A1B2C3D6-0E5F-4A6B-9E9D-9E9FA2A1A2A3}";

Value Text(const std::string& text, DWORD type = kRegSz) {
  return EmulatedRegistry::StringValue(text, type);
}

std::string Ext(const std::string& id) { return std::string(kExtensions) + "\\" + id; }

class ToolbarButtonsTest : public ::testing::Test {
 protected:
  std::optional<Value> Machine(const std::string& path, const std::string& name) {
    return reg_.GetValue(HkeyLocalMachine(), path, name);
  }
  // The calls that changed something (or tried to).
  std::vector<std::string> Changes() {
    std::vector<std::string> out;
    for (const auto& call : reg_.Calls()) {
      if (call.function == "RegSetValueExA" || call.function == "RegDeleteKeyA" ||
          call.function == "RegDeleteValueA" || call.function == "RegCreateKeyExA") {
        out.push_back(call.function + " " + call.key + " : " + call.name);
      }
    }
    return out;
  }
  // The lines of the HKLM dump for one key: its header and its values.
  std::string KeyDump(const std::string& path) {
    const std::string dump = reg_.Dump(HkeyLocalMachine());
    const std::string header = "[HKLM\\" + path + "]\n";
    const std::size_t start = dump.find(header);
    if (start == std::string::npos) return "(missing)";
    const std::size_t end = dump.find('[', start + header.size());
    return dump.substr(start, end == std::string::npos ? std::string::npos : end - start);
  }
  void SeedButton(const std::string& text, const std::string& id) {
    reg_.PutString(HkeyLocalMachine(), kList, text, id);
    reg_.PutString(HkeyLocalMachine(), Ext(id), "ButtonText", text);
  }

  EmulatedPlatform os_;
  EmulatedRegistry& reg_ = os_.registry();
};

TEST_F(ToolbarButtonsTest, AddWritesTheExtensionKeyInOrderThenTheListEntry) {
  std::string id = "before";
  AddToolbarButton(true, TToolbarButtonKind::tbkExecutable, "My Button", "C:\\b.exe,1000",
                   "C:\\b.exe,1001", "C:\\b.exe", id);
  EXPECT_EQ(kFirstId, id);

  std::vector<std::string> calls;
  for (const auto& call : reg_.Calls()) {
    calls.push_back(call.function + " " + call.key + (call.name.empty() ? "" : " : " + call.name));
  }
  // The extension key in the 64-bit view, then in the 32-bit one; the list in the first.
  std::vector<std::string> expected;
  for (const std::string& path : MachinePaths(Ext(kFirstId))) {
    const std::string ext = "HKLM\\" + path;
    for (const std::string& call :
         {"RegCreateKeyExA HKLM : " + Ext(kFirstId), "RegSetValueExA " + ext + " : Default Visible",
          "RegSetValueExA " + ext + " : ButtonText", "RegSetValueExA " + ext + " : HotIcon",
          "RegSetValueExA " + ext + " : Icon", "RegSetValueExA " + ext + " : CLSID",
          "RegSetValueExA " + ext + " : Exec", "RegCloseKey " + ext}) {
      expected.push_back(call);
    }
  }
  const std::string list = std::string("HKLM\\") + kList;
  for (const std::string& call : {"RegCreateKeyExA HKLM : " + std::string(kList) + "\\",
                                  "RegSetValueExA " + list + " : My Button", "RegCloseKey " + list}) {
    expected.push_back(call);
  }
  EXPECT_EQ(expected, calls);

  // Every value is REG_SZ with its terminating zero.
  EXPECT_EQ(Text("Yes"), Machine(Ext(kFirstId), "Default Visible"));
  EXPECT_EQ(Text("My Button"), Machine(Ext(kFirstId), "ButtonText"));
  EXPECT_EQ(Text("C:\\b.exe,1000"), Machine(Ext(kFirstId), "HotIcon"));
  EXPECT_EQ(Text("C:\\b.exe,1001"), Machine(Ext(kFirstId), "Icon"));
  EXPECT_EQ(Text(kExecClsid), Machine(Ext(kFirstId), "CLSID"));
  EXPECT_EQ(Text("C:\\b.exe"), Machine(Ext(kFirstId), "Exec"));
  EXPECT_EQ(Text(kFirstId), Machine(kList, "My Button"));
  // The extension key and the keys on its way, as the dump lists them.
  std::string button;
  for (std::size_t slash = 0; (slash = Ext(kFirstId).find('\\', slash + 1)) != std::string::npos;) {
    button += "[HKLM\\" + Ext(kFirstId).substr(0, slash) + "]\n";
  }
  button += "[HKLM\\" + Ext(kFirstId) + "]\n"
            "\"ButtonText\"=REG_SZ:\"My Button\"\n"
            "\"CLSID\"=REG_SZ:\"" + kExecClsid + "\"\n"
            "\"Default Visible\"=REG_SZ:\"Yes\"\n"
            "\"Exec\"=REG_SZ:\"C:\\b.exe\"\n"
            "\"HotIcon\"=REG_SZ:\"C:\\b.exe,1000\"\n"
            "\"Icon\"=REG_SZ:\"C:\\b.exe,1001\"\n";
  button = button.substr(button.find('\n') + 1);  // [HKLM\Software] comes once, before both
  std::string inView32 = button;
  for (std::size_t at = 0; (at = inView32.find("Software\\", at)) != std::string::npos; at += 9) {
    inView32.insert(at + 9, "Wow6432Node\\");
  }
  const std::string listParent = std::string(kList).substr(0, std::string(kList).rfind('\\'));
  EXPECT_EQ("[HKLM]\n[HKLM\\Software]\n" + button + "[HKLM\\" + listParent + "]\n[HKLM\\" + kList +
                "]\n\"My Button\"=REG_SZ:\"" + kFirstId + "\"\n[HKLM\\Software\\Wow6432Node]\n" + inView32,
            reg_.Dump(HkeyLocalMachine()));
  EXPECT_EQ(0u, reg_.OpenHandles());
}

TEST_F(ToolbarButtonsTest, EachKindWritesItsClassAndTargetNameAndOthersWriteNeither) {
  struct Case {
    int kind;
    const char* clsid;       // null: no "CLSID" and no target
    const char* targetName;
  };
  const Case cases[] = {
      {0, "{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}", "ClsidExtension"},
      {1, "{E0DD6CAB-2D10-11D2-8F1A-0000F87ABD16}", "BandCLSID"},
      {2, "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}", "Script"},
      {3, "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}", "Exec"},
      {4, nullptr, nullptr},
      {127, nullptr, nullptr},
      {255, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind);
    EmulatedPlatform fresh;
    auto& reg = fresh.registry();
    std::string id;
    AddToolbarButton(false, static_cast<TToolbarButtonKind>(c.kind), "B", "h", "i", "the target",
                     id);
    ASSERT_EQ(kFirstId, id);
    std::string expected = "[HKLM\\" + Ext(id) + "]\n\"ButtonText\"=REG_SZ:\"B\"\n";
    if (c.clsid) expected += std::string("\"CLSID\"=REG_SZ:\"") + c.clsid + "\"\n";
    expected += "\"Default Visible\"=REG_SZ:\"No\"\n\"HotIcon\"=REG_SZ:\"h\"\n\"Icon\"=REG_SZ:\"i\"\n";
    const std::string dump = reg.Dump(HkeyLocalMachine());
    const std::size_t at = dump.find("[HKLM\\" + Ext(id) + "]");
    ASSERT_NE(std::string::npos, at);
    std::string key = dump.substr(at, dump.find("[HKLM\\Software\\", at + 1) - at);
    if (c.targetName) {
      // Sorted without case, the target name may fall anywhere; take it out and compare the rest.
      const std::string line = std::string("\"") + c.targetName + "\"=REG_SZ:\"the target\"\n";
      const std::size_t found = key.find(line);
      ASSERT_NE(std::string::npos, found) << key;
      key.erase(found, line.size());
      EXPECT_EQ(Text("the target"), reg.GetValue(HkeyLocalMachine(), Ext(id), c.targetName));
    }
    EXPECT_EQ(expected, key);
    EXPECT_EQ(Text(id), reg.GetValue(HkeyLocalMachine(), kList, "B"));
    EXPECT_EQ(0u, reg.OpenHandles());
  }
}

TEST_F(ToolbarButtonsTest, IdentifiersAreWrittenInTheSystemsClassIdentifierForm) {
  struct Case {
    GUID guid;
    const char* text;
  };
  const Case cases[] = {
      {{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}, "{00000000-0000-0000-0000-000000000000}"},
      {{0xFFFFFFFFu, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}},
       "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"},
      {{0x1, 0x2, 0x3, {0x4, 0x5, 0x6, 0x7, 0x8, 0x9, 0xa, 0xb}},
       "{00000001-0002-0003-0405-060708090A0B}"},
      {{0xd27cdb6eu, 0xae6d, 0x11cf, {0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}},
       "{D27CDB6E-AE6D-11CF-96B8-444553540000}"},
      {{0x01234567u, 0x89ab, 0xcdef, {0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10}},
       "{01234567-89AB-CDEF-FEDC-BA9876543210}"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, FormatGuid(c.guid));
    EXPECT_TRUE(IsGuidText(FormatGuid(c.guid)));
  }

  // What the generator gives goes through the same form into the key name and the list.
  std::string first;
  std::string second;
  AddToolbarButton(true, TToolbarButtonKind::tbkScript, "one", "", "", "", first);
  AddToolbarButton(true, TToolbarButtonKind::tbkScript, "two", "", "", "", second);
  EXPECT_EQ(kFirstId, first);
  EXPECT_EQ(kSecondId, second);
  EXPECT_EQ((std::vector<std::string>{kFirstId, kSecondId}),
            reg_.SubkeyNames(HkeyLocalMachine(), kExtensions));
}

TEST_F(ToolbarButtonsTest, OnlyAListedIdentifierOfTheSystemsFormNamesAKeyToErase) {
  const std::string other = "{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}";  // another program's button
  struct Case {
    const char* why;
    Value stored;
    bool seedKey;          // seed a key named by the stored text
    bool valueDeleted;
    bool eraseTried;
  };
  const Case cases[] = {
      {"upper-case identifier", Text("{11111111-2222-3333-4444-555555555555}"), true, true, true},
      {"lower-case identifier", Text("{abcdef01-2345-6789-abcd-ef0123456789}"), true, true, true},
      {"as expandable string", Text("{ABCDEF01-2345-6789-ABCD-EF0123456789}", kRegExpandSz), true,
       true, true},
      {"identifier whose key is gone", Text("{ABCDEF01-2345-6789-ABCD-EF0123456789}"), false, true,
       true},
      {"37 characters", Text("{ABCDEF01-2345-6789-ABCD-EF012345678}"), true, false, false},
      {"39 characters", Text("{ABCDEF01-2345-6789-ABCD-EF01234567890}"), true, false, false},
      {"empty", Text(""), false, false, false},
      {"38 characters of another shape", Text("Another-Program's-Button-Key-Name-Here"), true, true,
       false},
      {"not hexadecimal", Text("{GBCDEF01-2345-6789-ABCD-EF0123456789}"), true, true, false},
      {"hyphen moved", Text("{ABCDEF0-12345-6789-ABCD-EF0123456789}"), true, true, false},
      {"no braces", Text("(ABCDEF01-2345-6789-ABCD-EF0123456789)"), true, true, false},
      {"no opening brace", Text("ABCDEF012-2345-6789-ABCD-EF0123456789}"), true, true, false},
      {"no closing brace", Text("{ABCDEF01-2345-6789-ABCD-EF0123456789A"), true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EmulatedPlatform fresh;
    auto& reg = fresh.registry();
    const std::string text(c.stored.data.begin(), c.stored.data.end() - 1);
    reg.PutValue(HkeyLocalMachine(), kList, kTitle, c.stored);
    reg.PutString(HkeyLocalMachine(), Ext(other), "ButtonText", "Other");
    reg.PutString(HkeyLocalMachine(), kList, "Other", other);
    if (c.seedKey) reg.PutString(HkeyLocalMachine(), Ext(text) + "\\Deeper", "x", "y");

    EXPECT_TRUE(RemoveToolbarButton(kTitle));
    EXPECT_EQ(!c.valueDeleted, reg.GetValue(HkeyLocalMachine(), kList, kTitle).has_value());
    if (c.seedKey) {
      EXPECT_EQ(!c.eraseTried, reg.KeyExists(HkeyLocalMachine(), Ext(text)));
    }
    EXPECT_EQ(c.eraseTried, reg.CallCount("RegDeleteKeyExA") != 0);
    EXPECT_TRUE(reg.KeyExists(HkeyLocalMachine(), Ext(other)));
    EXPECT_EQ(Text(other), reg.GetValue(HkeyLocalMachine(), kList, "Other"));
    EXPECT_EQ(0u, reg.OpenHandles());
  }
}

TEST_F(ToolbarButtonsTest, AHandEditedEntryCannotEraseOtherButtons) {
  const std::string other = "{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}";
  const std::vector<std::string> edited = {
      std::string(38, '\\'),                        // would name the Extensions key itself
      "\\" + other.substr(0, 36) + "\\",            // another button's key, padded to 38
      "..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..",
      other.substr(0, 37) + "\\",
  };
  for (const std::string& text : edited) {
    SCOPED_TRACE(text);
    ASSERT_EQ(38u, text.size());
    EmulatedPlatform fresh;
    auto& reg = fresh.registry();
    reg.PutString(HkeyLocalMachine(), Ext(other), "ButtonText", "Other");
    reg.PutString(HkeyLocalMachine(), Ext(other.substr(0, 36)), "ButtonText", "Near");
    reg.PutString(HkeyLocalMachine(), kList, kTitle, text);
    EXPECT_TRUE(RemoveToolbarButton(kTitle));
    EXPECT_FALSE(reg.GetValue(HkeyLocalMachine(), kList, kTitle));
    EXPECT_TRUE(reg.KeyExists(HkeyLocalMachine(), Ext(other)));
    EXPECT_TRUE(reg.KeyExists(HkeyLocalMachine(), Ext(other.substr(0, 36))));
    EXPECT_EQ(0u, reg.CallCount("RegDeleteKeyExA"));
  }
}

TEST_F(ToolbarButtonsTest, AListEntryThatIsNotTextRaisesAndDeletesNothing) {
  const std::vector<Value> stored = {
      Value{kRegBinary, std::vector<BYTE>(kFirstId, kFirstId + 38)},
      EmulatedRegistry::DwordValue(38),
      Value{kRegMultiSz, {'x', 0, 0}},
  };
  for (const Value& value : stored) {
    SCOPED_TRACE(testing::Message() << value);
    EmulatedPlatform fresh;
    auto& reg = fresh.registry();
    reg.PutValue(HkeyLocalMachine(), kList, kTitle, value);
    reg.PutString(HkeyLocalMachine(), Ext(kFirstId), "ButtonText", kTitle);
    EXPECT_EQ("Invalid data type for 'Tarnwick v1.0b Personal'",
              MessageOf([] { UnregisterProgramButton(kTitle); }));
    EXPECT_EQ(value, reg.GetValue(HkeyLocalMachine(), kList, kTitle));
    EXPECT_TRUE(reg.KeyExists(HkeyLocalMachine(), Ext(kFirstId)));
    EXPECT_EQ(0u, reg.CallCount("RegDeleteValueA") + reg.CallCount("RegDeleteKeyExA"));
    EXPECT_EQ(0u, reg.OpenHandles());

    // Register stops there too, before anything is added.
    EXPECT_EQ("Invalid data type for 'Tarnwick v1.0b Personal'",
              MessageOf([] { RegisterProgramButton(kTitle); }));
    EXPECT_EQ(0u, reg.CallCount("RegSetValueExA"));
  }
}

TEST_F(ToolbarButtonsTest, RegisterTwiceLeavesOneButtonWithANewIdentifier) {
  SeedButton("Other", "{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}");
  RegisterProgramButton(kTitle);
  EXPECT_EQ(Text(kFirstId), Machine(kList, kTitle));
  reg_.PutString(HkeyLocalMachine(), Ext(kFirstId) + "\\Sub\\Deeper", "x", "y");

  RegisterProgramButton(kTitle);
  EXPECT_EQ((std::vector<std::string>{"{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}", kSecondId}),
            reg_.SubkeyNames(HkeyLocalMachine(), kExtensions));
  EXPECT_EQ(std::string("[HKLM\\") + kList + "]\n" +
                "\"Other\"=REG_SZ:\"{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}\"\n" +
                "\"Tarnwick v1.0b Personal\"=REG_SZ:\"" + kSecondId + "\"\n",
            KeyDump(kList));
  EXPECT_EQ(Text(kTitle), Machine(Ext(kSecondId), "ButtonText"));
  EXPECT_EQ(0u, reg_.OpenHandles());
}

TEST_F(ToolbarButtonsTest, BuildsOfBothWidthsShareOneListAndLeaveOneButtonInEachView) {
  // A button that an earlier 32-bit build listed in the 32-bit view.
  const std::string earlier = "{0E1F2A3B-4C5D-6E7F-8091-A2B3C4D5E6F7}";
  reg_.PutString(HkeyLocalMachine(), MachinePaths(kList)[1], kTitle, earlier);
  reg_.PutString(HkeyLocalMachine(), MachinePaths(Ext(earlier))[1], "ButtonText", kTitle);

  os_.SetMachine(Windows::Windows64Program32);
  RegisterProgramButton(kTitle);
  for (const std::string& extensions : MachinePaths(kExtensions)) {
    EXPECT_EQ(std::vector<std::string>{kFirstId}, reg_.SubkeyNames(HkeyLocalMachine(), extensions));
  }
  EXPECT_EQ(Text(kFirstId), Machine(kList, kTitle));
  EXPECT_FALSE(Machine(MachinePaths(kList)[1], kTitle));

  os_.SetMachine(Windows::Windows64);
  UnregisterProgramButton(kTitle);
  for (const std::string& extensions : MachinePaths(kExtensions)) {
    EXPECT_TRUE(reg_.SubkeyNames(HkeyLocalMachine(), extensions).empty());
  }
  EXPECT_FALSE(Machine(kList, kTitle));

  // 32-bit Windows has the one view.
  EmulatedPlatform windows32;
  windows32.SetMachine(Windows::Windows32);
  RegisterProgramButton(kTitle);
  EXPECT_EQ(1u, windows32.registry().SubkeyNames(HkeyLocalMachine(), kExtensions).size());
  EXPECT_FALSE(windows32.registry().KeyExists(HkeyLocalMachine(), "Software\\Wow6432Node"));
}

TEST_F(ToolbarButtonsTest, TheProgramsButtonStartsItsOwnFileUnquoted) {
  const std::string path = "C:\\Program Files\\Brambleworks Tools\\tarnwick v1.exe";
  os_.system().SetModulePath(path);
  RegisterProgramButton(kTitle);
  EXPECT_EQ(Text("Yes"), Machine(Ext(kFirstId), "Default Visible"));
  EXPECT_EQ(Text(kTitle), Machine(Ext(kFirstId), "ButtonText"));
  EXPECT_EQ(Text(path + ",1000"), Machine(Ext(kFirstId), "HotIcon"));
  EXPECT_EQ(Text(path + ",1001"), Machine(Ext(kFirstId), "Icon"));
  EXPECT_EQ(Text(kExecClsid), Machine(Ext(kFirstId), "CLSID"));
  EXPECT_EQ(Text(path), Machine(Ext(kFirstId), "Exec"));
  EXPECT_EQ(0u, reg_.OpenHandles());
}

TEST_F(ToolbarButtonsTest, UnregisterRemovesTheButtonAndOnlyIt) {
  SeedButton("Other", "{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}");
  RegisterProgramButton(kTitle);
  UnregisterProgramButton(kTitle);
  EXPECT_FALSE(reg_.KeyExists(HkeyLocalMachine(), Ext(kFirstId)));
  EXPECT_FALSE(Machine(kList, kTitle));
  EXPECT_EQ((std::vector<std::string>{"{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}"}),
            reg_.SubkeyNames(HkeyLocalMachine(), kExtensions));
  EXPECT_EQ(Text("{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}"), Machine(kList, "Other"));
  EXPECT_EQ(0u, reg_.OpenHandles());

  // A second time there is nothing left to remove.
  reg_.ClearCalls();
  UnregisterProgramButton(kTitle);
  EXPECT_TRUE(Changes().empty());
}

TEST_F(ToolbarButtonsTest, UnregisterWithNothingRegisteredChangesNothing) {
  // Neither the list key nor, then, the entry.
  const std::string before = reg_.Dump(HkeyLocalMachine());
  EXPECT_EQ("(no error)", MessageOf([] { UnregisterProgramButton(kTitle); }));
  EXPECT_TRUE(Changes().empty());
  EXPECT_EQ(before, reg_.Dump(HkeyLocalMachine()));

  // A list without the program's entry, also one that the user may not change.
  SeedButton("Other", "{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}");
  const std::string seeded = reg_.Dump(HkeyLocalMachine());
  for (const bool denied : {false, true}) {
    reg_.DenyWrites(HkeyLocalMachine(), denied);
    reg_.ClearCalls();
    EXPECT_EQ("(no error)", MessageOf([] { UnregisterProgramButton(kTitle); }));
    EXPECT_TRUE(Changes().empty());
    EXPECT_EQ(seeded, reg_.Dump(HkeyLocalMachine()));
    EXPECT_EQ(0u, reg_.OpenHandles());
  }
}

TEST_F(ToolbarButtonsTest, AUserWhoMayNotWriteTheMachineKeysGetsAnErrorAndNoButton) {
  SeedButton(kTitle, "{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}");
  reg_.DenyWrites(HkeyLocalMachine());
  const std::string before = reg_.Dump(HkeyLocalMachine());

  std::string id = "unchanged";
  EXPECT_EQ("Failed to set data for 'Default Visible'", MessageOf([&] {
              AddToolbarButton(true, TToolbarButtonKind::tbkExecutable, kTitle, "h", "i", "t", id);
            }));
  EXPECT_EQ("unchanged", id);
  // The earlier button, which cannot be removed, is what Register and Unregister stop at.
  EXPECT_EQ("Failed to set data for 'Tarnwick v1.0b Personal'",
            MessageOf([] { RegisterProgramButton(kTitle); }));
  EXPECT_EQ("Failed to set data for 'Tarnwick v1.0b Personal'",
            MessageOf([] { UnregisterProgramButton(kTitle); }));
  EXPECT_EQ(before, reg_.Dump(HkeyLocalMachine()));
  for (const auto& call : reg_.Calls()) {
    if (call.function == "RegSetValueExA") {
      EXPECT_NE(kErrorSuccess, call.result) << call.name;
    }
  }
  EXPECT_EQ(0u, reg_.OpenHandles());
}

TEST_F(ToolbarButtonsTest, WithoutANewIdentifierRegisterRaisesAndWritesNothing) {
  os_.system().FailGuids();
  const std::string before = reg_.Dump(HkeyLocalMachine());
  try {
    RegisterProgramButton(kTitle);
    ADD_FAILURE() << "a button without an identifier was written";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ("Cannot make an identifier for the toolbar button", e.what());
  }
  EXPECT_EQ(before, reg_.Dump(HkeyLocalMachine()));
  EXPECT_TRUE(Changes().empty());
}

TEST_F(ToolbarButtonsTest, AFailingListEntryRaisesWithTheTextAndTakesTheExtensionKeyBack) {
  struct Case {
    const char* function;
    std::string name;
  };
  const Case cases[] = {
      {"RegSetValueExA", "My Button"},
      {"RegCreateKeyExA", std::string(kList) + "\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    EmulatedPlatform fresh;
    auto& reg = fresh.registry();
    reg.FailCall(c.function, kErrorAccessDenied, 1, c.name);
    std::string id = "unchanged";
    EXPECT_EQ("Failed to set data for 'My Button'", MessageOf([&] {
                AddToolbarButton(true, TToolbarButtonKind::tbkExecutable, "My Button", "h", "i",
                                 "t", id);
              }));
    EXPECT_EQ("unchanged", id);
    // A key that no entry names could never be removed again, in either view.
    for (const std::string& path : MachinePaths(Ext(kFirstId))) {
      EXPECT_FALSE(reg.KeyExists(HkeyLocalMachine(), path));
    }
    EXPECT_FALSE(reg.GetValue(HkeyLocalMachine(), kList, "My Button"));
    EXPECT_EQ(0u, reg.OpenHandles());
  }
}

TEST_F(ToolbarButtonsTest, TheProgramsPathIsNeverCut) {
  const std::string deep = "C:\\" + std::string(400, 'p') + "\\tarnwick.exe";
  os_.system().SetModulePath(deep);
  RegisterProgramButton(kTitle);
  EXPECT_EQ(Text(deep), Machine(Ext(kFirstId), "Exec"));
  EXPECT_EQ(Text(deep + ",1000"), Machine(Ext(kFirstId), "HotIcon"));
}

}  // namespace
}  // namespace tarnwick::toolbar
