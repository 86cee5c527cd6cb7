// The peers that show what their models hold: labels and pictures (static controls), the list
// box, and the panel and status bar of the common controls.
#include "ui/win32/WindowPeer.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <span>
#include <string>
#include <utility>

#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/ListBox.h"
#include "ui/win32/Accessible.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/FormPeer.h"

namespace tarnwick::ui::win32 {
namespace {

// Static text, as wide and high as its text when the layout gives no size. A label that listens
// to the pointer is told of clicks, moves and the pointer leaving.
class LabelPeer : public WindowPeer {
 public:
  LabelPeer(std::shared_ptr<FormPeer> form, Label& label)
      : WindowPeer(std::move(form), label), label_(label) {
    const DWORD notify = label.WantsMouse() ? SS_NOTIFY : 0;
    Adopt(CreateChild(Shape("STATIC", SS_LEFT | SS_NOPREFIX | notify)));
    FitToText();
  }

  void Changed(Change what) override {
    WindowPeer::Changed(what);
    if (what == Change::Caption || what == Change::Font) FitToText();
  }

  void Command(HWND, int code) override {
    if (code == STN_CLICKED) label_.UserClick();
  }

  bool Mouse(HWND window, UINT message, WPARAM, LPARAM lParam) override {
    if (message == WM_MOUSEMOVE) {
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        tracking_ = TrackMouseEvent(&track) != 0;
      }
      label_.UserMouseMove(ShiftState(), static_cast<short>(LOWORD(lParam)),
                           static_cast<short>(HIWORD(lParam)));
      // A move can be read after the pointer has gone on. Windows then posts the leave at once;
      // Wine posts none while the pointer is over another window, so it is told here.
      POINT at{};
      if (GetCursorPos(&at) && WindowFromPoint(at) != window) {
        tracking_ = false;
        label_.UserMouseLeave();
      }
      return true;
    }
    if (message == WM_MOUSELEAVE) {
      tracking_ = false;
      label_.UserMouseLeave();
      return true;
    }
    return false;
  }

  bool SetCursorOver() override {
    if (label_.GetCursor() != Cursor::HandPoint) return false;
    SetCursor(LoadCursorA(nullptr, IDC_HAND));
    return true;
  }

 protected:
  // A label's text keeps its ampersands.
  void ApplyCaption() override { SetWindowTextA(Window(), label_.Caption().c_str()); }

 private:
  void FitToText() {
    const Bounds at = FormBounds();
    if (label_.GetBounds().width > 0 && label_.GetBounds().height > 0) return;
    RECT text{0, 0, 0, 0};
    {
      WindowDc dc(Window(), CurrentFont());
      if (dc.Get() == nullptr) return;
      DrawTextA(dc.Get(), label_.Caption().c_str(), -1, &text,
                DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    }
    SetWindowPos(Window(), nullptr, at.left, at.top, text.right, text.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  Label& label_;
  bool tracking_ = false;
};

// A label that opens an address: to a reader, a link named by its text.
class LinkPeer final : public LabelPeer {
 public:
  LinkPeer(std::shared_ptr<FormPeer> form, LinkLabel& link) : LabelPeer(std::move(form), link) {
    reader_.Attach(Window(), {.role = ROLE_SYSTEM_LINK,
                              .name = [&link] { return link.AccessibleName(); },
                              .state = STATE_SYSTEM_LINKED,
                              .action = "Jump",
                              .act = [&link] { link.UserClick(); }});
  }

 private:
  AccessibleWindow reader_;
};

class ListBoxPeer : public WindowPeer {
 public:
  ListBoxPeer(std::shared_ptr<FormPeer> form, ListBox& list)
      : WindowPeer(std::move(form), list), list_(list) {
    // A line wider than the list can be scrolled to: the bar shows only when one is.
    const DWORD style =
        WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
    Adopt(CreateChild(
        {.className = "LISTBOX", .style = style, .exStyle = WS_EX_CLIENTEDGE, .at = FormBounds()}));
    Refill();
  }

  void Changed(Change what) override {
    if (what == Change::ItemAdded) return AddLast();
    if (what == Change::Items) return Refill();
    WindowPeer::Changed(what);
  }

  void Command(HWND from, int code) override {
    if (code == LBN_SETFOCUS) Form().FocusArrived(from);
  }

 protected:
  void ApplyFont() override {
    WindowPeer::ApplyFont();
    // The font resets the item height, so it comes after.
    SendMessageA(Window(), LB_SETITEMHEIGHT, 0, Scaled(list_.ItemHeight()));
    ShowExtent(WidestOf(list_.Items()));
  }

 private:
  void AddLast() {
    if (list_.Items().empty()) return;
    ShowExtent(std::max(widest_, WidestOf({list_.Items().end() - 1, list_.Items().end()})));
    const LRESULT index =
        SendMessageA(Window(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list_.Items().back().c_str()));
    // The newest line is the one to read.
    if (index >= 0) SendMessageA(Window(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  }

  void Refill() {
    HWND window = Window();
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    if (SendMessageA(window, LB_GETCOUNT, 0, 0) != 0) SendMessageA(window, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : list_.Items()) {
      SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    ShowExtent(WidestOf(list_.Items()));
    if (!list_.Items().empty()) {
      SendMessageA(window, LB_SETTOPINDEX, list_.Items().size() - 1, 0);
    }
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
  }

  // How far the list must scroll for the widest of `lines`.
  int WidestOf(std::span<const std::string> lines) const {
    if (lines.empty()) return 0;
    WindowDc dc(Window(), CurrentFont());
    if (dc.Get() == nullptr) return 0;
    int widest = 0;
    for (const std::string& line : lines) {
      SIZE size{};
      if (GetTextExtentPoint32A(dc.Get(), line.c_str(), static_cast<int>(line.size()), &size)) {
        widest = std::max(widest, static_cast<int>(size.cx) + Scaled(4));  // the item's margin
      }
    }
    return widest;
  }

  // Each new extent lays the scroll bars out anew, so it is given only when it changes.
  void ShowExtent(int width) {
    if (width == widest_) return;
    widest_ = width;
    SendMessageA(Window(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_), 0);
  }

  ListBox& list_;
  int widest_ = 0;
};

class ImagePeer : public WindowPeer {
 public:
  ImagePeer(std::shared_ptr<FormPeer> form, Image& image)
      : WindowPeer(std::move(form), image), image_(image) {
    // Centred, the control keeps its own size instead of taking the icon's.
    Adopt(CreateChild(
        {.className = "STATIC", .style = SS_ICON | SS_CENTERIMAGE, .at = FormBounds()}));
    ShowPicture();
    reader_.Attach(Window(), {.role = ROLE_SYSTEM_GRAPHIC,
                              .name = [&image] { return image.AccessibleName(); }});
  }

  void Changed(Change what) override {
    if (what != Change::Picture) return WindowPeer::Changed(what);
    ShowPicture();
  }

 protected:
  // An icon control would read its text as the name of an icon resource.
  void ApplyCaption() override {}

 private:
  // The model does not own its icons, and neither does the control.
  void ShowPicture() {
    SendMessageA(Window(), STM_SETICON, reinterpret_cast<WPARAM>(image_.Picture()), 0);
  }

  Image& image_;
  AccessibleWindow reader_;
};

class TabControlPeer : public WindowPeer {
 public:
  TabControlPeer(std::shared_ptr<FormPeer> form, TabControl& control)
      : WindowPeer(std::move(form), control) {
    // Without tabs it is only the panel's frame, so it never takes the focus from its contents.
    Adopt(CreateChild(Shape(WC_TABCONTROLA, TCS_FOCUSNEVER)));
    SetWindowSubclass(Window(), &PaintPlain, 0, 0);
  }
  ~TabControlPeer() override { RemoveWindowSubclass(Window(), &PaintPlain, 0); }

  // The pane as the tab control draws it (themed panes are not the button face), so that the
  // controls on it can fill their backgrounds with the same picture.
  HBRUSH PaneBrush() override {
    if (brush_.Get() != nullptr) return brush_.Get();
    RECT client{};
    GetClientRect(Window(), &client);
    if (client.right <= 0 || client.bottom <= 0) return nullptr;
    WindowDc screen(Window(), nullptr);
    if (screen.Get() == nullptr) return nullptr;
    MemoryDc memory(CreateCompatibleDC(screen.Get()));
    BitmapHandle picture(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
    if (memory.Get() != nullptr && picture.Get() != nullptr) {
      HGDIOBJ previous = SelectObject(memory.Get(), picture.Get());
      SendMessageA(Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()),
                   PRF_ERASEBKGND | PRF_CLIENT);
      SelectObject(memory.Get(), previous);
      brush_ = BrushHandle(CreatePatternBrush(picture.Get()));
      picture_ = std::move(picture);
    }
    return brush_.Get();
  }

  void FormResized() override { AppearanceChanged(); }
  void AppearanceChanged() override {
    brush_.Reset();
    picture_.Reset();
  }

 private:
  // A tab control's pane is white, themed or not, and the form and the groups on the panel are
  // the button face: the pane is painted with it too, inside a raised edge, as in a dialog.
  static LRESULT CALLBACK PaintPlain(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR) {
    if (message == WM_ERASEBKGND) return 1;
    if (message != WM_PAINT && message != WM_PRINTCLIENT) {
      return DefSubclassProc(window, message, wParam, lParam);
    }
    PAINTSTRUCT paint{};
    HDC dc = message == WM_PAINT ? BeginPaint(window, &paint) : reinterpret_cast<HDC>(wParam);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &client, EDGE_RAISED, BF_RECT | BF_SOFT);
    if (message == WM_PAINT) EndPaint(window, &paint);
    return 0;
  }

  BitmapHandle picture_;
  BrushHandle brush_;
};

class StatusBarPeer : public WindowPeer {
 public:
  StatusBarPeer(std::shared_ptr<FormPeer> form, StatusBar& control)
      : WindowPeer(std::move(form), control) {
    // It sizes itself and keeps to the bottom of the form's client area.
    Adopt(CreateChild(Shape(STATUSCLASSNAMEA, CCS_BOTTOM)));
  }
  void FormResized() override { SendMessageA(Window(), WM_SIZE, 0, 0); }
};

}  // namespace

std::span<const PeerKind> DisplayPeers() {
  static const PeerKind kinds[] = {
      KindOf<LabelPeer, Label>(),           KindOf<LinkPeer, LinkLabel>(),
      KindOf<ListBoxPeer, ListBox>(),       KindOf<ImagePeer, Image>(),
      KindOf<TabControlPeer, TabControl>(), KindOf<StatusBarPeer, StatusBar>(),
  };
  return kinds;
}

}  // namespace tarnwick::ui::win32
