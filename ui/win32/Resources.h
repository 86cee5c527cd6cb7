#pragma once
// Icons from the executable's own resources (ids in resources/ResourceIds.h).
#include "platform/Types.h"

namespace tarnwick::ui::win32 {

// Loads icon resource `id` at `size` x `size` pixels, choosing the image of the icon that fits
// best for the display's colour depth. Returns null when there is no such icon or `size` is not
// positive. The caller owns the icon and releases it with FreeIconResource; each call makes a new
// one, so an icon is never shared with another owner.
os::HICON LoadIconResource(int id, int size);

// Destroys an icon from LoadIconResource; null is ignored.
void FreeIconResource(os::HICON icon);

}  // namespace tarnwick::ui::win32
