// The firmware update dialog in the test's own process, skinned from the
// shipped skin, with the keyboard and the backup faked. The dialog runs
// modally on the test's thread while a second thread plays the person: it
// finds the windows the dialog opens (the dialog, the system's file dialogs,
// message boxes), types into them and presses their buttons.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "editors/win32/update_dlg.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ini_store.h"
#include "resources/resource.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/process_driver.h"
#include "ui/win32/png_button.h"

namespace velkor::testing {
namespace {

constexpr DWORD kWaitMs = 15000;
constexpr int kMessageBoxText = 0xFFFF;

bool IsDialog(HWND window) {
  wchar_t cls[8] = {};
  return GetClassNameW(window, cls, 8) && std::wstring(cls) == L"#32770";
}

// The visible dialog of this process that passes the check.
HWND FindDialog(const std::function<bool(HWND)>& is) {
  std::vector<HWND> open;
  EnumWindows(
      [](HWND w, LPARAM data) -> BOOL {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(w) && IsDialog(w)) {
          reinterpret_cast<std::vector<HWND>*>(data)->push_back(w);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&open));
  for (HWND w : open) {
    if (is(w)) return w;
  }
  return nullptr;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &copied)) {
    return {};
  }
  return text;
}

// A message box holds its text, its buttons and its icon, nothing else.
bool IsMessageBox(HWND dialog) {
  if (!GetDlgItem(dialog, kMessageBoxText)) return false;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(c);
    if (id != kMessageBoxText && (id < IDOK || id > IDCONTINUE) && id != 0x14 && id != 0x440) return false;
  }
  return true;
}

// The file name field of the system's file dialogs: cmb13, or edt1.
HWND FileNameField(HWND dialog) {
  HWND combo = GetDlgItem(dialog, 0x47C);
  return combo ? combo : GetDlgItem(dialog, 0x480);
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Type(HWND field, const std::wstring& text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000, &ignored);
}

// The person in front of the dialog, on a thread of their own.
struct Person {
  static HWND Dialog() {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog([](HWND w) { return GetDlgItem(w, IDC_UPDATE_START); })); },
              kWaitMs);
    return found;
  }
  static void Click(int id) { Press(Dialog(), id); }
  // Presses OK on the next message box; its text, or "" when none came.
  static std::wstring ReadMessage() {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindDialog(IsMessageBox)) != nullptr; }, kWaitMs)) return L"";
    const std::wstring text = TextOf(GetDlgItem(box, kMessageBoxText));
    Press(box, IDOK);
    WaitUntil([&] { return !IsWindowVisible(box); }, kWaitMs);
    return text;
  }
  // Clicks the button and answers the file dialog it opens: the name typed
  // and OK pressed (an empty name presses Cancel), after going into the
  // folder the same way if one is given. False when it did not go.
  static bool ChooseFile(int button, const std::wstring& name, const std::wstring& folder = L"") {
    Click(button);
    HWND files = nullptr;
    if (!WaitUntil([&] { return (files = FindDialog(FileNameField)) != nullptr; }, kWaitMs)) return false;
    DWORD_PTR ignored = 0;
    if (!folder.empty()) {
      Type(FileNameField(files), folder);
      SendMessageTimeoutW(files, WM_COMMAND, IDOK, 0, SMTO_NORMAL, 5000, &ignored);
    }
    if (!name.empty()) Type(FileNameField(files), name);
    Press(files, name.empty() ? IDCANCEL : IDOK);
    return WaitUntil([&] { return !IsWindowVisible(files); }, kWaitMs);
  }
  // The list's text once it changed from what it was.
  static std::wstring ListTextAfter(const std::wstring& before) {
    HWND list = GetDlgItem(Dialog(), IDC_UPDATE_PATH);
    WaitUntil([&] { return TextOf(list) != before; }, kWaitMs);
    return TextOf(list);
  }
};

class UpdateDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    language_.Load();
    std::filesystem::create_directories(folder_.path() / "Package");
    SetCurrentDirectoryW(W(bin_));  // the test starts elsewhere than the Package folder
    UpdateDialogContext context{ini_, bin_ + u"Skins\\UpdateDlg.ini", bin_ + u"Skins\\", package_, &language_};
    context.enter_boot_mode = [this] { return ++boot_requests_, boot_mode_written_; };
    context.backup = [this](const std::u16string& path) { return backups_.push_back(path), backup_written_; };
    context.open_help = [this] { ++help_requests_; };
    dialog_ = std::make_unique<CVelkor_DlgUpdate>(nullptr, std::move(context));
  }
  void TearDown() override { SetCurrentDirectoryW(W(bin_)); }

  // Opens the dialog while the person acts on it; whatever they leave open
  // is closed afterwards. How the dialog ended.
  INT_PTR WithPerson(const std::function<void()>& script) {
    std::thread person([&] {
      script();
      WaitUntil(
          [] {
            HWND open = FindDialog([](HWND) { return true; });
            if (open) Press(open, IsMessageBox(open) ? IDOK : IDCANCEL);
            return open == nullptr;
          },
          kWaitMs);
    });
    const INT_PTR result = dialog_->Open();
    person.join();
    return result;
  }

  std::wstring Text(LangKey key) { return ToWide(language_.Text(key)); }
  std::wstring MakeFile(const std::string& name, const std::string& bytes = "not a program") {
    std::ofstream(folder_.path() / "Package" / name, std::ios::binary) << bytes;
    return (folder_.path() / "Package" / name).wstring();
  }

  Win32IniStore ini_;
  const std::u16string bin_ = FolderOf(ModulePath());
  LanguageTable language_{ini_, bin_ + u"Skins\\language.ini"};
  TempDir folder_;
  const std::u16string package_ = (folder_.path() / "Package").u16string();
  std::unique_ptr<CVelkor_DlgUpdate> dialog_;
  int boot_requests_ = 0;
  bool boot_mode_written_ = true;
  std::vector<std::u16string> backups_;
  bool backup_written_ = true;
  int help_requests_ = 0;

 private:
  static std::u16string FolderOf(const std::u16string& path) { return path.substr(0, path.find_last_of(u"\\/") + 1); }
};

TEST_F(UpdateDialogTest, TheChosenUpdaterShowsInTheListAndTheProgramGoesOnFromThePackageFolder) {
  const std::wstring updater = MakeFile("up.exe");
  std::ofstream(folder_.path() / "elsewhere.exe") << "not a program";
  std::wstring shown, shown_elsewhere, after_cancel;
  wchar_t folder_after[MAX_PATH] = {};
  bool visible = false;
  WithPerson([&] {
    // Only the name: the file dialog starts in the Package folder.
    EXPECT_TRUE(Person::ChooseFile(IDC_UPDATE_OPEN, L"up.exe"));
    shown = Person::ListTextAfter(L"");
    visible = IsWindowVisible(GetDlgItem(Person::Dialog(), IDC_UPDATE_PATH));
    // Wherever the file dialog went, the program goes back to the Package folder.
    EXPECT_TRUE(Person::ChooseFile(IDC_UPDATE_OPEN, L"elsewhere.exe", folder_.path().wstring()));
    shown_elsewhere = Person::ListTextAfter(shown);
    GetCurrentDirectoryW(MAX_PATH, folder_after);
    EXPECT_TRUE(Person::ChooseFile(IDC_UPDATE_OPEN, L""));
    after_cancel = Person::ListTextAfter(shown_elsewhere);
  });
  EXPECT_TRUE(visible) << "the template hides the list";
  EXPECT_EQ(shown, updater);
  EXPECT_EQ(shown_elsewhere, folder_.path().wstring() + L"\\elsewhere.exe");
  EXPECT_EQ(CompareStringOrdinal(folder_after, -1, W(package_), -1, TRUE), CSTR_EQUAL) << folder_after;
  EXPECT_EQ(after_cancel, L"") << "a cancelled file dialog leaves nothing chosen";
  EXPECT_TRUE(dialog_->chosen_path().empty());
  EXPECT_EQ(boot_requests_, 0);
}

TEST_F(UpdateDialogTest, UpdateStopsAtTheFirstStepThatFails) {
  const std::wstring updater = MakeFile("up.exe");
  std::vector<std::wstring> messages;
  int boot_requests_seen = -1;
  std::wstring list_after_boot_failure, list_after_start_failure;
  WithPerson([&] {
    Person::Click(IDC_UPDATE_START);  // nothing chosen
    messages.push_back(Person::ReadMessage());
    EXPECT_TRUE(Person::ChooseFile(IDC_UPDATE_OPEN, updater));
    Person::ListTextAfter(L"");
    DeleteFileW(updater.c_str());
    Person::Click(IDC_UPDATE_START);  // deleted after choosing
    messages.push_back(Person::ReadMessage());
    CreateDirectoryW(updater.c_str(), nullptr);
    Person::Click(IDC_UPDATE_START);  // a folder is no updater
    messages.push_back(Person::ReadMessage());
    boot_requests_seen = boot_requests_;
    RemoveDirectoryW(updater.c_str());
    MakeFile("up.exe");  // not a program: the shell cannot start it
    boot_mode_written_ = false;
    Person::Click(IDC_UPDATE_START);
    messages.push_back(Person::ReadMessage());
    list_after_boot_failure = Person::ListTextAfter(L"");
    boot_mode_written_ = true;
    Person::Click(IDC_UPDATE_START);
    messages.push_back(Person::ReadMessage());
    list_after_start_failure = Person::ListTextAfter(updater);
    Person::Click(IDC_UPDATE_START);
    messages.push_back(Person::ReadMessage());
  });
  const std::wstring no_file = Text(LangKey::MAIN_UPDATE_ERROR_TEXT);
  EXPECT_EQ(messages, (std::vector<std::wstring>{no_file, no_file, no_file, Text(LangKey::MAIN_BOOT_ERROR_TEXT),
                                                 Text(LangKey::MAIN_SHELL_ERROR_BOOT_TEXT), no_file}));
  EXPECT_EQ(boot_requests_seen, 0) << "without an updater the keyboard is never asked";
  EXPECT_EQ(list_after_boot_failure, updater) << "kept for another try";
  EXPECT_EQ(list_after_start_failure, L"") << "forgotten once tried";
  EXPECT_EQ(boot_requests_, 2);
}

TEST_F(UpdateDialogTest, AStartedUpdaterClosesTheDialogAndRunsInThePackageFolder) {
  const std::wstring updater = (folder_.path() / "Package" / "marker_updater.exe").wstring();
  ASSERT_TRUE(CopyFileW((ToWide(bin_) + L"marker_updater.exe").c_str(), updater.c_str(), FALSE));
  const INT_PTR ended = WithPerson([&] {
    EXPECT_TRUE(Person::ChooseFile(IDC_UPDATE_OPEN, updater));
    Person::ListTextAfter(L"");
    Person::Click(IDC_UPDATE_START);
    EXPECT_TRUE(WaitUntil([] { return !FindDialog([](HWND) { return true; }); }, kWaitMs)) << "nothing to answer";
  });
  EXPECT_EQ(ended, IDCANCEL);
  EXPECT_EQ(boot_requests_, 1);
  EXPECT_TRUE(dialog_->chosen_path().empty());
  const std::filesystem::path marker = folder_.path() / "Package" / "marker_updater.ran";
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(marker); }, kWaitMs));
  std::ifstream in(marker, std::ios::binary);
  const std::string ran((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(CompareStringOrdinal(ToWide(Utf8ToUtf16(ran)).c_str(), -1, (ToWide(package_) + L"\n").c_str(), -1, TRUE),
            CSTR_EQUAL)
      << "started in the Package folder, with no parameters: " << ran;
}

TEST_F(UpdateDialogTest, TheChoiceOutlivesAnOpeningButNotCancelUpdate) {
  const std::wstring updater = MakeFile("up.exe");
  WithPerson([&] {
    EXPECT_TRUE(Person::ChooseFile(IDC_UPDATE_OPEN, updater));
    Person::ListTextAfter(L"");
    Person::Click(IDCANCEL);  // Escape
  });
  EXPECT_EQ(dialog_->chosen_path(), FromWide(updater));
  EXPECT_FALSE(dialog_->IsOpen());

  std::wstring shown_again;
  bool skinned_again = false;
  const INT_PTR ended = WithPerson([&] {
    shown_again = Person::ListTextAfter(L"");
    skinned_again = CPngButton::FromHandle(GetDlgItem(Person::Dialog(), IDC_UPDATE_START)) != nullptr;
    SendMessageW(Person::Dialog(), WM_HELP, 0, 0);
    Person::Click(IDC_UPDATE_CANCEL);
  });
  EXPECT_EQ(shown_again, updater);
  EXPECT_TRUE(skinned_again) << "the buttons are skinned on every opening";
  EXPECT_EQ(ended, IDCANCEL);
  EXPECT_TRUE(dialog_->chosen_path().empty());
  EXPECT_EQ(help_requests_, 1);

  // The program's end closes an open dialog.
  static CVelkor_DlgUpdate* ending;
  ending = dialog_.get();
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    ending->Cancel();
  });
  EXPECT_EQ(dialog_->Open(), IDCANCEL);
  KillTimer(nullptr, timer);
  EXPECT_EQ(boot_requests_, 0);
}

TEST_F(UpdateDialogTest, BackupWritesTheChosenFileAndSaysWhetherItWorked) {
  const std::wstring target = folder_.path().wstring() + L"\\backup";
  std::vector<std::wstring> messages;
  WithPerson([&] {
    EXPECT_TRUE(Person::ChooseFile(IDC_UPDATE_BACKUP, target));
    messages.push_back(Person::ReadMessage());
    backup_written_ = false;
    EXPECT_TRUE(Person::ChooseFile(IDC_UPDATE_BACKUP, target + L"2"));
    messages.push_back(Person::ReadMessage());
    EXPECT_TRUE(Person::ChooseFile(IDC_UPDATE_BACKUP, L""));
  });
  EXPECT_EQ(messages, (std::vector<std::wstring>{Text(LangKey::MAIN_UPDATE_BACKUP_OK),
                                                 Text(LangKey::MAIN_UPDATE_BACKUP_NG)}));
  EXPECT_EQ(backups_, (std::vector<std::u16string>{FromWide(target + L".kpx"), FromWide(target + L"2.kpx")}))
      << "a cancelled file dialog backs nothing up";
  EXPECT_EQ(boot_requests_, 0);
}

}  // namespace
}  // namespace velkor::testing
