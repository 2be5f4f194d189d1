#include "platform/classlib/event.h"

bool TEventHandler::Find(TEventInfo&) {
  return false;
}

bool TEventHandler::SearchEntries(const std::vector<TResponseTableEntry>& entries, TEventInfo& info) {
  for (const TResponseTableEntry& e : entries) {
    if (e.Kind != info.Kind) continue;
    bool match = false;
    switch (info.Kind) {
      case TEventKind::Message:
        match = e.Msg == info.Msg;
        break;
      case TEventKind::Command:
      case TEventKind::CommandEnable:
      case TEventKind::ChildNotifyAll:
        match = e.Id == info.Id;
        break;
      case TEventKind::ChildNotify:
        match = e.Id == info.Id && e.NotifyCode == info.Code;
        break;
      case TEventKind::NotifyAtChild:
        match = e.NotifyCode == info.Code;
        break;
    }
    if (match) {
      info.Entry = &e;
      return true;
    }
  }
  return false;
}
