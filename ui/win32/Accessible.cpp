#include "ui/win32/Accessible.h"

#include <commctrl.h>
#include <ole2.h>
#include <oleacc.h>

#include <new>
#include <optional>
#include <string>
#include <utility>

#include "ui/ErrorBoundary.h"

namespace tarnwick::ui::win32 {
namespace {

// Posted to the window by a reader's default action, which then runs from the window's queue as
// a click would. The reader's call returns at once, as Windows asks of an action that may open
// something.
constexpr UINT kDoDefaultAction = WM_APP + 0x0A11;

// Whether a click could reach `window`: it and its window are enabled. A message box disables
// the window it stands over, not that window's controls.
bool Usable(HWND window) {
  return IsWindowEnabled(window) != 0 && IsWindowEnabled(GetAncestor(window, GA_ROOT)) != 0;
}

// ole32, oleaut32 and oleacc, loaded when a reader first asks and kept for the life of the
// process.
struct Libraries {
  HRESULT(WINAPI* createStandard)(HWND, LONG, REFIID, void**) = nullptr;
  LRESULT(WINAPI* resultFromObject)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
  HRESULT(WINAPI* disconnect)(LPUNKNOWN, DWORD) = nullptr;
  BSTR(WINAPI* allocString)(const OLECHAR*, UINT) = nullptr;
  bool ready = false;
};

template <typename Function>
void Find(Function& function, HMODULE module, const char* name) {
  function = module == nullptr ? nullptr
                               : reinterpret_cast<Function>(
                                     reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const Libraries& Loaded() {
  static const Libraries libraries = [] {
    Libraries found;
    HMODULE ole32 = LoadLibraryA("ole32.dll");
    HMODULE oleaut32 = LoadLibraryA("oleaut32.dll");
    HMODULE oleacc = LoadLibraryA("oleacc.dll");
    HRESULT(WINAPI * initialize)(LPVOID, DWORD) = nullptr;
    Find(initialize, ole32, "CoInitializeEx");
    Find(found.disconnect, ole32, "CoDisconnectObject");
    Find(found.allocString, oleaut32, "SysAllocStringLen");
    Find(found.createStandard, oleacc, "CreateStdAccessibleObject");
    Find(found.resultFromObject, oleacc, "LresultFromObject");
    if (initialize == nullptr || found.disconnect == nullptr || found.allocString == nullptr ||
        found.createStandard == nullptr || found.resultFromObject == nullptr) {
      return found;
    }
    // The program's one thread serves the readers from its message loop. Kept for the life of
    // the process; a thread that has COM of the other kind already serves them as it is.
    const HRESULT com = initialize(nullptr, COINIT_APARTMENTTHREADED);
    found.ready = SUCCEEDED(com) || com == RPC_E_CHANGED_MODE;
    return found;
  }();
  return libraries;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// No exception leaves for the reader's process.
template <typename Body>
HRESULT Safely(Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

// `text` in the program's code page as the reader's string.
HRESULT ToReader(const std::string& text, BSTR* out) {
  *out = nullptr;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  *out = Loaded().allocString(wide.data(), static_cast<UINT>(length));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

// The object a reader holds. What its Reading does not say, the window's standard object
// answers. Once its window goes it answers nothing, even to a reader that still holds it.
//
// COM interfaces have no virtual destructor: the object deletes itself, never through one.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ReaderObject final : public IAccessible, public IOleWindow {
 public:
  ReaderObject(HWND window, IAccessible* standard, const Reading& reading)
      : window_(window), standard_(standard), reading_(&reading) {}

  void Detach() {
    reading_ = nullptr;
    if (standard_ != nullptr) std::exchange(standard_, nullptr)->Release();
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(id, __uuidof(IUnknown)) || IsEqualIID(id, __uuidof(IDispatch)) ||
        IsEqualIID(id, kIidAccessible)) {
      *out = static_cast<IAccessible*>(this);
    } else if (IsEqualIID(id, __uuidof(IOleWindow))) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = reading_ != nullptr ? window_ : nullptr;
    return reading_ != nullptr ? S_OK : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // What the object says itself.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child) || reading_ == nullptr || !reading_->name) {
      return Standard([&](IAccessible* s) { return s->get_accName(child, name); });
    }
    if (name == nullptr) return E_POINTER;
    return Own([&] {
      const std::string text = reading_->name ? reading_->name() : std::string();
      if (!text.empty()) return ToReader(text, name);
      *name = nullptr;
      return S_FALSE;  // what a reader is told of a control without a name
    });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child) || reading_ == nullptr || reading_->role == 0) {
      return Standard([&](IAccessible* s) { return s->get_accRole(child, role); });
    }
    if (role == nullptr) return E_POINTER;
    return Own([&] {
      role->vt = VT_I4;
      role->lVal = reading_->role;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    std::optional<std::string> own;
    if (IsSelf(child) && value != nullptr && reading_ != nullptr && reading_->value) {
      const HRESULT read = Safely([&] {
        own = reading_->value();
        return S_OK;
      });
      if (FAILED(read)) return read;
    }
    if (!own) return Standard([&](IAccessible* s) { return s->get_accValue(child, value); });
    return Safely([&] { return ToReader(*own, value); });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT result = Standard([&](IAccessible* s) { return s->get_accState(child, state); });
    if (result == S_OK && IsSelf(child) && reading_ != nullptr && state->vt == VT_I4) {
      state->lVal |= reading_->state;
    }
    return result;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!IsSelf(child) || reading_ == nullptr || reading_->action == nullptr) {
      return Standard([&](IAccessible* s) { return s->get_accDefaultAction(child, action); });
    }
    if (action == nullptr) return E_POINTER;
    return Safely([&] { return ToReader(reading_->action, action); });
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child) || reading_ == nullptr || reading_->action == nullptr) {
      return Standard([&](IAccessible* s) { return s->accDoDefaultAction(child); });
    }
    // A control the user cannot use does nothing, and says so.
    if (!Usable(window_)) return E_FAIL;
    return PostMessageA(window_, kDoDefaultAction, 0, 0) != 0 ? S_OK : E_FAIL;
  }

  // The rest is the standard object's.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return Standard([&](IAccessible* s) { return s->GetTypeInfoCount(count); });
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return Standard([&](IAccessible* s) { return s->GetTypeInfo(index, locale, info); });
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return Standard(
        [&](IAccessible* s) { return s->GetIDsOfNames(id, names, count, locale, ids); });
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* badArgument) override {
    return Standard([&](IAccessible* s) {
      return s->Invoke(member, id, locale, flags, parameters, result, exception, badArgument);
    });
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return Standard([&](IAccessible* s) { return s->get_accParent(parent); });
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return Standard([&](IAccessible* s) { return s->get_accChildCount(count); });
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return Standard([&](IAccessible* s) { return s->get_accChild(child, object); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    std::string own;
    if (IsSelf(child) && text != nullptr && reading_ != nullptr && reading_->description) {
      const HRESULT read = Safely([&] {
        own = reading_->description();
        return S_OK;
      });
      if (FAILED(read)) return read;
    }
    if (own.empty()) {
      return Standard([&](IAccessible* s) { return s->get_accDescription(child, text); });
    }
    return Safely([&] { return ToReader(own, text); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return Standard([&](IAccessible* s) { return s->get_accHelp(child, text); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return Standard([&](IAccessible* s) { return s->get_accHelpTopic(file, child, topic); });
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return Standard([&](IAccessible* s) { return s->get_accKeyboardShortcut(child, keys); });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return Standard([&](IAccessible* s) { return s->get_accFocus(child); });
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return Standard([&](IAccessible* s) { return s->get_accSelection(children); });
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG how, VARIANT child) override {
    return Standard([&](IAccessible* s) { return s->accSelect(how, child); });
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return Standard(
        [&](IAccessible* s) { return s->accLocation(left, top, width, height, child); });
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return Standard([&](IAccessible* s) { return s->accNavigate(direction, start, end); });
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return Standard([&](IAccessible* s) { return s->accHitTest(x, y, child); });
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return Standard([&](IAccessible* s) { return s->put_accName(child, name); });
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return Standard([&](IAccessible* s) { return s->put_accValue(child, value); });
  }

 private:
  ~ReaderObject() { Detach(); }

  template <typename Call>
  HRESULT Standard(Call&& call) {
    if (standard_ == nullptr) return CO_E_OBJNOTCONNECTED;
    IAccessible* standard = standard_;
    standard->AddRef();  // the window may go while it answers
    const HRESULT result = call(standard);
    standard->Release();
    return result;
  }
  template <typename Body>
  HRESULT Own(Body&& body) {
    if (reading_ == nullptr) return CO_E_OBJNOTCONNECTED;
    return Safely(std::forward<Body>(body));
  }

  LONG references_ = 1;
  HWND window_;
  IAccessible* standard_;
  const Reading* reading_;
};
#pragma GCC diagnostic pop

AccessibleWindow::~AccessibleWindow() { Unhook(); }

void AccessibleWindow::Attach(HWND window, Reading reading) {
  Unhook();
  reading_ = std::move(reading);
  if (window != nullptr &&
      SetWindowSubclass(window, &Subclass, reinterpret_cast<UINT_PTR>(this),
                        reinterpret_cast<DWORD_PTR>(this)) != 0) {
    window_ = window;
  }
}

void AccessibleWindow::Unhook() {
  Disconnect();
  if (window_ != nullptr) {
    RemoveWindowSubclass(window_, &Subclass, reinterpret_cast<UINT_PTR>(this));
  }
  window_ = nullptr;
}

void AccessibleWindow::Disconnect() {
  if (object_ == nullptr) return;
  ReaderObject* object = std::exchange(object_, nullptr);
  object->Detach();
  // The readers' proxies let go of it here; what they call later fails in their own process.
  Loaded().disconnect(static_cast<IAccessible*>(object), 0);
  object->Release();
}

std::optional<LRESULT> AccessibleWindow::Answer(WPARAM wParam) {
  const Libraries& com = Loaded();
  if (!com.ready) return std::nullopt;
  if (object_ == nullptr) {
    IAccessible* standard = nullptr;
    if (FAILED(com.createStandard(window_, OBJID_CLIENT, kIidAccessible,
                                  reinterpret_cast<void**>(&standard))) ||
        standard == nullptr) {
      return std::nullopt;
    }
    object_ = new (std::nothrow) ReaderObject(window_, standard, reading_);
    if (object_ == nullptr) {
      standard->Release();
      return std::nullopt;
    }
  }
  return com.resultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(object_));
}

LRESULT CALLBACK AccessibleWindow::Subclass(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<AccessibleWindow*>(data);
  switch (message) {
    case WM_GETOBJECT:
      // Only the window's client object is ours; its frame and the rest stay Windows'.
      if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
        const std::optional<LRESULT> answer =
            Guard(std::optional<LRESULT>{}, [&] { return self->Answer(wParam); });
        if (answer) return *answer;
      }
      break;
    case kDoDefaultAction:
      // A box may have opened since the action was asked for; a click could not pass it now.
      Guard([&] {
        if (self->reading_.act && Usable(window)) self->reading_.act();
      });
      return 0;
    case WM_NCDESTROY:
      self->Unhook();
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void ToolTip::Hover(HWND tool, const std::string& text) {
  if (tip_.Get() != nullptr || text.empty()) return;
  tip_ = WindowHandle(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                      GetAncestor(tool, GA_ROOT), nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
  if (tip_.Get() == nullptr) return;
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V2_SIZE;  // what every version of the common controls takes
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(tool);
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = const_cast<char*>(text.c_str());  // copied by the tooltip
  SendMessageA(tip_.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace tarnwick::ui::win32
