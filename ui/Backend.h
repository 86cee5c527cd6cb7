#pragma once
// What the real controls add to the models. The application owns one when the program runs on
// Windows; headless (the native tests) there is none, and the models work alone.
#include "platform/Platform.h"

namespace tarnwick::ui {

class Form;
class PopupMenu;
enum class MenuCorner;
struct WindowShape;

class Backend {
 public:
  virtual ~Backend() = default;
  // Places the form's window before it is made, with the size its frame will have, so that it is
  // not moved and sized again once it is there.
  virtual void ShapeForm(Form& form, WindowShape& shape) = 0;
  // Gives the form's window its frame, size and font, and its controls and menu bar their real
  // windows; controls that have one already keep it.
  virtual void CreatePeers(Form& form) = 0;
  // Shows `menu` with its `corner` at a screen point until the user chooses or leaves; the chosen
  // item's index, or -1.
  virtual int TrackPopup(PopupMenu& menu, int x, int y, MenuCorner corner) = 0;
  // Sees each message the loop takes before it is dispatched; true when it was consumed
  // (dialog keys).
  virtual bool PreTranslate(platform::MSG& message) = 0;
};

}  // namespace tarnwick::ui
