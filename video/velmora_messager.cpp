#include "video/velmora_messager.h"

#include <cstring>

#include "model/players.h"
#include "platform/gui/gui.h"
#include "platform/gui/peers.h"
#include "resources/collection_ids.h"
#include "video/player.h"
#include "video/velmora_device.h"
#include "video/wait_dialog.h"

VelmoraMessager* TheVelmoraMessager = nullptr;

namespace {

constexpr const char* kClassName = "TVelmoraMessager";
constexpr LRESULT kGivenUp = 999;
// File names go to the collection and to the deferred open in the
// collection's request buffers (NewRequestName, FreeRequestName).
constexpr int kNameBufferSize = kRequestNameSize;

}  // namespace

// clang-format off
DEFINE_RESPONSE_TABLE1(VelmoraMessager, TWindow)
  EV_MESSAGE(kInstanceRequest, EvInstanceRequest),
  EV_MESSAGE(kRemoteRequest, EvRemoteRequest),
  EV_MESSAGE(kDeferredOpen, EvDeferredOpen),
  EV_MESSAGE(kDeferredPrepare, EvDeferredPrepare),
  EV_MESSAGE(kDeferredStart, EvDeferredStart),
END_RESPONSE_TABLE;
// clang-format on

VelmoraMessager::VelmoraMessager(MessagerHost* host) : TWindow(nullptr, "Velmora Messager"), host_(host) {
  Attr.Style = 0;
  Attr.X = -200;
  Attr.Y = -200;
  Attr.W = 100;
  Attr.H = 50;
}

VelmoraMessager::~VelmoraMessager() {
  for (char* name : pendingNames_) FreeRequestName(name);
  if (installed_) SetBoardMessenger(before_);
  if (TheVelmoraMessager == this) TheVelmoraMessager = nullptr;
  if (HWindow != nullptr && ::IsWindow(HWindow)) ::DestroyWindow(HWindow);
}

const char* VelmoraMessager::GetClassName() { return kClassName; }

bool VelmoraMessager::Create() {
  if (!TWindow::Create()) return false;
  Show(SW_HIDE);
  // Other instances reach the two request messages; the deferred ones carry
  // this instance's own buffers.
  PublishWindowClass(kClassName, [](UINT msg, WPARAM, bool lParamIsText) {
    return !lParamIsText && (msg == kInstanceRequest || msg == kRemoteRequest);
  });
  TheVelmoraMessager = this;
  before_ = SetBoardMessenger(this);
  installed_ = true;
  return true;
}

uint32_t VelmoraMessager::Broadcast(int32_t code, int32_t argument) {
  uint32_t answers = 0;
  for (HWND peer = FindWindowEx(nullptr, nullptr, kClassName, nullptr); peer != nullptr;
       peer = FindWindowEx(nullptr, peer, kClassName, nullptr)) {
    if (peer == HWindow) continue;
    answers |= static_cast<uint32_t>(::SendMessage(peer, kInstanceRequest, static_cast<WPARAM>(code),
                                                   static_cast<LPARAM>(argument)));
  }
  return answers;
}

int32_t VelmoraMessager::StatusReply() {
  if (host_ == nullptr) return kStatusNoProject;
  if (host_->IsPlaying()) return kStatusPlaying;
  if (host_->RangePrepared()) return kStatusPrepared;
  return host_->HasClips() ? kStatusProject : kStatusNoProject;
}

void VelmoraMessager::SetUserData(int32_t value) {
  if (HWindow != nullptr) SetWindowLong(HWindow, GWL_USERDATA, value);
}

bool VelmoraMessager::NameOf(HWND window, char* name) {
  name[0] = '\0';
  if (window == nullptr) return false;
  return GetWindowText(window, name, kNameBufferSize) > 0;
}

// --- Between instances -------------------------------------------------------------------

int32_t VelmoraMessager::GiveUpBoard(uint32_t mask) {
  // A playing instance keeps the board.
  if (boardPlayer == nullptr || TheVideoPlayer == nullptr || !TheVideoPlayer->autoReleaseCodec) return 0;
  if ((mask & TheVelmoraDevice.registered) == 0) return 0;
  const int32_t state = boardPlayer->GetState();
  if (state == 2 || state == 3) return 0;
  TheVideoPlayer->Detach();
  return kGivenUp;
}

LRESULT VelmoraMessager::EvInstanceRequest(WPARAM code, LPARAM argument) {
  switch (code) {
    case 1:
      return GiveUpBoard(static_cast<uint32_t>(argument));
    case 3: {
      if (collection == nullptr) return 0;
      char* name = NewRequestName(nullptr);
      NameOf(reinterpret_cast<HWND>(argument), name);
      // The collection takes the buffer.
      ::SendMessage(collection, kCollectionRequestMessage, kCollectionRequestAddFile, reinterpret_cast<LPARAM>(name));
      return kGivenUp;
    }
    case 4: {
      char name[kNameBufferSize];
      NameOf(reinterpret_cast<HWND>(argument), name);
      if (host_ != nullptr) host_->ReleaseFile(name);
      return collection != nullptr ? kGivenUp : 0;
    }
    case 5:
      handedOver = true;
      if (host_ != nullptr) ::SendMessage(host_->ProjectFrame(), kFrameRequest, kFrameCloseProjects, 0);
      SetUserData(kStatusNoProject);
      return reinterpret_cast<LRESULT>(HWindow);
    default:
      return 0;
  }
}

// --- Remote control ----------------------------------------------------------------------

LRESULT VelmoraMessager::EvRemoteRequest(WPARAM code, LPARAM argument) {
  return RemoteRequest(static_cast<int32_t>(code), argument);
}

int32_t VelmoraMessager::RemoteRequest(int32_t code, LPARAM argument) {
  switch (code) {
    case 1:
      handedOver = false;
      if (host_ != nullptr) {
        host_->CmStop();
        ::PostMessage(host_->ProjectFrame(), WM_CLOSE, 0, 0);
      }
      SetUserData(0);
      return 0;
    case 2:
    case 3: {
      char* name = NewRequestName(nullptr);
      if (!NameOf(reinterpret_cast<HWND>(argument), name)) {
        FreeRequestName(name);
        if (host_ != nullptr) ::SendMessage(host_->ProjectFrame(), kFrameRequest, kFrameCloseProjects, 0);
        SetUserData(0);
        return 0;
      }
      pendingNames_.insert(name);
      if (!PostMessage(kDeferredOpen, 0, reinterpret_cast<LPARAM>(name))) {
        pendingNames_.erase(name);
        FreeRequestName(name);
      }
      SetUserData(kStatusOpenAccepted);
      return kStatusOpenAccepted;
    }
    case 4: {
      int32_t length = -1;
      if (host_ != nullptr && host_->HasClips()) {
        host_->IncludeAllClips();
        int32_t start = 0, end = 0;
        if (host_->GetMarkRange(start, end)) length = end - start;
      }
      SetUserData(StatusReply());
      return length;
    }
    case 5:
      PostMessage(kDeferredPrepare, 0, 0);
      SetUserData(kStatusPreparing);
      return kStatusPreparing;
    case 6:
      if (waitDialog != nullptr) {
        ::SendMessage(waitDialog->GetHandle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      } else if (host_ != nullptr && host_->RangePrepared()) {
        ::SendMessage(host_->TimeLineWindow(), kTimeLineStartPlay, 0, 0);
      }
      break;
    case 8: {
      if (waitDialog != nullptr) {
        ::SendMessage(waitDialog->GetHandle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      } else if (host_ != nullptr) {
        host_->CmStop();
      }
      const int32_t reply = host_ != nullptr && host_->HasClips() ? kStatusProject : kStatusNoProject;
      SetUserData(reply);
      return reply;
    }
    case 10:
      PostMessage(kDeferredStart, 0, argument);
      SetUserData(kStatusStartAccepted);
      return kStatusStartAccepted;
    default:
      break;
  }
  const int32_t status = StatusReply();
  SetUserData(status);
  return status;
}

LRESULT VelmoraMessager::EvDeferredOpen(WPARAM, LPARAM name) {
  char* buffer = reinterpret_cast<char*>(name);
  if (pendingNames_.erase(buffer) == 0) return 0;
  if (host_ != nullptr) {
    host_->CmStop();
    const LRESULT opened = ::SendMessage(host_->ProjectFrame(), kFrameRequest, kFrameOpenFile, name);
    SetUserData(opened != 0 ? kStatusProject : kStatusNoProject);
  }
  FreeRequestName(buffer);
  return 1;
}

LRESULT VelmoraMessager::EvDeferredPrepare(WPARAM, LPARAM) {
  if (host_ == nullptr) return 1;
  host_->CmStop();
  if (!host_->HasClips()) {
    SetUserData(kStatusNoProject);
    return 1;
  }
  const LRESULT prepared = ::SendMessage(host_->ProjectFrame(), kFrameRequest, kFramePrepare, 0);
  SetUserData(prepared != 0 ? kStatusPrepared : kStatusProject);
  return 1;
}

LRESULT VelmoraMessager::EvDeferredStart(WPARAM, LPARAM argument) {
  if (host_ != nullptr && host_->RangePrepared()) {
    const int32_t line = static_cast<int32_t>(argument);
    if (line < 0) {
      ::SendMessage(host_->TimeLineWindow(), kTimeLineStartPlay, 0, 0);
    } else {
      ::SendMessage(host_->TimeLineWindow(), kTimeLineStartPlay, 2, line);
    }
  }
  SetUserData(StatusReply());
  return 1;
}
