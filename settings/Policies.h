#pragma once
// The one resolver of the managed settings. What decides a setting, first to last: the computer's
// policy, the user's policy, the user's stored choice, the recommended value (the computer's,
// then the user's), the design default. Like the settings, policies are read at every use.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

}  // namespace tarnwick::settings
