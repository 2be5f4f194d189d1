// The library's entries: those the board needs do its work, the others
// answer 0. Each entry keeps the monitor window up to date when the thread
// that owns it calls.
#include "platform/board/board.h"
#include "platform/board/board_resources.h"
#include "platform/board/vlminter.h"

namespace {

// The board; when the call is done, the monitor is brought up to date.
class EntryScope {
 public:
  EntryScope() : board_(vlmsim::Board::Get()) {}
  ~EntryScope() { board_.RefreshMonitor(); }
  vlmsim::Board* operator->() { return &board_; }

 private:
  vlmsim::Board& board_;
};

}  // namespace

extern "C" {

int vlmdll_status() {
#ifdef KOBRIX_BOARD_STATUS_ZERO
  return 0;
#else
  return 1;
#endif
}
int call_vxd(int, int) { return 0; }
int open_vxd() { return 0; }
int close_vxd() { return 0; }
int vdc_get_m(int) { return 0; }
int vdc_put_m(int, int) { return 0; }
int vdc_get_status_ext(int) { return 0; }
int vdc_write_i2c(int, int, int) { return 0; }
int vdc_read_i2c(int, int, int) { return 0; }
int vdc_init_video_xilinx(int, int) { return 0; }
int vdc_init_interface_xilinx(int, int) { return 0; }
int vdc_init_velmora() { return 0; }
int vdc_get_counters(int, int) { return 0; }
int vdc_get_diags(int, int) { return 0; }
int vdc_start_tiks() { return 0; }
int vdc_put_lb_word(int, int) { return 0; }
int vdc_get_lb_word(int, int) { return 0; }
int vdc_stop_tiks() { return 0; }
int vdc_set_user_bits(int) { return 0; }
int vdc_clr_user_bits(int) { return 0; }
int vdc_get_user_bits() { return 0; }
int vdc_register(int n) { return EntryScope()->Register(n); }
int vdc_is_registered(int n) { return EntryScope()->IsRegistered(n); }
int vdc_unregister(int n) { return EntryScope()->Unregister(n); }
int vdc_unregister_all() { return EntryScope()->UnregisterAll(); }
int vdc_define_context(int, int, int, int, int, int) { return 0; }
int vdc_switch_context(int) { return 0; }
int vdc_input_get_caps(int, int, int, int) { return 0; }
int vdc_input_set_standart(int) { return 0; }
int vdc_input_set_type(int) { return 0; }
int vdc_input_set_vtrc(int) { return 0; }
int vdc_input_set_vpref(int) { return 0; }
int vdc_input_set_vcross(int) { return 0; }
int vdc_input_set_vhue(int) { return 0; }
int vdc_input_set_vsat(int) { return 0; }
int vdc_input_set_vbright(int) { return 0; }
int vdc_input_set_vcontr(int) { return 0; }
int vdc_input_set_vcory(int) { return 0; }
int vdc_input_set_vaper(int) { return 0; }
int vdc_input_set_vband(int) { return 0; }
int vdc_input_set_vnoise(int) { return 0; }
int vdc_input_set_gain_lock(int) { return 0; }
int vdc_input_get_defs(int, int, int) { return 0; }
int vdc_input_set_scale(int x, int y, int w, int h) { return EntryScope()->SetInputScale(x, y, w, h); }
int vdc_input_get_standart() { return 0; }
int vdc_input_get_type() { return 0; }
int vdc_input_get_vtrc() { return 0; }
int vdc_input_get_vpref() { return 0; }
int vdc_input_get_vcross() { return 0; }
int vdc_input_get_vhue() { return 0; }
int vdc_input_get_vsat() { return 0; }
int vdc_input_get_vbright() { return 0; }
int vdc_input_get_vcontr() { return 0; }
int vdc_input_get_vcory() { return 0; }
int vdc_input_get_vaper() { return 0; }
int vdc_input_get_vband() { return 0; }
int vdc_input_get_vnoise() { return 0; }
int vdc_input_get_gain_lock() { return 0; }
int vdc_input_get_scale(int* x, int* y, int* w, int* h) { return EntryScope()->GetInputScale(x, y, w, h); }
int vdc_input_get_y_delay() { return 0; }
int vdc_input_set_y_delay(int) { return 0; }
int vdc_input_get_type_list() { return 0; }
int vdc_input_set_vxpos_vypos(int, int) { return 0; }
int vdc_input_get_type_string() { return 0; }
int vdc_input_get_source(int, int, int, int, int) { return 0; }
int vdc_input_set_enabled_window(int mask, int on) { return EntryScope()->SetEnabledWindow(mask, on); }
int vdc_input_get_enabled_window() { return EntryScope()->GetEnabledWindow(); }
int vdc_output_set_standart(int) { return 0; }
int vdc_output_get_standart() { return 0; }
int vdc_output_set_slave(int) { return 0; }
int vdc_output_get_slave() { return 0; }
int vdc_output_set_rtce(int) { return 0; }
int vdc_output_get_rtce() { return 0; }
int vdc_output_set_vtrc(int) { return 0; }
int vdc_output_get_vtrc() { return 0; }
int vdc_output_set_delay(int) { return 0; }
int vdc_output_get_delay() { return 0; }
int vdc_output_set_is_component(int) { return 0; }
int vdc_output_get_is_component() { return 0; }
int vdc_output_set_freq(int) { return 0; }
int vdc_output_get_freq() { return 0; }
int vdc_output_set_phase(int) { return 0; }
int vdc_output_get_phase() { return 0; }
int vdc_output_set_pcb_revision(int) { return 0; }
int vdc_output_get_pcb_revision() { return 0; }
int vdc_output_get_scale(int* x, int* y, int* w, int* h) { return EntryScope()->GetOutputScale(x, y, w, h); }
int vxd_get_id() { return 0; }
int vdc_get_version() { return EntryScope()->Version(); }
int vdc_get_status() { return 0; }
int vdc_source_a_set(int) { return 0; }
int vdc_source_b_set(int) { return 0; }
int vdc_writebank_a_set(int) { return 0; }
int vdc_writebank_b_set(int) { return 0; }
int vdc_readbank_a_set(int) { return 0; }
int vdc_readbank_b_set(int) { return 0; }
int vdc_mixer_a_set(int) { return 0; }
int vdc_mixer_b_set(int) { return 0; }
int vdc_mixer_alpha_set(int level) { return EntryScope()->SetMixerAlpha(level); }
int vdc_mixer_blender_set(int mode) { return EntryScope()->SetBlender(mode); }
int vdc_mixer_border_set(int) { return 0; }
int vdc_mixer_border_alpha_set(int) { return 0; }
int vdc_key_clipper_set(int) { return 0; }
int vdc_key_mode_set(int) { return 0; }
int vdc_key_filter_set(int) { return 0; }
int vdc_source_a_get() { return 0; }
int vdc_source_b_get() { return 0; }
int vdc_writebank_a_get() { return 0; }
int vdc_writebank_b_get() { return 0; }
int vdc_readbank_a_get() { return 0; }
int vdc_readbank_b_get() { return 0; }
int vdc_mixer_a_get() { return 0; }
int vdc_mixer_b_get() { return 0; }
int vdc_mixer_alpha_get() { return 0; }
int vdc_mixer_blender_get() { return 0; }
int vdc_mixer_border_get() { return 0; }
int vdc_mixer_border_alpha_get() { return 0; }
int vdc_key_clipper_get() { return 0; }
int vdc_key_mode_get() { return 0; }
int vdc_key_filter_get() { return 0; }
int vdc_key_off_set(int) { return 0; }
int vdc_key_blender_set(int) { return 0; }
int vdc_key_color_set(int, int, int) { return 0; }
int vdc_key_off_get() { return 0; }
int vdc_key_blender_get() { return 0; }
int vdc_put_video_data(int, int, int, int) { return 0; }
int vdc_put_video_alpha_data(int, int, int, int) { return 0; }
int vdc_put_alpha(void* buffer, void*, int count) { return EntryScope()->PutAlpha(buffer, count); }
int vdc_get_video_data(int, int, int, int) { return 0; }
int vdc_get_alpha(void* buffer, void*, int count) { return EntryScope()->GetAlpha(buffer, count); }
int vdc_get_alpha_2(void*, void*, int) { return 0; }
int vdc_write_key_table(int) { return 0; }
int vdc_write_new_key_table(int, int) { return 0; }
void* vdc_AllocVideoFifo(int* size) { return EntryScope()->AllocFifo(size); }
int vdc_ReleaseVideoFifo() { return EntryScope()->ReleaseFifo(); }
int vdc_AllocTitleBuffer(int) { return 0; }
int vdc_ReleaseTitleBuffer() { return 0; }
int vdc_SetFormat(int w, int h, int rate, int scale) { return EntryScope()->SetFormat(w, h, rate, scale); }
int vdc_GetState() { return EntryScope()->GetState(); }
int vdc_CheckFreeSize(int count, int) { return EntryScope()->CheckFreeSize(count); }
int vdc_AddData(int id, int field, int kind, int count) { return EntryScope()->AddData(id, field, kind, count); }
int vdc_Run() { return EntryScope()->Run(); }
int vdc_Pause() { return EntryScope()->Pause(); }
int vdc_Stop() { return EntryScope()->Stop(); }
int vdc_ResetCounter(int, int first) { return EntryScope()->ResetCounter(first); }
int vdc_GetFrameNumber() { return EntryScope()->FrameNumber(); }
int vdc_GetLastFrameNumber() { return EntryScope()->LastFrameNumber(); }
int vdc_GetTime() { return EntryScope()->Time(); }
int vdc_Flush() { return EntryScope()->Flush(); }
int vdc_FlushTail() { return EntryScope()->FlushTail(); }
int vdc_clear_timeouts(int) { return EntryScope()->ClearTimeouts(); }
int vdc_get_timeouts(int) { return EntryScope()->Timeouts(); }
int vdc_SeizeGPI(int line) { return EntryScope()->SeizeGPI(line); }
int vdc_FreeGPI(int line) { return EntryScope()->FreeGPI(line); }
int vdc_WaitGPIEvent(int, int) { return 0; }
int vdc_RunAfterWaitGPI(int line, int fields) { return EntryScope()->RunAfterWaitGPI(line, fields); }
int vdc_CancelWaitGPIEvent(int line, int run) { return EntryScope()->CancelWaitGPI(line, run); }
#ifndef KOBRIX_BOARD_LACKS_GPI_INFO
int vdc_GetGPIInfo(int line, char* name, int size, int* closed, int* input) {
  return EntryScope()->GetGPIInfo(line, name, size, closed, input);
}
#endif
int vdc_SetGPIInfo(int line, int closed, int input) { return EntryScope()->SetGPIInfo(line, closed, input); }
int vdc_SetGPIValue(int, int) { return 0; }
int vdc_GetGPIValue(int) { return 0; }
int vdc_GetGPIEventCnt(int) { return 0; }

// ---- Control ----------------------------------------------------------------

void vlmsim_SetOutputSize(int width, int height) { vlmsim::Board::Get().SetOutputSize(width, height); }
void vlmsim_SetFifoLimit(int bytes) { vlmsim::Board::Get().SetFifoLimit(bytes); }
void vlmsim_SetVersion(int version) { vlmsim::Board::Get().SetVersion(version); }
void vlmsim_SetForeignResources(int mask) { vlmsim::SetForeignResources(static_cast<uint32_t>(mask)); }
void vlmsim_SetClockDriven(int driven) { vlmsim::Board::Get().SetClockDriven(driven != 0); }
void vlmsim_AdvanceClock(int milliseconds) { vlmsim::Board::Get().AdvanceClock(milliseconds); }
void vlmsim_SetDrain(int drain) { vlmsim::Board::Get().SetDrain(drain != 0); }
void vlmsim_RaiseGPI(int line) { vlmsim::Board::Get().RaiseGPI(line); }
int vlmsim_GPIWaiting(int line) { return vlmsim::Board::Get().GPIWaiting(line) ? 1 : 0; }
int vlmsim_GetAddDataLog(VlmSimAnnouncement* records, int max) {
  return vlmsim::Board::Get().GetAddDataLog(records, max);
}
void vlmsim_ClearAddDataLog() { vlmsim::Board::Get().ClearAddDataLog(); }
int vlmsim_GetLastPicture(uint32_t* pixels, int max, int* width, int* height) {
  return vlmsim::Board::Get().GetLastPicture(pixels, max, width, height);
}
int vlmsim_CaptureMonitor(uint32_t* pixels, int max, int* width, int* height) {
  return vlmsim::Board::Get().CaptureMonitor(pixels, max, width, height);
}

}  // extern "C"
