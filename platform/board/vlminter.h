// The video board's library ("VLMINTER.DLL", here libvlminter.so beside the
// program): its entries as the program binds them by name, in the order of
// binding, each with its result, its count of arguments and their types.
// The library in this folder simulates the board in software; the program
// never links it and reaches it only through LoadLibrary and these names.
//
// Besides the board's own entries the simulation exports control entries
// (vlmsim_*) for tests and benchmarks, found with GetProcAddress.
//
// What the simulated board does with the frames it is given:
// - Frames are announced with vdc_AddData; kind 4 (count 0) ends a frame and
//   names its id. The board shows one frame per tick of its clock (the rate
//   of vdc_SetFormat): the next frame when its id is due (ids above the
//   counter make it wait, the counter running on), nothing when none has
//   arrived (an underrun: the frame that ends it counts those ticks as
//   time-outs). Showing a frame frees its bytes of the fifo.
// - While paused, the frame whose id is the counter's is shown at once as a
//   still, and stays on the monitor after vdc_Flush.
// - A field's video (kind 1) is its lines, top first, in 4:2:2 YUYV (Y0 U Y1
//   V, two bytes a pixel, studio levels): field 0 the frame's even lines,
//   field 1 the odd ones. Lines the data does not reach stay black. A
//   field's alpha plane (kind 2) is one byte a pixel of the field; with the
//   mixer's blend mode 2 it keys the video over black. Kinds 10 and 11 are
//   taken and not shown.
// - Resources are held per process in a file of the runtime folder, locked
//   while it changes, so that two instances share one board; a holder that
//   no longer runs holds nothing.
// - GPI lines 0 to 3: vdc_RunAfterWaitGPI ends when its line is raised
//   (starting the output), when its time-out in fields (20 ms each) passes,
//   or when vdc_CancelWaitGPIEvent ends it.
// - Under the sdl display the frames shown appear in a monitor window on the
//   program's own SDL: the board never calls SDL from its own threads, only
//   from the thread that took its resources first (the program's main thread,
//   which also pumps SDL), whenever that thread calls into the board; the
//   window layer passes over the events of windows it does not know.
#pragma once

#include <cstdint>

#define VLMINTER_ENTRIES(X) \
  X(int, vlmdll_status, 0, ()) \
  X(int, call_vxd, 2, (int, int)) \
  X(int, open_vxd, 0, ()) \
  X(int, close_vxd, 0, ()) \
  X(int, vdc_get_m, 1, (int)) \
  X(int, vdc_put_m, 2, (int, int)) \
  X(int, vdc_get_status_ext, 1, (int)) \
  X(int, vdc_write_i2c, 3, (int, int, int)) \
  X(int, vdc_read_i2c, 3, (int, int, int)) \
  X(int, vdc_init_video_xilinx, 2, (int, int)) \
  X(int, vdc_init_interface_xilinx, 2, (int, int)) \
  X(int, vdc_init_velmora, 0, ()) \
  X(int, vdc_get_counters, 2, (int, int)) \
  X(int, vdc_get_diags, 2, (int, int)) \
  X(int, vdc_start_tiks, 0, ()) \
  X(int, vdc_put_lb_word, 2, (int, int)) \
  X(int, vdc_get_lb_word, 2, (int, int)) \
  X(int, vdc_stop_tiks, 0, ()) \
  X(int, vdc_set_user_bits, 1, (int)) \
  X(int, vdc_clr_user_bits, 1, (int)) \
  X(int, vdc_get_user_bits, 0, ()) \
  X(int, vdc_register, 1, (int)) \
  X(int, vdc_is_registered, 1, (int)) \
  X(int, vdc_unregister, 1, (int)) \
  X(int, vdc_unregister_all, 0, ()) \
  X(int, vdc_define_context, 6, (int, int, int, int, int, int)) \
  X(int, vdc_switch_context, 1, (int)) \
  X(int, vdc_input_get_caps, 4, (int, int, int, int)) \
  X(int, vdc_input_set_standart, 1, (int)) \
  X(int, vdc_input_set_type, 1, (int)) \
  X(int, vdc_input_set_vtrc, 1, (int)) \
  X(int, vdc_input_set_vpref, 1, (int)) \
  X(int, vdc_input_set_vcross, 1, (int)) \
  X(int, vdc_input_set_vhue, 1, (int)) \
  X(int, vdc_input_set_vsat, 1, (int)) \
  X(int, vdc_input_set_vbright, 1, (int)) \
  X(int, vdc_input_set_vcontr, 1, (int)) \
  X(int, vdc_input_set_vcory, 1, (int)) \
  X(int, vdc_input_set_vaper, 1, (int)) \
  X(int, vdc_input_set_vband, 1, (int)) \
  X(int, vdc_input_set_vnoise, 1, (int)) \
  X(int, vdc_input_set_gain_lock, 1, (int)) \
  X(int, vdc_input_get_defs, 3, (int, int, int)) \
  X(int, vdc_input_set_scale, 4, (int, int, int, int)) \
  X(int, vdc_input_get_standart, 0, ()) \
  X(int, vdc_input_get_type, 0, ()) \
  X(int, vdc_input_get_vtrc, 0, ()) \
  X(int, vdc_input_get_vpref, 0, ()) \
  X(int, vdc_input_get_vcross, 0, ()) \
  X(int, vdc_input_get_vhue, 0, ()) \
  X(int, vdc_input_get_vsat, 0, ()) \
  X(int, vdc_input_get_vbright, 0, ()) \
  X(int, vdc_input_get_vcontr, 0, ()) \
  X(int, vdc_input_get_vcory, 0, ()) \
  X(int, vdc_input_get_vaper, 0, ()) \
  X(int, vdc_input_get_vband, 0, ()) \
  X(int, vdc_input_get_vnoise, 0, ()) \
  X(int, vdc_input_get_gain_lock, 0, ()) \
  X(int, vdc_input_get_scale, 4, (int*, int*, int*, int*)) \
  X(int, vdc_input_get_y_delay, 0, ()) \
  X(int, vdc_input_set_y_delay, 1, (int)) \
  X(int, vdc_input_get_type_list, 0, ()) \
  X(int, vdc_input_set_vxpos_vypos, 2, (int, int)) \
  X(int, vdc_input_get_type_string, 0, ()) \
  X(int, vdc_input_get_source, 5, (int, int, int, int, int)) \
  X(int, vdc_input_set_enabled_window, 2, (int, int)) \
  X(int, vdc_input_get_enabled_window, 0, ()) \
  X(int, vdc_output_set_standart, 1, (int)) \
  X(int, vdc_output_get_standart, 0, ()) \
  X(int, vdc_output_set_slave, 1, (int)) \
  X(int, vdc_output_get_slave, 0, ()) \
  X(int, vdc_output_set_rtce, 1, (int)) \
  X(int, vdc_output_get_rtce, 0, ()) \
  X(int, vdc_output_set_vtrc, 1, (int)) \
  X(int, vdc_output_get_vtrc, 0, ()) \
  X(int, vdc_output_set_delay, 1, (int)) \
  X(int, vdc_output_get_delay, 0, ()) \
  X(int, vdc_output_set_is_component, 1, (int)) \
  X(int, vdc_output_get_is_component, 0, ()) \
  X(int, vdc_output_set_freq, 1, (int)) \
  X(int, vdc_output_get_freq, 0, ()) \
  X(int, vdc_output_set_phase, 1, (int)) \
  X(int, vdc_output_get_phase, 0, ()) \
  X(int, vdc_output_set_pcb_revision, 1, (int)) \
  X(int, vdc_output_get_pcb_revision, 0, ()) \
  X(int, vdc_output_get_scale, 4, (int*, int*, int*, int*)) \
  X(int, vxd_get_id, 0, ()) \
  X(int, vdc_get_version, 0, ()) \
  X(int, vdc_get_status, 0, ()) \
  X(int, vdc_source_a_set, 1, (int)) \
  X(int, vdc_source_b_set, 1, (int)) \
  X(int, vdc_writebank_a_set, 1, (int)) \
  X(int, vdc_writebank_b_set, 1, (int)) \
  X(int, vdc_readbank_a_set, 1, (int)) \
  X(int, vdc_readbank_b_set, 1, (int)) \
  X(int, vdc_mixer_a_set, 1, (int)) \
  X(int, vdc_mixer_b_set, 1, (int)) \
  X(int, vdc_mixer_alpha_set, 1, (int)) \
  X(int, vdc_mixer_blender_set, 1, (int)) \
  X(int, vdc_mixer_border_set, 1, (int)) \
  X(int, vdc_mixer_border_alpha_set, 1, (int)) \
  X(int, vdc_key_clipper_set, 1, (int)) \
  X(int, vdc_key_mode_set, 1, (int)) \
  X(int, vdc_key_filter_set, 1, (int)) \
  X(int, vdc_source_a_get, 0, ()) \
  X(int, vdc_source_b_get, 0, ()) \
  X(int, vdc_writebank_a_get, 0, ()) \
  X(int, vdc_writebank_b_get, 0, ()) \
  X(int, vdc_readbank_a_get, 0, ()) \
  X(int, vdc_readbank_b_get, 0, ()) \
  X(int, vdc_mixer_a_get, 0, ()) \
  X(int, vdc_mixer_b_get, 0, ()) \
  X(int, vdc_mixer_alpha_get, 0, ()) \
  X(int, vdc_mixer_blender_get, 0, ()) \
  X(int, vdc_mixer_border_get, 0, ()) \
  X(int, vdc_mixer_border_alpha_get, 0, ()) \
  X(int, vdc_key_clipper_get, 0, ()) \
  X(int, vdc_key_mode_get, 0, ()) \
  X(int, vdc_key_filter_get, 0, ()) \
  X(int, vdc_key_off_set, 1, (int)) \
  X(int, vdc_key_blender_set, 1, (int)) \
  X(int, vdc_key_color_set, 3, (int, int, int)) \
  X(int, vdc_key_off_get, 0, ()) \
  X(int, vdc_key_blender_get, 0, ()) \
  X(int, vdc_put_video_data, 4, (int, int, int, int)) \
  X(int, vdc_put_video_alpha_data, 4, (int, int, int, int)) \
  X(int, vdc_put_alpha, 3, (void*, void*, int)) \
  X(int, vdc_get_video_data, 4, (int, int, int, int)) \
  X(int, vdc_get_alpha, 3, (void*, void*, int)) \
  X(int, vdc_get_alpha_2, 3, (void*, void*, int)) \
  X(int, vdc_write_key_table, 1, (int)) \
  X(int, vdc_write_new_key_table, 2, (int, int)) \
  X(void*, vdc_AllocVideoFifo, 1, (int*)) \
  X(int, vdc_ReleaseVideoFifo, 0, ()) \
  X(int, vdc_AllocTitleBuffer, 1, (int)) \
  X(int, vdc_ReleaseTitleBuffer, 0, ()) \
  X(int, vdc_SetFormat, 4, (int, int, int, int)) \
  X(int, vdc_GetState, 0, ()) \
  X(int, vdc_CheckFreeSize, 2, (int, int)) \
  X(int, vdc_AddData, 4, (int, int, int, int)) \
  X(int, vdc_Run, 0, ()) \
  X(int, vdc_Pause, 0, ()) \
  X(int, vdc_Stop, 0, ()) \
  X(int, vdc_ResetCounter, 2, (int, int)) \
  X(int, vdc_GetFrameNumber, 0, ()) \
  X(int, vdc_GetLastFrameNumber, 0, ()) \
  X(int, vdc_GetTime, 0, ()) \
  X(int, vdc_Flush, 0, ()) \
  X(int, vdc_FlushTail, 0, ()) \
  X(int, vdc_clear_timeouts, 1, (int)) \
  X(int, vdc_get_timeouts, 1, (int)) \
  X(int, vdc_SeizeGPI, 1, (int)) \
  X(int, vdc_FreeGPI, 1, (int)) \
  X(int, vdc_WaitGPIEvent, 2, (int, int)) \
  X(int, vdc_RunAfterWaitGPI, 2, (int, int)) \
  X(int, vdc_CancelWaitGPIEvent, 2, (int, int)) \
  X(int, vdc_GetGPIInfo, 5, (int, char*, int, int*, int*)) \
  X(int, vdc_SetGPIInfo, 3, (int, int, int)) \
  X(int, vdc_SetGPIValue, 2, (int, int)) \
  X(int, vdc_GetGPIValue, 1, (int)) \
  X(int, vdc_GetGPIEventCnt, 1, (int))

extern "C" {
#define VLMINTER_DECLARE(result, name, count, params) result name params;
VLMINTER_ENTRIES(VLMINTER_DECLARE)
#undef VLMINTER_DECLARE
}

// ---- The simulation's control entries ---------------------------------------

// One announcement as the board took it: where its bytes began in the fifo.
struct VlmSimAnnouncement {
  int32_t id;
  int32_t field;
  int32_t kind;
  int32_t count;
  int32_t offset;
};

extern "C" {
// The output's size (720 x 576 at first).
void vlmsim_SetOutputSize(int width, int height);
// Fifos above this many bytes are refused (none at first).
void vlmsim_SetFifoLimit(int bytes);
// What vdc_get_version answers (1073 at first).
void vlmsim_SetVersion(int version);
// Resources (bit n: resource n) that another holder has; 0 gives them back.
void vlmsim_SetForeignResources(int mask);
// The board's clock: driven, it moves only by vlmsim_AdvanceClock, which
// returns when the board has done what falls due meanwhile.
void vlmsim_SetClockDriven(int driven);
void vlmsim_AdvanceClock(int milliseconds);
// Takes every frame as soon as it is complete, whatever its id and the
// clock, without showing it (for measuring how fast frames can be given).
void vlmsim_SetDrain(int drain);
// Raises a GPI line (0 to 3).
void vlmsim_RaiseGPI(int line);
// Whether a wait on the line runs (its time-out already counting).
int vlmsim_GPIWaiting(int line);
// The vdc_AddData log since the last clear (the newest 65536 at most):
// copies at most max records and returns how many there are.
int vlmsim_GetAddDataLog(VlmSimAnnouncement* records, int max);
void vlmsim_ClearAddDataLog();
// The picture on the output (the frame size of vdc_SetFormat), 0x00RRGGBB,
// top row first: copies at most max pixels and returns the pixel count, 0
// when nothing was shown.
int vlmsim_GetLastPicture(uint32_t* pixels, int max, int* width, int* height);
// The monitor window as the display shows it, read back from SDL on the
// thread that owns it (0 when there is no window).
int vlmsim_CaptureMonitor(uint32_t* pixels, int max, int* width, int* height);
}
