#include "app/win32/instance_system.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/startup_facts.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/wide.h"

namespace velkor::testing {
namespace {

std::vector<std::pair<UINT, WPARAM>> g_received;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kMsgShowWindow || message == kMsgKillProgram) {
    g_received.emplace_back(message, wparam);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND MakeWindow(bool marked) {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelkorInstanceTestWindow";
    return RegisterClassW(&wc);
  }();
  HWND w = CreateWindowExW(0, MAKEINTATOM(atom), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (marked) SetWindowLongPtrW(w, GWLP_USERDATA, kMainWindowMarker);
  return w;
}

TEST(KnownFolders, TheDocumentsFolderIsAPathOfTheUser) {
  const std::u16string documents = DocumentsFolder();
  ASSERT_FALSE(documents.empty());
  EXPECT_EQ(documents[1], u':');  // a drive path
}

TEST(FindProgramProcess, FindsThisProcessUnlessToldToSkipIt) {
  const std::u16string own_name = BuildStartupFacts(ModulePath()).program_file_name;
  std::u16string shouted = own_name;
  for (auto& c : shouted) c = (c >= u'a' && c <= u'z') ? c - 32 : c;
  EXPECT_EQ(FindProgramProcess(shouted, false), GetCurrentProcessId());
  EXPECT_EQ(FindProgramProcess(own_name, true), 0u);
  EXPECT_EQ(FindProgramProcess(u"no-such-program.exe", false), 0u);
}

TEST(NotifyProgramWindows, SendsToTheMarkedWindowOnly) {
  g_received.clear();
  HWND plain = MakeWindow(false);
  HWND marked = MakeWindow(true);
  EXPECT_TRUE(NotifyProgramWindows(GetCurrentProcessId(), WindowAction::kShow));
  EXPECT_TRUE(NotifyProgramWindows(GetCurrentProcessId(), WindowAction::kKill));
  ASSERT_EQ(g_received.size(), 2u);
  EXPECT_EQ(g_received[0], std::make_pair(UINT{0x5350}, WPARAM{0x4F50454E}));
  EXPECT_EQ(g_received[1], std::make_pair(UINT{0x4D4B}, WPARAM{0x4C4C494B}));

  DestroyWindow(marked);
  g_received.clear();
  EXPECT_TRUE(NotifyProgramWindows(GetCurrentProcessId(), WindowAction::kShow));  // met, not acted
  EXPECT_TRUE(g_received.empty());
  DestroyWindow(plain);
  EXPECT_FALSE(NotifyProgramWindows(0xFFFFFFF0u, WindowAction::kShow));
}

}  // namespace
}  // namespace velkor::testing
