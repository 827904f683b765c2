#include "ostrel/service_backend.h"

namespace velkor {

KeyboardInterface InterfaceOf(const DeviceSelector& s) {
  if (s.vendor != kKeyboardVendor || s.product != kKeyboardProduct) return KeyboardInterface::kNone;
  if (s.usage_page == kCommandSelector.usage_page && s.usage == kCommandSelector.usage) {
    return KeyboardInterface::kCommand;
  }
  if (s.usage_page == kConsumerSelector.usage_page && s.usage == kConsumerSelector.usage) {
    return KeyboardInterface::kConsumer;
  }
  if (s.usage_page == kLedSelector.usage_page && s.usage == kLedSelector.usage) {
    return KeyboardInterface::kLed;
  }
  return KeyboardInterface::kNone;
}

}  // namespace velkor
