// Outside synthesisers: the writable ports of the ALSA sequencer, each a
// device. A stream's port is a sequencer client of its own connected to the
// chosen port; messages go out at once (the stream keeps the time). Where
// the machine has no sequencer the list is empty and nothing is printed.
#include <alsa/asoundlib.h>

#include <mutex>

#include "platform/audio/midi_backend.h"

namespace {

void Quiet(const char*, int, const char*, int, const char*, ...) {}

// ALSA reports a missing sequencer on stderr unless told otherwise.
void QuietAlsa() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(Quiet); });
}

struct Address {
  int client = 0;
  int port = 0;
};

struct PortInfo {
  MidiDeviceInfo info;
  Address address;
};

std::vector<PortInfo> ListPorts() {
  QuietAlsa();
  std::vector<PortInfo> ports;
  snd_seq_t* seq = nullptr;
  if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return ports;
  snd_seq_client_info_t* client;
  snd_seq_port_info_t* port;
  snd_seq_client_info_alloca(&client);
  snd_seq_port_info_alloca(&port);
  const int self = snd_seq_client_id(seq);
  snd_seq_client_info_set_client(client, -1);
  while (snd_seq_query_next_client(seq, client) >= 0) {
    const int id = snd_seq_client_info_get_client(client);
    if (id == SND_SEQ_CLIENT_SYSTEM || id == self) continue;
    snd_seq_port_info_set_client(port, id);
    snd_seq_port_info_set_port(port, -1);
    while (snd_seq_query_next_port(seq, port) >= 0) {
      const unsigned caps = snd_seq_port_info_get_capability(port);
      const unsigned wanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
      if ((caps & wanted) != wanted || (caps & SND_SEQ_PORT_CAP_NO_EXPORT)) continue;
      const unsigned type = snd_seq_port_info_get_type(port);
      PortInfo p;
      p.info.name = snd_seq_port_info_get_name(port);
      p.info.technology =
          (type & (SND_SEQ_PORT_TYPE_SYNTH | SND_SEQ_PORT_TYPE_DIRECT_SAMPLE | SND_SEQ_PORT_TYPE_SAMPLE))
              ? MOD_SYNTH
              : MOD_MIDIPORT;
      p.address = {id, snd_seq_port_info_get_port(port)};
      ports.push_back(std::move(p));
    }
  }
  snd_seq_close(seq);
  return ports;
}

class AlsaPort : public MidiPort {
 public:
  ~AlsaPort() override {
    if (encoder_ != nullptr) snd_midi_event_free(encoder_);
    if (seq_ != nullptr) snd_seq_close(seq_);
  }

  MMRESULT Open(const Address& to) {
    if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
      seq_ = nullptr;
      return MIDIERR_NODEVICE;
    }
    snd_seq_set_client_name(seq_, "Kobrix");
    port_ = snd_seq_create_simple_port(seq_, "Kobrix MIDI out",
                                       SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                       SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (port_ < 0 || snd_seq_connect_to(seq_, port_, to.client, to.port) < 0) return MIDIERR_NODEVICE;
    if (snd_midi_event_new(256, &encoder_) < 0) {
      encoder_ = nullptr;
      return MMSYSERR_NOMEM;
    }
    return MMSYSERR_NOERROR;
  }

  void Short(DWORD message, ULONGLONG) override {
    BYTE bytes[3] = {static_cast<BYTE>(message), static_cast<BYTE>(message >> 8),
                     static_cast<BYTE>(message >> 16)};
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    snd_midi_event_reset_encode(encoder_);
    // The encoder takes as many bytes as the status carries.
    for (BYTE b : bytes) {
      if (snd_midi_event_encode_byte(encoder_, b, &ev) == 1) {
        Send(ev);
        return;
      }
    }
  }

  void Long(const BYTE* bytes, std::size_t size, ULONGLONG) override {
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    snd_seq_ev_set_sysex(&ev, static_cast<unsigned>(size), const_cast<BYTE*>(bytes));
    Send(ev);
  }

  void Silence() override {
    for (int channel = 0; channel < 16; ++channel) {
      snd_seq_event_t ev;
      snd_seq_ev_clear(&ev);
      snd_seq_ev_set_controller(&ev, channel, 123, 0);  // all notes off
      Send(ev);
    }
  }

 private:
  void Send(snd_seq_event_t& ev) {
    snd_seq_ev_set_source(&ev, port_);
    snd_seq_ev_set_subs(&ev);
    snd_seq_ev_set_direct(&ev);
    snd_seq_event_output_direct(seq_, &ev);
  }

  snd_seq_t* seq_ = nullptr;
  int port_ = -1;
  snd_midi_event_t* encoder_ = nullptr;
};

class AlsaBackend : public MidiBackend {
 public:
  std::vector<MidiDeviceInfo> Devices() override {
    std::lock_guard<std::mutex> hold(lock_);
    ports_ = ListPorts();
    std::vector<MidiDeviceInfo> list;
    for (const PortInfo& p : ports_) list.push_back(p.info);
    return list;
  }
  std::unique_ptr<MidiPort> Open(std::size_t index, MMRESULT* error) override {
    Address to;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (index >= ports_.size()) {
        *error = MMSYSERR_BADDEVICEID;
        return nullptr;
      }
      to = ports_[index].address;
    }
    auto port = std::make_unique<AlsaPort>();
    *error = port->Open(to);
    if (*error != MMSYSERR_NOERROR) return nullptr;
    return port;
  }

 private:
  std::mutex lock_;
  std::vector<PortInfo> ports_;
};

}  // namespace

std::unique_ptr<MidiBackend> MakeAlsaMidiBackend() {
  return std::make_unique<AlsaBackend>();
}
