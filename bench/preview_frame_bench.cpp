// What one frame of the lighting preview costs the window's thread end to
// end: the engine's frame, the key buttons' tints set, and every button
// whose tint changed painted again, on the skinned main window shown on the
// screen. Prints figures per effect; judges nothing. A frame comes every 50 ms.
//
//   build/windows/bin/velkor_preview_frame_bench.exe [frames] [--draw-only]   (under Wine, with a display)
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/win32/keyboard_panel.h"
#include "model/lighting_preview.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ini_store.h"
#include "ui/skin_bindings.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/skinned_controls.h"

using namespace velkor;
using Clock = std::chrono::steady_clock;

namespace {

double Us(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// Lets the window handle what is waiting (paints, tooltips) between frames.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  std::u16string folder = ModulePath();
  folder = folder.substr(0, folder.find_last_of(u"\\/") + 1) + u"Skins";
  Win32IniStore ini;
  const SkinWindowPlan& plan = SkinPlanOf(SkinWindow::kMain);
  CBaseDialog dialog(static_cast<UINT>(plan.template_id), nullptr, ini, folder + u"\\" + std::u16string(plan.ini_name),
                     folder);
  dialog.Create();
  SkinnedControls skinned(plan);
  skinned.Apply(dialog, nullptr);
  CKeyboardPanel panel(dialog, skinned, [] {});
  panel.Attach();
  ShowWindow(dialog.hwnd(), SW_SHOWNA);
  UpdateWindow(dialog.hwnd());
  Pump();

  if (argc > 2 && std::string(argv[2]) == "--draw-only") {
    // The key buttons' drawing alone, into a picture: what the window's own
    // painting adds on top is the rest of a frame.
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 200, 200);
    HGDIOBJ old = SelectObject(mem, bmp);
    for (int round = 0; round < 5; ++round) {
      const auto t0 = Clock::now();
      int n = 0;
      for (const LitKey& key : LitKeys()) {
        if (CPngButton* b = skinned.Button(key.control)) {
          b->SetFramed(0x0000FF, 50, round % 2 == 0);
          RECT client{};
          GetClientRect(b->hwnd(), &client);
          DRAWITEMSTRUCT item{ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, 0, b->hwnd(), mem, client, 0};
          b->DrawItem(item);
          ++n;
        }
      }
      std::printf("draw only, %d buttons, framed %d: %.0fus\n", n, round % 2 == 0, Us(Clock::now() - t0));
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    dialog.Destroy();
    return 0;
  }
  std::printf("%-7s %-12s %10s %10s %10s\n", "effect", "colour", "median", "p99", "max");
  LightingPreview preview;
  FixedSeedPreviewRandom random(1);
  PreviewFrame frame;
  for (int effect : {3, 4, 5, 6, 10, 11, 12, 13, 14, 15, 16, 18, 1}) {
    for (bool multicolour : {false, true}) {
      LightingState state;
      state.effect = effect;
      state.colour = 0x0000FF;
      state.multicolour = multicolour;
      state.direction = 0xFF;
      state.panel_switch = true;
      preview.MarkForReinitialisation();
      std::vector<double> each;
      for (int i = 0; i < frames; ++i) {
        const auto t0 = Clock::now();
        preview.Tick(state, random, frame);
        panel.ShowPreviewFrame(frame);
        RedrawWindow(dialog.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        each.push_back(Us(Clock::now() - t0));
        Pump();
      }
      std::sort(each.begin(), each.end());
      std::printf("%-7d %-12s %8.0fus %8.0fus %8.0fus\n", effect, multicolour ? "multicolour" : "plain",
                  each[each.size() / 2], each[each.size() * 99 / 100], each.back());
    }
  }
  std::printf("one frame: the engine, the tints set and the changed key buttons painted, %d frames each;\n"
              "frames come every 50000us.\n",
              frames);
  dialog.Destroy();
  return 0;
}
