// Writes what the installers must know of the program, taken from the one place each fact is
// written: the program's own constants, and the product's name and version from the build. An
// OUTPUT ending in .nsh gets NSIS defines, one ending in .wxi WiX preprocessor variables for the
// Windows Installer package. Built and run on the build machine.
//
//   installer_facts OUTPUT PRODUCT VERSION
#include <algorithm>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "blocking/MainWindow.h"
#include "dialogs/AboutForm.h"
#include "dialogs/SettingsForm.h"
#include "installer/ProductFacts.h"
#include "settings/SettingsStore.h"
#include "toolbar/ToolbarButtons.h"

namespace {

using namespace tarnwick;

// A quoted NSIS string: "$" starts a variable and '"' ends the text, unless escaped.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\r' || c == '\n') {
      throw std::invalid_argument("a line break in " + std::string(text));
    }
    if (c == '$') {
      out += "$$";
    } else if (c == '"') {
      out += "$\\\"";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// A WiX preprocessor value. Its text lands in XML attributes, and "$(" would start a variable,
// so the few characters that would need escaping are refused rather than escaped.
std::string WixQuoted(std::string_view text) {
  if (text.find_first_of("\"$<>&?\r\n") != std::string_view::npos) {
    throw std::invalid_argument("a character that WiX would read otherwise in " +
                                std::string(text));
  }
  return "\"" + std::string(text) + "\"";
}

// The program writes its keys from the root ("\Software\..."), and some with a closing '\'.
std::string_view KeyPath(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return key;
}

// Windows versions have `parts` numbers: four for files, three for Windows Installer, which
// compares no more. The build gives from two to four.
std::string VersionOf(std::string version, std::ptrdiff_t parts) {
  for (auto dots = std::count(version.begin(), version.end(), '.'); dots < parts - 1; ++dots) {
    version += ".0";
  }
  for (auto dots = std::count(version.begin(), version.end(), '.'); dots > parts - 1; --dots) {
    version.erase(version.rfind('.'));
  }
  return version;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: installer_facts OUTPUT PRODUCT VERSION\n";
    return 2;
  }
  try {
    const struct {
      const char* name;
      std::string value;
    } facts[] = {
        {"PRODUCT", argv[2]},
        {"MAKER", std::string(installer::Maker())},
        {"VERSION", std::string(installer::ShownVersion())},
        {"FILE_VERSION", VersionOf(argv[3], 4)},
        {"PACKAGE_VERSION", VersionOf(argv[3], 3)},
        {"DESCRIPTION", "Switches off rich content in Internet Explorer"},
        {"WEB_SITE", dialogs::kWebSiteAddress},
        {"TITLE", settings::kProgramTitle},
        {"MAIN_CLASS", blocking::kMainWindowClass},
        {"SETTINGS_KEY", std::string(KeyPath(settings::kSettingsKey))},
        {"RUN_KEY", std::string(KeyPath(dialogs::kRunKey))},
        {"BUTTON_LIST_KEY", std::string(KeyPath(toolbar::kButtonListKey))},
        {"EXTENSIONS_KEY", std::string(KeyPath(toolbar::kExtensionsKey))},
    };
    const std::string_view output = argv[1];
    const bool wix = EndsWith(output, ".wxi");
    if (!wix && !EndsWith(output, ".nsh")) throw std::invalid_argument("neither .nsh nor .wxi");
    std::ofstream out(argv[1], std::ios::binary);
    const std::string_view comment = wix ? "  " : "; ";
    if (wix) out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!--\n";
    out << comment << "What the installer knows of the program, written by the build from the\n"
        << comment << "program's own constants (installer/InstallerFacts.cpp). Not to be edited.\n";
    if (wix) out << "-->\n<Include>\n";
    for (const auto& fact : facts) {
      if (wix) {
        out << "  <?define " << fact.name << " = " << WixQuoted(fact.value) << "?>\n";
      } else {
        out << "!define " << fact.name << ' ' << Quoted(fact.value) << '\n';
      }
    }
    if (wix) out << "</Include>\n";
    out.close();
    if (!out) throw std::runtime_error(std::string("cannot write ") + argv[1]);
  } catch (const std::exception& e) {
    std::cerr << "installer_facts: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
