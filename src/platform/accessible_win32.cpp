// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/accessible_win32.h"

#include <oleacc.h>

#include <cwchar>
#include <string>

#include "app/changes.h"
#include "app/controls.h"
#include "app/screen_reader_text.h"
#include "platform/win32_dpi.h"

// IAccessible's identifier is taken from its declaration (__uuidof): the
// import library's IID_IAccessible is a function thunk in 64-bit builds, and
// its bytes would be read as the identifier.

namespace {

constexpr UINT_PTR kPressTimer = 0x4143;  // one-shot: the press runs from the loop

// The client area's object; children are simple elements 1 to 3, in the order of kControls.
class ClientAccessible final : public IAccessible {
 public:
  ClientAccessible(HWND window, AccessibleSeam seam, IAccessible* standard)
      : window_(window), seam_(std::move(seam)), standard_(standard) {}

  void Disconnect() {
    window_ = nullptr;
    if (standard_ != nullptr) standard_->Release();
    standard_ = nullptr;
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  }
  HWND Window() const { return window_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (id == IID_IUnknown || id == IID_IDispatch || id == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return ULONG(left);
  }

  // IDispatch: clients use the interface's own calls.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!Alive()) return RPC_E_DISCONNECTED;
    return standard_ != nullptr ? standard_->get_accParent(parent) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    *count = kControlCount;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    return ControlOf(child) != nullptr ? S_FALSE : E_INVALIDARG;  // simple elements: no object of their own
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    if (const ControlDescription* control = ControlOf(child)) return Answer(T(control->name), name);
    if (!IsSelf(child)) return E_INVALIDARG;
    const Player* player = seam_.player();
    return player != nullptr ? Answer(DescribeMainView(player->song, player->playback).name, name) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    const ControlDescription* control = ControlOf(child);
    if (control == nullptr && !IsSelf(child)) return E_INVALIDARG;
    if (control == nullptr || !control->slider) return DISP_E_MEMBERNOTFOUND;
    const Player* player = seam_.player();
    if (player == nullptr) return S_FALSE;
    return Answer(Utf8ToText(std::to_string(VolumePercent(player->playback.volume))), value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (description == nullptr) return E_POINTER;
    *description = nullptr;
    if (!Alive()) return RPC_E_DISCONNECTED;
    const Player* player = seam_.player();
    if (!IsSelf(child) || player == nullptr) return S_FALSE;
    return Answer(DescribeMainView(player->song, player->playback).description, description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    VariantInit(role);
    const ControlDescription* control = ControlOf(child);
    if (control == nullptr && !IsSelf(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = control == nullptr  ? ROLE_SYSTEM_CLIENT
                 : control->slider ? ROLE_SYSTEM_SLIDER
                                   : ROLE_SYSTEM_PUSHBUTTON;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    VariantInit(state);
    if (!Alive()) return RPC_E_DISCONNECTED;
    const ControlDescription* control = ControlOf(child);
    if (control == nullptr && !IsSelf(child)) return E_INVALIDARG;
    if (control == nullptr) return standard_ != nullptr ? standard_->get_accState(child, state) : S_FALSE;
    const Player* player = seam_.player();
    long flags = STATE_SYSTEM_FOCUSABLE;
    if (player != nullptr && ControlPressed(control->control, player->playback)) flags |= STATE_SYSTEM_PRESSED;
    if (player != nullptr && player->pointer.keyboardFocus == control->control && GetFocus() == window_) {
      flags |= STATE_SYSTEM_FOCUSED;
    }
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return Nothing(help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (topic != nullptr) *topic = 0;
    return Nothing(file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override { return Nothing(shortcut); }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    VariantInit(focus);
    if (!Alive()) return RPC_E_DISCONNECTED;
    const Player* player = seam_.player();
    if (GetFocus() != window_ || player == nullptr) return S_FALSE;
    focus->vt = VT_I4;
    focus->lVal = LONG(player->pointer.keyboardFocus);  // CHILDID_SELF (0) when no control is ringed
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection != nullptr) VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (action == nullptr) return E_POINTER;
    *action = nullptr;
    const ControlDescription* control = ControlOf(child);
    if (control == nullptr || control->slider) return DISP_E_MEMBERNOTFOUND;
    return Answer(u"Appuyer", action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* width, LONG* height, VARIANT child) override {
    if (x == nullptr || y == nullptr || width == nullptr || height == nullptr) return E_POINTER;
    *x = *y = *width = *height = 0;
    if (!Alive()) return RPC_E_DISCONNECTED;
    const ControlDescription* control = ControlOf(child);
    if (control == nullptr) {
      return IsSelf(child) && standard_ != nullptr ? standard_->accLocation(x, y, width, height, child) : E_INVALIDARG;
    }
    const Player* player = seam_.player();
    if (player == nullptr) return S_FALSE;
    const Box box = ControlBox(player->look.layout, control->control);
    const float scale = WindowScale(window_);
    POINT corner{LONG(box.x * scale), LONG(box.y * scale)};
    ClientToScreen(window_, &corner);
    *x = corner.x;
    *y = corner.y;
    *width = LONG(box.width * scale);
    *height = LONG(box.height * scale);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (end == nullptr) return E_POINTER;
    VariantInit(end);
    if (!Alive()) return RPC_E_DISCONNECTED;
    LONG next = 0;
    if (IsSelf(start)) {
      if (direction == NAVDIR_FIRSTCHILD) next = 1;
      else if (direction == NAVDIR_LASTCHILD) next = kControlCount;
      else return standard_ != nullptr ? standard_->accNavigate(direction, start, end) : S_FALSE;
    } else if (ControlOf(start) != nullptr) {
      const LONG from = start.lVal;
      if (direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT) next = from + 1;
      if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT) next = from - 1;
    } else {
      return E_INVALIDARG;
    }
    if (next < 1 || next > kControlCount) return S_FALSE;
    end->vt = VT_I4;
    end->lVal = next;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* found) override {
    if (found == nullptr) return E_POINTER;
    VariantInit(found);
    if (!Alive()) return RPC_E_DISCONNECTED;
    const Player* player = seam_.player();
    POINT point{x, y};
    ScreenToClient(window_, &point);
    RECT client;
    GetClientRect(window_, &client);
    if (player == nullptr || !PtInRect(&client, point)) return S_FALSE;
    found->vt = VT_I4;
    found->lVal = CHILDID_SELF;
    const float scale = WindowScale(window_);
    const float px = float(point.x) / scale, py = float(point.y) / scale;
    for (const ControlDescription& control : kControls) {
      const Box box = ControlBox(player->look.layout, control.control);
      if (box.x <= px && px <= box.x + box.width && box.y <= py && py <= box.y + box.height) {
        found->lVal = LONG(control.control);
      }
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!Alive()) return RPC_E_DISCONNECTED;
    const ControlDescription* control = ControlOf(child);
    if (control == nullptr || control->slider) return DISP_E_MEMBERNOTFOUND;
    // From the loop, not inside the client's call: a press may open a message box.
    pendingPress_ = control->control;
    SetTimer(window_, kPressTimer, 0, RunPendingPress);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    if (!Alive()) return RPC_E_DISCONNECTED;
    const ControlDescription* control = ControlOf(child);
    if (control == nullptr || !control->slider) return DISP_E_MEMBERNOTFOUND;
    if (value == nullptr) return E_INVALIDARG;
    wchar_t* end = nullptr;
    const double percent = std::wcstod(value, &end);
    if (end == value) return E_INVALIDARG;
    seam_.run({Command::Kind::SetVolume, {}, float(percent / 100.0)});
    return S_OK;
  }

 private:
  ~ClientAccessible() = default;

  bool Alive() const { return window_ != nullptr && seam_.player && seam_.player() != nullptr; }
  static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
  static const ControlDescription* ControlOf(const VARIANT& child) {
    if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > kControlCount) return nullptr;
    return &kControls[child.lVal - 1];
  }
  static HRESULT Answer(const Text& text, BSTR* out) {
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), UINT(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  static HRESULT Nothing(BSTR* out) {
    if (out != nullptr) *out = nullptr;
    return S_FALSE;
  }
  static void CALLBACK RunPendingPress(HWND window, UINT, UINT_PTR timer, DWORD);

  LONG references_ = 1;
  HWND window_;
  AccessibleSeam seam_;
  IAccessible* standard_;
  Control pendingPress_ = Control::NoControl;
};

ClientAccessible* client = nullptr;

void CALLBACK ClientAccessible::RunPendingPress(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  if (client == nullptr || client->pendingPress_ == Control::NoControl) return;
  const Control control = client->pendingPress_;
  client->pendingPress_ = Control::NoControl;
  if (client->Alive()) client->seam_.run(PressCommand(control));
}

}  // namespace

LRESULT AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId, const AccessibleSeam& seam) {
  if (LONG(objectId) != OBJID_CLIENT) return 0;
  if (client == nullptr || client->Window() != window) {
    ReleaseAccessible();
    IAccessible* standard = nullptr;
    void* made = nullptr;
    if (SUCCEEDED(CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible), &made))) {
      standard = static_cast<IAccessible*>(made);
    }
    client = new ClientAccessible(window, seam, standard);
  }
  return LresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(client));
}

void AccessibleFollow(HWND window, const Player& player, unsigned changes) {
  if (client == nullptr || window == nullptr) return;
  if (changes & (kSongChanged | kPlayingChanged)) {
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
  }
  if (changes & (kSongChanged | kPlayingChanged | kVolumeChanged)) {
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window, OBJID_CLIENT, CHILDID_SELF);
  }
  if (changes & kPlayingChanged) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window, OBJID_CLIENT, LONG(Control::Play));
  if (changes & kVolumeChanged) NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, LONG(Control::Volume));
  if ((changes & kFocusChanged) && GetFocus() == window) {
    NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, LONG(player.pointer.keyboardFocus));
  }
}

void ReleaseAccessible() {
  if (client == nullptr) return;
  client->Disconnect();
  client->Release();
  client = nullptr;
}
