// What a key button shows of its assignment: the tip text and whether it
// looks assigned; and the walks over the buttons that refresh or clear them.
// The keyboard panel implements KeyButtonView.
#pragma once

#include <functional>
#include <string>

#include "model/key_assignment.h"
#include "model/profile_image.h"
#include "ui/language_table.h"

namespace velkor {

struct KeySummary {
  std::u16string text;    // at most 259 characters
  bool assigned = false;  // the assigned look (kind other than 0)
};

// head: the key's name, or "G%d" for a G button. macro_name: the name of the
// macro with an id in the working list (empty when none).
KeySummary SummaryText(std::u16string_view head, const KeyAssignment& entry, const LanguageTable* language,
                       const std::function<std::u16string(uint32_t id)>& macro_name);

class KeyButtonView {
 public:
  virtual ~KeyButtonView() = default;
  // control: the button's control id (a G button's or a panel key's).
  virtual void ShowAssignment(int control, const KeySummary& summary) = 0;
  virtual void EnableApply() = 0;
};

// The 9 G buttons (the active set's slots) and then the 104 panel keys in
// panel order, each shown with the bank's entry.
void RefreshKeyButtons(const ProfileImage& image, int bank, int g_set, const LanguageTable* language,
                       KeyButtonView& view);

// Zeroes the entries of the 9 G buttons of the active set and of the 104
// panel keys in the bank, shows each as unassigned with its name, then
// enables Apply. The caller holds the working lock.
void ClearVisibleAssignments(ProfileImage& image, int bank, int g_set, const LanguageTable* language,
                             KeyButtonView& view);

}  // namespace velkor
