// Writes the administrative template, NAME.admx and en-US/NAME.adml, from the table of managed
// settings and the program's own captions, so that no policy's key, value name or values can
// differ between the program and the template. Built and run on the build machine.
//
//   policy_template DIR NAME PRODUCT   writes DIR/NAME.admx and DIR/en-US/NAME.adml
//   policy_template --list             prints every policy value the program reads, one a line:
//                                      its key, a tab, its value name
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "blocking/ContentKinds.h"
#include "dialogs/SettingsForm.h"
#include "installer/ProductFacts.h"
#include "settings/ManagedSettings.h"
#include "ui/Control.h"

namespace {

using namespace tarnwick;
using settings::Setting;
using settings::SettingKind;

// Group Policy's editor and Intune's import refuse a template outside this schema.
constexpr const char* kSchemaNamespace =
    "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";
constexpr const char* kSchemaVersion = "1.0";
constexpr const char* kRevision = "1.0";
constexpr const char* kLanguage = "en-US";

// A setting other than a content kind is on at the one policy value and off at the other.
constexpr std::int32_t kOn = settings::kHighestPolicyValue;
constexpr std::int32_t kOff = settings::kLowestPolicyValue;

constexpr const char* kAllowedText = "Allowed";
constexpr const char* kBannedText = "Banned";
constexpr const char* kRecommendedCategoryText = "Recommended settings (users can change them)";

// What each setting governs, for its explanation. Its title is the caption the program shows
// for it; only a setting without one has a title here. An administrator's setting has its
// explanation here whole.
struct About {
  const Setting& setting;
  const char* title;
  const char* text;
};
const About kAbout[] = {
    {settings::kDisplayInlineVideos, nullptr,
     "Whether Internet Explorer plays the videos that pages show inline."},
    {settings::kPlayAnimatedGifs, nullptr,
     "Whether Internet Explorer plays animations in pages, such as animated GIF pictures."},
    {settings::kBackgroundSounds, nullptr,
     "Whether Internet Explorer plays the background sounds of pages."},
    {settings::kShockwaveFlash, nullptr,
     "Whether Internet Explorer may load the Macromedia Shockwave and Flash players."},
    {settings::kJavaApplets, nullptr,
     "Whether Internet Explorer runs Java applets from sites in the Internet zone."},
    {settings::kStartWithWindows, nullptr, "Whether the program starts when the user signs in."},
    {settings::kStartMinimized, nullptr,
     "Whether the program starts hidden in the notification area, without showing its window."},
    {settings::kBanAtStart, nullptr,
     "Whether the program writes the chosen bans to the browser at every start."},
    {settings::kExitOnClose, nullptr,
     "Whether closing the program's window ends the program, rather than hiding it in the "
     "notification area."},
    {settings::kMonitoring, "Monitoring",
     "Whether the program monitors the browser's switches: while it does, it writes the chosen "
     "bans again and again, so that nothing switches a banned kind of content back on.\n\n"
     "If you enable this policy, monitoring runs from every start of the program, and users "
     "cannot stop it.\n\n"
     "If you disable this policy, users cannot start monitoring.\n\n"
     "If you do not configure this policy, users start and stop monitoring themselves."},
    {settings::kShowDemonstration, "Show the demonstration window",
     "Whether the program shows its demonstration window by itself, which it does now and then "
     "as it counts its starts.\n\n"
     "If you disable this policy, the demonstration window never shows by itself.\n\n"
     "If you enable or do not configure this policy, it shows as usual."},
};

const About& AboutOf(const Setting& setting) {
  for (const About& about : kAbout) {
    if (&about.setting == &setting) return about;
  }
  throw std::invalid_argument(std::string("no explanation for ") + setting.policy);
}

// The caption the program shows for `setting`, without its mnemonic, or "".
std::string ShownCaption(const Setting& setting) {
  for (const blocking::ContentKind& kind : blocking::ContentKinds()) {
    if (&kind.setting == &setting) return ui::WithoutMnemonics(kind.caption);
  }
  if (const char* caption = dialogs::CaptionOf(setting)) return ui::WithoutMnemonics(caption);
  return {};
}

std::string TitleOf(const Setting& setting) {
  const std::string caption = ShownCaption(setting);
  const char* title = AboutOf(setting).title;
  if (caption.empty() == (title == nullptr)) {
    throw std::invalid_argument(std::string("a title and a caption, or neither, for ") +
                                setting.policy);
  }
  return title != nullptr ? title : caption;
}

std::string RecommendedKey() {
  return std::string(settings::kPoliciesKey) + "\\" + settings::kRecommendedSubkey;
}

// Names and string ids: the schema allows letters, digits and "_".
std::string Id(std::string text) {
  if (text.empty() || text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                             "0123456789_") != std::string::npos) {
    throw std::invalid_argument("not a name the template may use: " + text);
  }
  return text;
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The maker's and the product's names as the policy key has them, under Software\Policies.
struct KeyNames {
  std::string maker;
  std::string product;
};
KeyNames NamesInPolicyKey() {
  std::vector<std::string> parts;
  std::istringstream key(settings::kPoliciesKey);
  for (std::string part; std::getline(key, part, '\\');) parts.push_back(part);
  if (parts.size() != 4 || parts[0] != "Software" || parts[1] != "Policies") {
    throw std::invalid_argument(std::string("not a maker's policy key: ") + settings::kPoliciesKey);
  }
  return {Id(parts[2]), Id(parts[3])};
}

struct Policy {
  const Setting& setting;
  bool recommended;
  std::string Name() const {
    return recommended ? std::string(setting.policy) + "_" + settings::kRecommendedSubkey
                       : setting.policy;
  }
  std::string Key() const { return recommended ? RecommendedKey() : settings::kPoliciesKey; }
  std::string ExplainId() const { return Name() + "_Explain"; }
  // A content kind is chosen from a list, as the program's Yes and No; any other is on or off.
  bool Listed() const { return setting.kind == SettingKind::Content; }
};

// Each setting locked for the computer and the user, then each recommendable one recommended.
std::vector<Policy> Policies() {
  std::vector<Policy> policies;
  for (const Setting* setting : settings::kManagedSettings) policies.push_back({*setting, false});
  for (const Setting* setting : settings::kManagedSettings) {
    if (setting->Recommendable()) policies.push_back({*setting, true});
  }
  return policies;
}

struct Choice {
  const char* text;
  std::int32_t value;
};
constexpr Choice kContentChoices[] = {{kAllowedText, blocking::kAllow},
                                      {kBannedText, blocking::kBan}};

std::size_t ContentChoiceIndex(std::int32_t value) {
  for (std::size_t i = 0; i < std::size(kContentChoices); ++i) {
    if (kContentChoices[i].value == value) return i;
  }
  throw std::invalid_argument("no choice of value " + std::to_string(value));
}

std::string Explanation(const Policy& policy, const std::string& product) {
  const Setting& setting = policy.setting;
  const About& about = AboutOf(setting);
  if (setting.kind == SettingKind::AdministratorOnly) return about.text;
  const std::string overruled =
      " A policy of the same name in the category above, when it is set, wins over this one.";
  std::string text = std::string(about.text) + "\n\n";
  if (setting.kind == SettingKind::Content) {
    if (!policy.recommended) {
      return text + "If you enable this policy, " + product +
             " holds the choice you select, and users cannot change it: the main window shows it "
             "disabled, and the buttons that set every kind at once leave it alone.\n\n"
             "If you disable or do not configure this policy, users choose for themselves, "
             "starting from the recommended choice where one is set.";
    }
    return text +
           "If you enable this policy, users who have not made this choice themselves "
           "start from the choice you select, and can change it." +
           overruled + "\n\nIf you disable or do not configure this policy, they start from " +
           product +
           "'s own default: " + kContentChoices[ContentChoiceIndex(setting.byDefault)].text + ".";
  }
  text += "This is the box \"" + ShownCaption(setting) + "\" in " + product + "'s Options.\n\n";
  if (!policy.recommended) {
    return text +
           "If you enable this policy, the box is ticked; if you disable it, the box is "
           "unticked. Either way users cannot change it.\n\n"
           "If you do not configure this policy, users tick or untick it themselves, "
           "starting from the recommended state where one is set.";
  }
  return text +
         "If you enable this policy, the box starts ticked for users who have not set it "
         "themselves; if you disable it, it starts unticked. Either way they can change "
         "it." +
         overruled + "\n\nIf you do not configure this policy, the box starts as " + product +
         " has it by default: " + (setting.byDefault != kOff ? "ticked." : "unticked.");
}

// Every string the template names, each id once, in the order written.
class StringTable {
 public:
  std::string Add(const std::string& id, const std::string& text) {
    if (!ids_.insert(Id(id)).second) throw std::invalid_argument("two strings named " + id);
    entries_.push_back({id, text});
    return "$(string." + id + ")";
  }
  void Write(std::ostream& out) const {
    for (const auto& [id, text] : entries_) {
      out << "      <string id=\"" << id << "\">" << Escaped(text) << "</string>\n";
    }
  }

 private:
  std::set<std::string> ids_;
  std::vector<std::pair<std::string, std::string>> entries_;
};

struct Template {
  std::string admx;
  std::string adml;
};

Template Written(const std::string& prefix, const std::string& product) {
  const KeyNames names = NamesInPolicyKey();
  const std::string version(installer::ShownVersion());
  StringTable strings;
  std::ostringstream admx;
  std::ostringstream presentations;

  admx << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
       << "<policyDefinitions xmlns=\"" << kSchemaNamespace << "\" revision=\"" << kRevision
       << "\" schemaVersion=\"" << kSchemaVersion << "\">\n"
       << "  <policyNamespaces>\n"
       << "    <target prefix=\"" << Id(prefix) << "\" namespace=\"" << names.maker << ".Policies."
       << names.product << "\"/>\n"
       << "  </policyNamespaces>\n"
       << "  <resources minRequiredRevision=\"" << kRevision << "\"/>\n";

  std::string supported = "SUPPORTED_" + product + "_" + version;
  for (char& c : supported) {
    if (c == '.' || c == ' ' || c == '-') c = '_';
  }
  admx << "  <supportedOn>\n    <definitions>\n"
       << "      <definition name=\"" << supported << "\" displayName=\""
       << strings.Add(supported, product + " " + version + " and later") << "\"/>\n"
       << "    </definitions>\n  </supportedOn>\n";

  const std::string recommendedCategory = Id(settings::kRecommendedSubkey);
  admx << "  <categories>\n"
       << "    <category name=\"" << names.maker << "\" displayName=\""
       << strings.Add(names.maker, std::string(installer::Maker())) << "\"/>\n"
       << "    <category name=\"" << names.product << "\" displayName=\""
       << strings.Add(names.product, product) << "\">\n"
       << "      <parentCategory ref=\"" << names.maker << "\"/>\n"
       << "    </category>\n"
       << "    <category name=\"" << recommendedCategory << "\" displayName=\""
       << strings.Add(recommendedCategory, kRecommendedCategoryText) << "\">\n"
       << "      <parentCategory ref=\"" << names.product << "\"/>\n"
       << "    </category>\n"
       << "  </categories>\n";

  std::vector<std::string> choices;
  for (const Choice& choice : kContentChoices) {
    choices.push_back(strings.Add(choice.text, choice.text));
  }

  admx << "  <policies>\n";
  for (const Policy& policy : Policies()) {
    const Setting& setting = policy.setting;
    const std::string name = Id(policy.Name());
    // A recommended policy has the title of its locked twin, which comes first.
    const std::string title = "$(string." + Id(setting.policy) + ")";
    if (!policy.recommended) strings.Add(setting.policy, TitleOf(setting));
    admx << "    <policy name=\"" << name << "\" class=\"Both\" displayName=\"" << title
         << "\" explainText=\"" << strings.Add(policy.ExplainId(), Explanation(policy, product))
         << "\"";
    if (policy.Listed()) admx << " presentation=\"$(presentation." << name << ")\"";
    admx << " key=\"" << Escaped(policy.Key()) << "\"";
    if (!policy.Listed()) admx << " valueName=\"" << Escaped(setting.policy) << "\"";
    admx << ">\n"
         << "      <parentCategory ref=\""
         << (policy.recommended ? recommendedCategory : names.product) << "\"/>\n"
         << "      <supportedOn ref=\"" << supported << "\"/>\n";
    if (policy.Listed()) {
      admx << "      <elements>\n"
           << "        <enum id=\"" << setting.policy << "\" valueName=\""
           << Escaped(setting.policy) << "\" required=\"true\">\n";
      for (std::size_t i = 0; i < choices.size(); ++i) {
        admx << "          <item displayName=\"" << choices[i] << "\">\n"
             << "            <value><decimal value=\"" << kContentChoices[i].value
             << "\"/></value>\n"
             << "          </item>\n";
      }
      admx << "        </enum>\n"
           << "      </elements>\n";
      presentations << "      <presentation id=\"" << name << "\">\n"
                    << "        <dropdownList refId=\"" << setting.policy
                    << "\" noSort=\"true\" defaultItem=\"" << ContentChoiceIndex(setting.byDefault)
                    << "\">" << Escaped(TitleOf(setting)) << "</dropdownList>\n"
                    << "      </presentation>\n";
    } else {
      admx << "      <enabledValue><decimal value=\"" << kOn << "\"/></enabledValue>\n"
           << "      <disabledValue><decimal value=\"" << kOff << "\"/></disabledValue>\n";
    }
    admx << "    </policy>\n";
  }
  admx << "  </policies>\n"
       << "</policyDefinitions>\n";

  std::ostringstream adml;
  adml << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
       << "<policyDefinitionResources xmlns=\"" << kSchemaNamespace << "\" revision=\"" << kRevision
       << "\" schemaVersion=\"" << kSchemaVersion << "\">\n"
       << "  <displayName>" << Escaped(product) << "</displayName>\n"
       << "  <description>"
       << Escaped(product + " by " + std::string(installer::Maker()) +
                  ": what an administrator can set")
       << "</description>\n"
       << "  <resources>\n"
       << "    <stringTable>\n";
  strings.Write(adml);
  adml << "    </stringTable>\n"
       << "    <presentationTable>\n"
       << presentations.str() << "    </presentationTable>\n"
       << "  </resources>\n"
       << "</policyDefinitionResources>\n";
  return {admx.str(), adml.str()};
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 2 && std::string_view(argv[1]) == "--list") {
      for (const Setting* setting : settings::kManagedSettings) {
        std::cout << settings::kPoliciesKey << '\t' << setting->policy << '\n';
        if (setting->Recommendable()) {
          std::cout << RecommendedKey() << '\t' << setting->policy << '\n';
        }
      }
      return 0;
    }
    if (argc != 4) {
      std::cerr << "usage: policy_template DIR NAME PRODUCT | policy_template --list\n";
      return 2;
    }
    const std::filesystem::path dir = argv[1];
    const std::string name = argv[2];
    const Template written = Written(name, argv[3]);
    WriteFile(dir / (name + ".admx"), written.admx);
    WriteFile(dir / kLanguage / (name + ".adml"), written.adml);
  } catch (const std::exception& e) {
    std::cerr << "policy_template: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
