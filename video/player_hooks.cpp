#include "video/player_hooks.h"

namespace {

VideoPlayerHooks g_defaultHooks;
VideoPlayerHooks* g_hooks = &g_defaultHooks;

}  // namespace

VideoPlayerHooks* SetVideoPlayerHooks(VideoPlayerHooks* hooks) {
  VideoPlayerHooks* before = g_hooks;
  g_hooks = hooks != nullptr ? hooks : &g_defaultHooks;
  return before;
}

VideoPlayerHooks& CurrentVideoPlayerHooks() {
  return *g_hooks;
}
