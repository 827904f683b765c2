#include "model/profiles.h"

#include <mutex>

namespace velkor {

ApplyOutcome Profiles::ApplyToKeyboard(DeviceCommands& commands, bool all_profiles) {
  ApplyOutcome outcome;

  // Which key maps go: with the active profile unknown, any guess could
  // overwrite another profile's keys, so nothing goes.
  int first = 0;
  int last = kKeyMapBlocks - 1;
  if (!all_profiles) {
    const int current = commands.ActiveProfile();
    if (current < 0 || current >= kKeyMapBlocks) {
      outcome.profile_unknown = true;
      return outcome;
    }
    first = last = current;
  }

  // 1. What goes is a snapshot of the working image, taken under the
  // working lock and sent with no lock held, so the windows stay free to
  // read and edit the image meanwhile; the snapshot becomes the applied
  // image only once the keyboard has taken all of it.
  ProfileImage snapshot;
  {
    std::lock_guard working_lock(locks_.working());
    RebuildHeaders(working);
    snapshot.file_header = working.file_header;
    snapshot.table_header = working.table_header;
    snapshot.entries = working.entries;
    snapshot.macros = working.macros;
  }

  // 2. The macro store, with names when they fit.
  const StorePlan plan = PlanStore(snapshot.macros, macro_capacity);
  if (plan.outcome == StorePlan::Outcome::kTooLarge) {
    outcome.macros_too_large = true;
    return outcome;
  }

  // 3. The key maps; macro positions from the list that goes with them.
  const MacroPositionOf position = [&snapshot](uint32_t id) { return MacroPosition(snapshot.macros, id); };
  std::vector<KeyMapBytes> blocks;
  for (int b = first; b <= last; ++b) blocks.push_back(EncodeKeyMap(snapshot.GetBank(b), default_layout, position));

  // 4. The transfer stops at the first command that fails: key maps sent
  // after a failed store would name macros the keyboard does not have, and
  // a keyboard that failed one block three times over is not sent the
  // next ones (the apply is failed and stays pending; the next one sends
  // everything again). Once opened, the access is always closed.
  StatusCode status = commands.BeginAccess();
  if (status == kSuccess) {
    status = commands.WriteMacroMemory(plan.bytes.data(), static_cast<int>(plan.bytes.size()));
    for (int b = first; b <= last && status == kSuccess; ++b) {
      status = commands.WriteKeyMapBlock(blocks[static_cast<size_t>(b - first)].data(), b);
    }
    const StatusCode closed = commands.EndAccess();
    if (status == kSuccess) status = closed;
  }
  outcome.last_status = status;
  outcome.success = status == kSuccess;
  if (!outcome.success) return outcome;

  outcome.names_dropped = plan.outcome == StorePlan::Outcome::kWithoutNames;
  std::lock_guard applied_lock(locks_.applied());
  applied = std::move(snapshot);
  return outcome;
}

std::optional<KeyboardContents> Profiles::ReadKeyboardContents(DeviceCommands& commands) {
  const int current = commands.ActiveProfile();
  if (static_cast<unsigned>(current) > 3) return std::nullopt;
  KeyboardContents contents;
  for (int b = 0; b < kKeyMapBlocks; ++b) {
    if (commands.ReadKeyMapBlock(contents.key_maps[static_cast<size_t>(b)].data(), b) != kSuccess) {
      return std::nullopt;
    }
  }
  std::vector<uint8_t> header(kStoreHeaderSize);
  if (commands.ReadMacroMemory(header.data(), static_cast<int>(header.size())) != kSuccess) return std::nullopt;
  if ((header[0] | (header[1] << 8)) == kStoreMagic) {
    const size_t total = header[2] | (header[3] << 8);
    if (total >= kStoreHeaderSize) {
      contents.store.resize(total);
      if (commands.ReadMacroMemory(contents.store.data(), static_cast<int>(total)) != kSuccess) return std::nullopt;
    }
  }
  return contents;
}

ProfileImage Profiles::DecodeKeyboardContents(const KeyboardContents& contents,
                                              const LanguageTable* language) const {
  ProfileImage image;
  for (int b = 0; b < kKeyMapBlocks; ++b) {
    image.SetBank(b, DecodeKeyMap(contents.key_maps[static_cast<size_t>(b)], default_layout));
  }
  // A store that is not whole holds no macros worth keeping.
  if (!contents.store.empty()) {
    if (std::optional<MacroList> decoded = DecodeStore(contents.store, language)) image.macros = std::move(*decoded);
  }
  RebuildHeaders(image);
  return image;
}

std::optional<ProfileImage> Profiles::ExportKeyboard(DeviceCommands& commands, const LanguageTable* language) {
  const std::optional<KeyboardContents> contents = ReadKeyboardContents(commands);
  if (!contents) return std::nullopt;
  return DecodeKeyboardContents(*contents, language);
}

bool Profiles::ImageMatchesKeyboard(const ProfileImage& image, const KeyboardContents& contents) const {
  if (image.macros.size() > static_cast<size_t>(kMaxMacros)) return false;
  const MacroPositionOf position = [&image](uint32_t id) { return MacroPosition(image.macros, id); };
  for (int b = 0; b < kKeyMapBlocks; ++b) {
    if (EncodeKeyMap(image.GetBank(b), default_layout, position) != contents.key_maps[static_cast<size_t>(b)]) {
      return false;
    }
  }
  const StoreSizes sizes = StoreSize(image.macros);
  return (contents.store.size() == sizes.with_names && EncodeStore(image.macros, sizes.with_names, true) == contents.store) ||
         (contents.store.size() == sizes.without_names &&
          EncodeStore(image.macros, sizes.without_names, false) == contents.store);
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
