#pragma once
// Icons from the executable's own resources (ids in resources/ResourceIds.h). This header stays
// free of <windows.h>, so that the program's entry can hold icons without seeing it.
#include "platform/Handle.h"
#include "platform/Types.h"

namespace tarnwick::ui::win32 {

void DestroyOwnedIcon(os::HICON icon);
using IconHandle = platform::UniqueHandle<platform::ClosedBy<os::HICON, &DestroyOwnedIcon>>;

// Loads icon resource `id` at `size` x `size` pixels, choosing the image of the icon that fits
// best for the display's colour depth. Empty when there is no such icon or `size` is not
// positive. Each call makes a new icon, so an icon is never shared with another owner.
IconHandle LoadIconResource(int id, int size);

// The stop button's glyph, drawn here so that it needs no resource: a red square on a
// transparent ground, `size` x `size` pixels. Empty when `size` is not positive.
IconHandle MakeStopGlyph(int size);

}  // namespace tarnwick::ui::win32
