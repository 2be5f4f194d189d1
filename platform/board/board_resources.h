// The board's resources, held per process in one file of the runtime folder
// so that every instance on this machine sees the same board. The file is
// locked while it is read and changed; holders that no longer run are
// dropped whenever it is read. The holder 0 stands for another instance
// that a test makes up.
#pragma once

#include <cstdint>

namespace vlmsim {

constexpr int kForeignHolder = 0;

// Takes resource n for holder; false when someone else holds it.
bool TakeResource(int n, int holder);
bool HoldsResource(int n, int holder);
void GiveResource(int n, int holder);
void GiveAllResources(int holder);
// The made-up holder keeps exactly the resources of mask (bit n: resource
// n) that nobody else holds.
void SetForeignResources(uint32_t mask);

}  // namespace vlmsim
