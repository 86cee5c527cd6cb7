#pragma once
// The one resolver of the managed settings. What decides a setting, first to last: the computer's
// policy, the user's policy, the user's stored choice, the recommended value (the computer's,
// then the user's), the design default. Like the settings, policies are read at every use.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Owners.h"
#include "settings/ManagedSettings.h"

namespace tarnwick::settings {

enum class Origin { ComputerPolicy, UserPolicy, Stored, Recommended, Default };

struct Decision {
  std::int32_t value = 0;
  Origin origin = Origin::Default;
  // Set by an administrator: the user can neither change it nor is it stored as theirs.
  bool Locked() const { return origin == Origin::ComputerPolicy || origin == Origin::UserPolicy; }
  bool operator==(const Decision&) const = default;
};

// Decides `setting`. The stored choice is read as ReadSettings reads it, and raises what that
// raises; policy data never does: a policy value that cannot be read, or that is not a DWORD of
// 0 or 1, counts as not set, and so does a policy key that cannot be read.
Decision Decide(const Setting& setting);

// What the policy keys hold, for the log.
struct PolicyReport {
  // The settings an administrator locked, with their values, in the order of kManagedSettings.
  std::vector<std::pair<const Setting*, std::int32_t>> locked;
  // Each value passed over, with where it is and why: "ExitOnClose (computer, not a DWORD)".
  std::vector<std::string> passedOver;

  // One line each, or "" when there is nothing to say.
  std::string LockedLine() const;
  std::string PassedOverLine() const;
};
PolicyReport ReadPolicyReport();

// One step that decides many settings (a window's creation, a policy refresh) opens each policy
// key once, when it first needs it, and keeps it while this lives; every value is still read
// when its decision is made. Each key is a round trip to the registry, and a start made dozens.
// A step within another (a refresh that a modal loop let in) opens its own: the keys may have
// come or gone since the outer one opened its.
class PolicyKeys {
 public:
  PolicyKeys();
  ~PolicyKeys();
  PolicyKeys(const PolicyKeys&) = delete;
  PolicyKeys& operator=(const PolicyKeys&) = delete;

  // The innermost that lives, or null.
  static PolicyKeys* Current();
  // Key `index` of the four (see Policies.cpp), opened by `open` the first time it is asked.
  template <typename Open>
  os::HKEY Get(std::size_t index, Open&& open) {
    std::optional<platform::RegKey>& key = keys_[index];
    if (!key) key = open();
    return key->Get();
  }

 private:
  PolicyKeys* outer_;
  std::array<std::optional<platform::RegKey>, 4> keys_;
};

}  // namespace tarnwick::settings
