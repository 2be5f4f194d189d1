#include "audio/audio_player.h"

// Mixing the lines into the track pipe and refilling the headers the device
// returns belong to the track mixing and the play control; until they are
// built the mixer thread ends at once and a returned header stays as it is.
void AudioPlayer::MixTracks() {}

void AudioPlayer::PlayLoop(WAVEHDR*) {}
