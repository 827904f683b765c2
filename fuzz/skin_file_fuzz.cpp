// libFuzzer entry point.
#include "fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velkor::FuzzSkinFile(data, size);
  return 0;
}
