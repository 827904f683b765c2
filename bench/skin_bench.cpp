// What skinning costs a window at start-up: decoding its background and
// mask, building its shape, rendering its state sheets, and placing every
// control. Prints figures; judges nothing.
//
//   build/windows/bin/velkor_skin_bench.exe under Wine (uses the Skins folder beside it)
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/text.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ini_store.h"
#include "ui/skin_bindings.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/skin_images.h"
#include "ui/win32/skinned_controls.h"

using namespace velkor;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

template <typename F>
double Median(int rounds, F step) {
  std::vector<double> each;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = Clock::now();
    step();
    each.push_back(Ms(Clock::now() - t0));
  }
  std::sort(each.begin(), each.end());
  return each[each.size() / 2];
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  std::u16string folder = ModulePath();
  folder = folder.substr(0, folder.find_last_of(u"\\/") + 1) + u"Skins";
  Win32IniStore ini;
  constexpr int kRounds = 15;

  std::printf("%-10s %10s %10s %12s %12s %12s %10s\n", "window", "pictures", "shape", "sheets(1st)", "controls",
              "whole", "bindings");
  for (SkinWindow window : AllSkinWindows()) {
    const SkinWindowPlan& plan = SkinPlanOf(window);
    const SkinFile skin(ini, folder + u"\\" + std::u16string(plan.ini_name), folder);
    UniqueBitmap mask;
    const double pictures = Median(kRounds, [&] {
      UniqueBitmap background = LoadSkinPicture(skin.BackgroundPath());
      mask = LoadSkinPicture(skin.MaskPath());
    });
    const double shape = Median(kRounds, [&] { UniqueRegion region = RegionFromMask(mask.get()); });
    BITMAP size{};
    GetObjectW(mask.get(), sizeof(size), &size);
    const auto sheets_start = Clock::now();
    for (std::u16string_view name : plan.sheet_files) {
      SheetCache::Instance().Get(plan.ini_name, skin.FileInFolder(name), size.bmWidth, size.bmHeight);
    }
    const double sheets = Ms(Clock::now() - sheets_start);
    // A whole window, skinned as the program does it (sheets already made).
    double controls_only = 0;
    const double whole = Median(kRounds, [&] {
      CBaseDialog dialog(static_cast<UINT>(plan.template_id), nullptr, ini,
                         folder + u"\\" + std::u16string(plan.ini_name), folder);
      dialog.Create();
      SkinnedControls skinned(plan);
      const auto t0 = Clock::now();
      skinned.Apply(dialog, nullptr);
      controls_only = Ms(Clock::now() - t0);
      dialog.Destroy();
    });
    std::printf("%-10s %8.2fms %8.2fms %10.2fms %10.2fms %10.2fms %10zu\n",
                Utf16ToUtf8(plan.ini_name).c_str(), pictures, shape, sheets, controls_only, whole,
                plan.bindings.size());
  }
  std::printf("pictures: background and mask decoded; shape: window region from the mask;\n"
              "sheets: every state sheet rendered once (the run keeps them); controls: every binding placed;\n"
              "whole: create the dialog, apply the skin and place every control.\n");
  return 0;
}
