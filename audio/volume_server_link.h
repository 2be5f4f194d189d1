// TheMixerServer over the platform's volume-control server component: what
// the engine and the recorder tell a VolumeServer goes to the component's
// operations.
#pragma once

#include <memory>

#include "audio/audio_player.h"

class IVolumeServer;

class ComponentVolumeServer : public VolumeServer {
 public:
  // Takes over one reference of server.
  explicit ComponentVolumeServer(IVolumeServer* server);
  ~ComponentVolumeServer() override;
  ComponentVolumeServer(const ComponentVolumeServer&) = delete;
  ComponentVolumeServer& operator=(const ComponentVolumeServer&) = delete;

  LONG Start(LONG playback) override;
  void Stop() override;
  void ShowForDevice(LONG device, LONG flag) override;
  void ShowMixer() override;
  void Move(LONG x, LONG y) override;
  void Hide() override;

 private:
  IVolumeServer* server_;
};

// The program's volume-control server, or null when it cannot be made.
std::unique_ptr<VolumeServer> CreateMixerServer();
