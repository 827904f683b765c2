// The firmware update dialog through the whole program: opened by another
// program's command 32780, it puts the emulated keyboard into its boot mode
// and starts the updater a person picked, and backs the settings up to a
// profile file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/startup_facts.h"
#include "model/profile_image.h"
#include "platform/win32/wide.h"
#include "resources/resource.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/app_driver.h"

namespace velkor::testing {
namespace {

constexpr DWORD kWaitMs = 15000;

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A folder nobody may write into. The tests run under Wine as root, for whom
// neither Unix permissions nor the read-only attribute keep a file out; the
// kernel's own file systems, seen through drive Z:, take no new file.
std::wstring ReadOnlyFolder() {
  for (const wchar_t* folder : {L"Z:\\sys", L"Z:\\proc"}) {
    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    const std::wstring probe = std::wstring(folder) + L"\\velkor-probe.tmp";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return folder;
    CloseHandle(file);
  }
  return {};
}

class UpdateProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EndProgramsAndResetKeyboard();
    ASSERT_TRUE(driver_.Start(L"/Start"));
    ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon == IDI_KEYBOARD; }, kWaitMs));
    ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlChecked(IDC_MAIN_PROFILE1); }, kWaitMs));
  }
  void TearDown() override {
    driver_.End(5000);
    TerminateAll(L"Tassel.exe");
    // Back from its boot mode for the tests after this one.
    Kbemu(L"attach");
  }

  HWND UpdateDialog() { return driver_.FindDialogWithControl(IDC_UPDATE_START); }
  HWND OpenUpdateDialog() {
    HWND dialog = nullptr;
    driver_.PostCommand(ID_FIRMWARE_UPDATE);
    driver_.WaitFor([&] { return (dialog = UpdateDialog()) != nullptr; }, kWaitMs);
    return dialog;
  }
  // Presses a button of the update dialog that opens a file dialog, types
  // the name into that (its field cmb13, or edt1) and presses its OK.
  bool ChooseFile(HWND dialog, int button, const std::wstring& name) {
    Press(dialog, button);
    return driver_.AnswerFileDialog(name, kWaitMs);
  }
  std::wstring MessageAnswered() {
    std::wstring text;
    if (!driver_.WaitMessageBox(kWaitMs, &text)) return L"(no message)";
    driver_.AnswerMessageBox(IDOK);
    return text;
  }

  AppDriver driver_;
  TempDir folder_;
};

TEST_F(UpdateProcessTest, UpdatePutsTheKeyboardIntoBootModeAndStartsTheChosenUpdater) {
  const std::wstring updater = (folder_.path() / "marker_updater.exe").wstring();
  ASSERT_TRUE(CopyFileW((ToWide(FolderOf(ModulePath())) + L"marker_updater.exe").c_str(), updater.c_str(), FALSE));
  HWND dialog = OpenUpdateDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(ChooseFile(dialog, IDC_UPDATE_OPEN, updater));
  HWND list = GetDlgItem(dialog, IDC_UPDATE_PATH);
  ASSERT_TRUE(driver_.WaitFor([&] { return WindowText(list) == updater; }, kWaitMs)) << "shown: " << WindowText(list).size();
  EXPECT_TRUE(IsWindowVisible(list));

  KbemuClearLog();
  Press(dialog, IDC_UPDATE_START);
  ASSERT_TRUE(driver_.WaitFor([&] { return UpdateDialog() == nullptr; }, kWaitMs)) << "the dialog closes";
  EXPECT_EQ(driver_.FindMessageBox(), nullptr);
  const std::filesystem::path marker = folder_.path() / "marker_updater.ran";
  EXPECT_TRUE(driver_.WaitFor([&] { return std::filesystem::exists(marker); }, kWaitMs)) << "the updater ran";

  std::vector<uint8_t> boot_mode(64, 0);
  boot_mode[0] = 0x04;
  boot_mode[3] = boot_mode[4] = 0xEE;
  std::vector<KbemuRequest> sent;
  for (const KbemuRequest& r : KbemuRequests()) {
    if (r.command() == 0xEE) sent.push_back(r);
  }
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].bytes, boot_mode);
  EXPECT_NE(Kbemu(L"status").find("boot mode: yes"), std::string::npos);
}

TEST_F(UpdateProcessTest, BackupWritesAProfileFileWhereItCanAndSaysSo) {
  const std::wstring read_only = ReadOnlyFolder();
  ASSERT_FALSE(read_only.empty()) << "no folder here refuses a new file";
  HWND dialog = OpenUpdateDialog();
  ASSERT_NE(dialog, nullptr);

  ASSERT_TRUE(ChooseFile(dialog, IDC_UPDATE_BACKUP, read_only + L"\\settings"));
  EXPECT_EQ(MessageAnswered(), L"Backup failed, please back up again!");

  const std::filesystem::path written = folder_.path() / "settings.kpx";
  ASSERT_TRUE(ChooseFile(dialog, IDC_UPDATE_BACKUP, (folder_.path() / "settings").wstring()));
  EXPECT_EQ(MessageAnswered(), L"Backup succeeded!");
  ASSERT_TRUE(std::filesystem::exists(written));
  EXPECT_EQ(CheckFile(written.u16string()).result, 1);

  // The keyboard was left alone, and cancel update closes the dialog.
  EXPECT_EQ(Kbemu(L"status").find("boot mode: yes"), std::string::npos);
  Press(dialog, IDC_UPDATE_CANCEL);
  EXPECT_TRUE(driver_.WaitFor([&] { return UpdateDialog() == nullptr; }, kWaitMs));
}

}  // namespace
}  // namespace velkor::testing
