#include "model/profiles.h"

#include <mutex>

namespace velkor {

ApplyOutcome Profiles::ApplyToKeyboard(DeviceCommands& commands, bool all_profiles) {
  ApplyOutcome outcome;
  // The working lock first, always (the callers hold it already; it is
  // re-entrant), then the applied lock.
  std::lock_guard working_lock(locks_.working());
  std::lock_guard applied_lock(locks_.applied());

  // Which key maps go: with the active profile unknown, any guess could
  // overwrite another profile's keys, so nothing goes and the applied image
  // stays what the keyboard has.
  int first = 0;
  int last = 2;
  if (!all_profiles) {
    const int current = commands.ActiveProfile();
    if (current < 0 || current > 2) {
      outcome.profile_unknown = true;
      return outcome;
    }
    first = last = current;
  }

  // 1. The applied image becomes what the working image holds now.
  RebuildHeaders(working);
  applied.file_header = working.file_header;
  applied.table_header = working.table_header;
  applied.entries = working.entries;
  applied.macros = working.macros;

  // 2. The macro store, with names when they fit.
  StorePlan plan = PlanStore(applied.macros, macro_capacity);
  if (plan.outcome == StorePlan::Outcome::kTooLarge) {
    outcome.macros_too_large = true;
    return outcome;
  }
  outcome.names_dropped = plan.outcome == StorePlan::Outcome::kWithoutNames;

  // 3. The key maps, macro positions from the working list.
  const MacroPositionOf position = [this](uint32_t id) {
    std::lock_guard working_lock(locks_.working());
    return MacroPosition(working.macros, id);
  };
  std::vector<KeyMapBytes> blocks;
  for (int b = first; b <= last; ++b) blocks.push_back(EncodeKeyMap(applied.GetBank(b), default_layout, position));

  // 4. Every step is sent even when one before it failed; the last key-map
  // write is the result.
  commands.BeginAccess();
  commands.WriteMacroMemory(plan.bytes.data(), static_cast<int>(plan.bytes.size()));
  for (int b = first; b <= last; ++b) {
    outcome.last_status = commands.WriteKeyMapBlock(blocks[static_cast<size_t>(b - first)].data(), b);
  }
  commands.EndAccess();
  outcome.success = outcome.last_status == kSuccess;
  return outcome;
}

std::optional<ProfileImage> Profiles::ExportKeyboard(DeviceCommands& commands,
                                                     const LanguageTable* language) {
  const int current = commands.ActiveProfile();
  if (static_cast<unsigned>(current) > 3) return std::nullopt;
  std::array<KeyMapBytes, 3> blocks{};
  for (int b = 0; b < 3; ++b) {
    if (commands.ReadKeyMapBlock(blocks[static_cast<size_t>(b)].data(), b) != kSuccess) return std::nullopt;
  }
  MacroList macros;
  std::vector<uint8_t> header(kStoreHeaderSize);
  if (commands.ReadMacroMemory(header.data(), static_cast<int>(header.size())) != kSuccess) return std::nullopt;
  if ((header[0] | (header[1] << 8)) == kStoreMagic) {
    const size_t total = header[2] | (header[3] << 8);
    if (total >= kStoreHeaderSize) {
      std::vector<uint8_t> store(total);
      if (commands.ReadMacroMemory(store.data(), static_cast<int>(total)) != kSuccess) return std::nullopt;
      // A store that is not whole holds no macros worth keeping.
      if (std::optional<MacroList> decoded = DecodeStore(store, language)) macros = std::move(*decoded);
    }
  }
  ProfileImage image;
  for (int b = 0; b < 3; ++b) image.SetBank(b, DecodeKeyMap(blocks[static_cast<size_t>(b)], default_layout));
  image.macros = std::move(macros);
  RebuildHeaders(image);
  return image;
}

void Profiles::AdoptConfigBlock(const ConfigBlock& block) {
  macro_capacity = static_cast<size_t>(block[kConfigMacroCapacity]) * 128;
}

StatusCode Profiles::ReadDefaultLayout(DeviceCommands& commands) {
  KeyMapBytes read{};
  const StatusCode status = commands.ReadDefaultLayoutBlock(read.data());
  if (status == kSuccess) default_layout = AdoptReadLayout(read);
  return status;
}

}  // namespace velkor
