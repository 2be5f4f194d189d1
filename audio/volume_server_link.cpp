#include "audio/volume_server_link.h"

#include "platform/components/volume_server.h"

ComponentVolumeServer::ComponentVolumeServer(IVolumeServer* server) : server_(server) {}

ComponentVolumeServer::~ComponentVolumeServer() {
  if (server_ != nullptr) server_->Release();
}

LONG ComponentVolumeServer::Start(LONG playback) {
  return server_->Start(playback);
}

void ComponentVolumeServer::Stop() {
  server_->Stop();
}

void ComponentVolumeServer::ShowForDevice(LONG device, LONG flag) {
  server_->ShowForDevice(device, flag);
}

void ComponentVolumeServer::ShowMixer() {
  server_->ShowMixer();
}

void ComponentVolumeServer::Move(LONG x, LONG y) {
  server_->Move(x, y);
}

void ComponentVolumeServer::Hide() {
  server_->Hide();
}

std::unique_ptr<VolumeServer> CreateMixerServer() {
  IVolumeServer* server = nullptr;
  if (FAILED(CreateVolumeServer(nullptr, &server)) || server == nullptr) return nullptr;
  return std::make_unique<ComponentVolumeServer>(server);
}
