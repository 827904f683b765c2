#include "device/hid_service/binding.h"

namespace velkor {

namespace {
template <typename F>
bool Take(ModuleLoader& loader, const char* name, F& slot) {
  slot = reinterpret_cast<F>(loader.Resolve(name));
  return slot != nullptr;
}
}  // namespace

std::optional<HidServiceApi> BindHidService(ModuleLoader& loader) {
  if (!loader.Load()) return std::nullopt;
  HidServiceApi api;
  const char* const* n = kHidServiceEntryPoints;
  const bool all = Take(loader, n[0], api.Debug) && Take(loader, n[1], api.Init) &&
                   Take(loader, n[2], api.End) && Take(loader, n[3], api.RequestGetDeviceCount) &&
                   Take(loader, n[4], api.DeleteRequestFromUnitId) &&
                   Take(loader, n[5], api.DeleteRequestFromHandle) &&
                   Take(loader, n[6], api.RequestWrite) && Take(loader, n[7], api.RequestWriteOne) &&
                   Take(loader, n[8], api.RequestStatusWrite) &&
                   Take(loader, n[9], api.RequestStatusGet) &&
                   Take(loader, n[10], api.RequestAsyncRead) &&
                   Take(loader, n[11], api.RequestStatusSetFeature);
  if (!all) return std::nullopt;
  if (api.Init(0) <= 0) return std::nullopt;
  return api;
}

}  // namespace velkor
