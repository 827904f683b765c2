#include "editors/win32/key_editor.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/text.h"
#include "platform/win32/wide.h"
#include "resources/resource.h"
#include "ui/win32/png_button.h"
#include "ui/win32/skin_look.h"

namespace velkor {

namespace {

// The one editor whose hooks are installed; only one runs at a time.
Velkor_DlgComposite* hooked_editor = nullptr;

constexpr COLORREF kLabelColour = RGB(0xE4, 0xE4, 0xE4);
constexpr COLORREF kWarningColour = RGB(0xFF, 0x6A, 0x4D);

// The macro page's controls, shown only on that page.
constexpr int kMacroPageControls[] = {
    IDC_EDITOR_MACRO_ADD,      IDC_EDITOR_MACRO_DELETE,  IDC_EDITOR_ACTION_LIST,   IDC_EDITOR_RECORD,
    IDC_EDITOR_ACTION_DELETE,  IDC_EDITOR_ACTION_CLEAR,  IDC_EDITOR_ACTION_TOP,    IDC_EDITOR_ACTION_UP,
    IDC_EDITOR_ACTION_DOWN,    IDC_EDITOR_ACTION_BOTTOM, IDC_EDITOR_RECORD_DELAY,  IDC_EDITOR_CYCLES,
    IDC_EDITOR_MACRO_LIST,     IDC_EDITOR_CYCLES_LABEL,  IDC_EDITOR_RECORD_DELAY_LABEL,
    IDC_EDITOR_MACRO_NAME_LABEL, IDC_EDITOR_MEMORY};
constexpr int kActionButtons[] = {IDC_EDITOR_RECORD,     IDC_EDITOR_ACTION_DELETE, IDC_EDITOR_ACTION_CLEAR,
                                  IDC_EDITOR_ACTION_TOP, IDC_EDITOR_ACTION_UP,     IDC_EDITOR_ACTION_DOWN,
                                  IDC_EDITOR_ACTION_BOTTOM};
// The labels drawn straight onto the skin.
constexpr int kLabels[] = {IDC_EDITOR_CYCLES_LABEL, IDC_EDITOR_RECORD_DELAY_LABEL, IDC_EDITOR_HEADING,
                           IDC_EDITOR_MACRO_NAME_LABEL, IDC_EDITOR_KEY_PROMPT, IDC_EDITOR_MEDIA_PROMPT,
                           IDC_EDITOR_FUNCTION_PROMPT, IDC_EDITOR_MEMORY};
// The buttons that take the second macro images in macro-edit mode.
constexpr int kNotInMacroEdit[] = {IDC_EDITOR_PAGE_KEY, IDC_EDITOR_PAGE_MEDIA, IDC_EDITOR_PAGE_FUNCTION,
                                   IDC_EDITOR_CLEAR};
constexpr int kPageButtons[] = {IDC_EDITOR_PAGE_KEY, IDC_EDITOR_PAGE_MACRO, IDC_EDITOR_PAGE_MEDIA,
                                IDC_EDITOR_PAGE_FUNCTION};

// The window's plan for one opening: the second macro images only in
// macro-edit mode.
SkinWindowPlan PlanFor(bool macro_edit) {
  SkinWindowPlan plan = SkinPlanOf(SkinWindow::kComposite);
  if (!macro_edit) {
    constexpr uint8_t kFirstMacro2Sheet = 7;
    std::erase_if(plan.bindings, [](const SkinBinding& b) {
      return b.kind == BindingKind::kImageButton && b.sheets[0] == kFirstMacro2Sheet;
    });
  }
  return plan;
}

UniqueFont MakeFont(HWND window, const wchar_t* face, int points) {
  HDC dc = GetDC(window);
  const int height = -MulDiv(points, dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96, 72);
  if (dc) ReleaseDC(window, dc);
  return UniqueFont(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

std::vector<std::wstring> RowTexts(const MacroAction& action, const LanguageTable* language) {
  return {ToWide(KeyNameOf(action.key, language)), ToWide(DirectionText(action.direction)),
          std::to_wstring(action.delay_ms)};
}

}  // namespace

Velkor_DlgComposite::Velkor_DlgComposite(HWND parent, KeyEditorContext context)
    : CBaseDialog(IDD_KEY_EDITOR, parent, context.ini, context.skin_file, context.skin_folder),
      context_(std::move(context)),
      plan_(PlanFor(false)) {}

Velkor_DlgComposite::~Velkor_DlgComposite() {
  RemoveCaptureHooks();
  RemoveRecordHooks();
}

std::u16string Velkor_DlgComposite::Text(LangKey key) const {
  return std::u16string(TextOrBuiltIn(context_.language, key));
}

std::u16string Velkor_DlgComposite::KeyText(std::u16string_view key) const {
  return KeyTextOrEmpty(context_.language, key);
}

INT_PTR Velkor_DlgComposite::Open(int bank, int slot, bool macro_edit, int key_control, const RECT& key_on_screen) {
  if (IsOpen()) return IDCANCEL;
  key_control_ = key_control;
  bank_ = bank;
  slot_ = slot;
  macro_edit_ = macro_edit;
  key_rect_ = key_on_screen;
  plan_ = PlanFor(macro_edit);
  return DoModal();
}

BOOL Velkor_DlgComposite::OnInitDialog() {
  CBaseDialog::OnInitDialog();
  // 1. Open; the action list's columns; the sheets (a missing one ends the
  // program) and every control in its place.
  open_.store(1);
  closed_ = false;
  page_ = std::make_unique<MacroPage>(static_cast<MacroPageView&>(*this), static_cast<MacroPageHost&>(*this),
                                      context_.language, new_macro_counter_);
  SetupActionList();
  controls_ = std::make_unique<SkinnedControls>(plan_);
  controls_->Apply(*this, [this](std::u16string_view key) { return KeyText(key); });
  PlaceMemoryLabel();
  PlaceApplyButton();
  // 3. Fonts, the lists, the labels.
  SetupControls();
  // 2, 4. The record-delay option, the cycles box and the macro box.
  filling_ = true;
  page_->Load(context_.working_lock, context_.working, context_.macro_capacity ? context_.macro_capacity() : 0);
  filling_ = false;
  SendMessageW(Item(IDC_EDITOR_RECORD_DELAY), BM_SETCHECK, page_->record_delay() ? BST_CHECKED : BST_UNCHECKED, 0);
  // 5. The entry as it stands.
  KeyAssignment entry;
  {
    std::lock_guard lock(context_.working_lock);
    entry = context_.working.Entry(bank_, slot_);
  }
  rules_.Open(slot_, macro_edit_, entry);
  // 6. Macro-edit mode: only the macro page.
  if (macro_edit_) {
    for (int id : kNotInMacroEdit) EnableWindow(Item(id), FALSE);
    for (int id : {IDC_EDITOR_KEY_PROMPT, IDC_EDITOR_MEDIA_PROMPT, IDC_EDITOR_FUNCTION_PROMPT}) {
      ShowWindow(Item(id), SW_HIDE);
    }
  }
  // 7. The first page.
  Display(rules_.InitialDisplay());
  SetModified(false);
  // 8. Beside the key; the texts.
  RECT window{};
  GetWindowRect(hwnd(), &window);
  const PlacementPoint at = PlaceBesideKey({key_rect_.left, key_rect_.top, key_rect_.right, key_rect_.bottom},
                                           window.right - window.left, window.bottom - window.top,
                                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  SetWindowPos(hwnd(), HWND_NOTOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  CompositeTexts composite;
  if (context_.language) context_.language->ReadCompositeTexts(composite);
  const auto C = [&composite](CompositeText t) { return std::u16string(composite.Text(t)); };
  const std::pair<int, std::u16string> texts[] = {
      {IDC_EDITOR_PAGE_KEY, macro_edit_ ? u"" : C(CompositeText::SINGLE_KEY)},
      {IDC_EDITOR_PAGE_MACRO, C(CompositeText::MACRO_SETTING)},
      {IDC_EDITOR_PAGE_MEDIA, macro_edit_ ? u"" : C(CompositeText::MULTI_MEDIA)},
      {IDC_EDITOR_PAGE_FUNCTION, macro_edit_ ? u"" : C(CompositeText::FUNCTION_KEY)},
      {IDC_EDITOR_HEADING, C(macro_edit_ ? CompositeText::MACRO_EDIT_TISHI : CompositeText::KEY_SETTING_TISHI)},
      {IDC_EDITOR_KEY_PROMPT, C(CompositeText::SINGLE_STATIC)},
      {IDC_EDITOR_MEDIA_PROMPT, C(CompositeText::MEDIA_EDIT_TISHI)},
      {IDC_EDITOR_FUNCTION_PROMPT, C(CompositeText::FUNCTION_TISHI)},
      {IDOK, C(CompositeText::MACRO_OK)},
      {IDCANCEL, C(CompositeText::MACRO_CANCLE)},
      {IDC_EDITOR_CYCLES_LABEL, C(CompositeText::MACRO_CYCLES)},
      {IDC_EDITOR_RECORD_DELAY_LABEL, C(CompositeText::RECORD_DELAY)},
      {IDC_EDITOR_MACRO_NAME_LABEL, C(CompositeText::MACRO_NAME_SETTING)},
      {IDC_EDITOR_RECORD, C(CompositeText::A_RECORD)},
  };
  for (const auto& [id, text] : texts) SetDlgItemTextW(hwnd(), id, W(text));
  // What the window edits, for tools that look at it from outside.
  SetPropW(hwnd(), L"VelkorEditorSlot", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(slot_ + 1)));
  SetPropW(hwnd(), L"VelkorEditorControl", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(key_control_)));
  SetPropW(hwnd(), L"VelkorEditorMacroKey", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(macro_edit_)));
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  return TRUE;
}

void Velkor_DlgComposite::SetupControls() {
  key_font_ = MakeFont(hwnd(), L"Verdana", 18);
  list_font_ = MakeFont(hwnd(), L"Verdana", 12);
  SendMessageW(Item(IDC_EDITOR_KEY_BOX), WM_SETFONT, reinterpret_cast<WPARAM>(key_font_.get()), TRUE);
  for (int id : {IDC_EDITOR_MEDIA_LIST, IDC_EDITOR_FUNCTION_LIST, IDC_EDITOR_MACRO_LIST}) {
    SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(list_font_.get()), TRUE);
  }
  HWND media = Item(IDC_EDITOR_MEDIA_LIST);
  SendMessageW(media, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kMediaCount; ++i) {
    SendMessageW(media, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(MediaName(i, context_.language))));
  }
  SendMessageW(media, CB_SETCURSEL, 0, 0);
  HWND functions = Item(IDC_EDITOR_FUNCTION_LIST);
  SendMessageW(functions, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kFunctionCount; ++i) {
    SendMessageW(functions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(FunctionName(i, context_.language))));
  }
  SendMessageW(functions, CB_SETCURSEL, 0, 0);
  // What the record holds of a name, and no more.
  SendMessageW(Item(IDC_EDITOR_MACRO_LIST), CB_LIMITTEXT, kMacroNameUnits - 1, 0);
  SendMessageW(Item(IDC_EDITOR_CYCLES), EM_SETLIMITTEXT, 3, 0);
  labels_.clear();
  memory_label_ = nullptr;
  for (int id : kLabels) {
    auto label = std::make_unique<ColorStatic>();
    if (!label->Attach(hwnd(), id)) continue;
    label->SetTextColour(kLabelColour);
    if (id == IDC_EDITOR_MEMORY) {
      label->SetFontHeight(11);
      memory_label_ = label.get();
    }
    labels_.push_back(std::move(label));
  }
}

void Velkor_DlgComposite::SetupActionList() {
  HWND list = Item(IDC_EDITOR_ACTION_LIST);
  if (actions_.hwnd() != list) {
    actions_.Attach(list);
    actions_.AddColumn(ToWide(Text(LangKey::MACRO_KEYS_TISHI)), 70);
    actions_.AddColumn(ToWide(Text(LangKey::MACRO_ACTION_TISHI)), 60);
    actions_.AddColumn(ToWide(Text(LangKey::MACRO_DELAY_MS)), 70);
    actions_.AddExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    actions_.SetGreyColumns({0, 1});
    actions_.EnableCellEditing(
        [this](int row, int column) {
          CReportCtrl::CellEditorPlan plan;
          if (!page_) return plan;
          const CellEdit edit = page_->BeginCellEdit(row, column);
          switch (edit.kind) {
            case CellEdit::Kind::kNone:
              break;
            case CellEdit::Kind::kKeyList:
              plan.kind = CReportCtrl::CellEditorPlan::Kind::kDropList;
              for (int n = 0; n < kKeyListSize; ++n) {
                plan.items.push_back(ToWide(NameOfNumber(static_cast<uint16_t>(n), context_.language)));
              }
              plan.selected = edit.selected;
              plan.visible_rows = 20;
              break;
            case CellEdit::Kind::kDirection:
              plan.kind = CReportCtrl::CellEditorPlan::Kind::kDropList;
              plan.items = {ToWide(DirectionText(0)), ToWide(DirectionText(1))};
              plan.selected = edit.selected;
              plan.visible_rows = 6;
              break;
            case CellEdit::Kind::kDelay:
              plan.kind = CReportCtrl::CellEditorPlan::Kind::kNumber;
              plan.text = ToWide(edit.text);
              break;
          }
          return plan;
        },
        [this](int row, int column, int index, const std::wstring& text) {
          if (!page_) return;
          if (column == 0) page_->AcceptKey(row, index);
          if (column == 1) page_->AcceptDirection(row, index);
          if (column == 2) page_->AcceptDelay(row, FromWide(text));
        });
  }
}

void Velkor_DlgComposite::PlaceMemoryLabel() {
  // One line under Record, as wide as the space beside the list, clear of
  // the page picture's drawing below it.
  RECT record{}, list{};
  GetWindowRect(Item(IDC_EDITOR_RECORD), &record);
  GetWindowRect(Item(IDC_EDITOR_ACTION_LIST), &list);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&record), 2);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&list), 2);
  const int width = std::max(120, static_cast<int>(list.left - record.left - 6));
  MoveWindow(Item(IDC_EDITOR_MEMORY), record.left, record.bottom + 4, width, 16, FALSE);
}

void Velkor_DlgComposite::PlaceApplyButton() {
  // The skin gives Apply no place of its own: it sits left of OK, as OK
  // looks, so that a person can commit and go on editing.
  HWND ok = Item(IDOK);
  CPngButton* ok_button = controls_->Button(IDOK);
  if (!ok || !ok_button) return;
  apply_button_ = std::make_unique<CPngButton>();
  if (!apply_button_->Attach(hwnd(), IDC_EDITOR_APPLY)) return;
  SheetSet sheets{};
  for (size_t i = 0; i < sheets.size(); ++i) sheets[i] = controls_->Sheet(i == 3 ? 0 : std::min<size_t>(i, 2));
  SkinImageButton(*apply_button_, u"CONTROL_OK", sheets);
  apply_button_->SetTextStyle(true, 9, L"Tahoma", RGB(255, 255, 255), DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  RECT r{};
  GetWindowRect(ok, &r);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  const int width = r.right - r.left;
  SetWindowPos(Item(IDC_EDITOR_APPLY), HWND_TOP, r.left - width - 8, r.top, width, r.bottom - r.top, SWP_NOACTIVATE);
  SetWindowTextW(Item(IDC_EDITOR_APPLY), W(KeyText(u"PROFILE_APPLY")));
}

// --- pages ---

void Velkor_DlgComposite::Display(const PageDisplay& d) {
  const int page = static_cast<int>(d.page);
  if (d.stop_recording && page_) page_->StopRecording();
  if (d.capture_hooks) {
    InstallCaptureHooks();
  } else {
    RemoveCaptureHooks();
  }
  // The page picture shows the page's images.
  const SkinBinding picture = CompositePagePicture(page);
  controls_->ApplyBindings(*this, std::span<const SkinBinding>(&picture, 1), {});
  InvalidateRect(Item(IDC_EDITOR_PAGE_PICTURE), nullptr, FALSE);
  if (d.select_macro && page_) {
    filling_ = true;
    page_->SelectMacroWithId(*d.select_macro);
    filling_ = false;
  }
  if (d.media_selection) SendMessageW(Item(IDC_EDITOR_MEDIA_LIST), CB_SETCURSEL, *d.media_selection, 0);
  if (d.function_selection) SendMessageW(Item(IDC_EDITOR_FUNCTION_LIST), CB_SETCURSEL, *d.function_selection, 0);
  if (d.key_box) ShowKeyBox(*d.key_box);
  const auto show = [this](int id, bool shown) { ShowWindow(Item(id), shown ? SW_SHOWNA : SW_HIDE); };
  for (int id : kMacroPageControls) show(id, d.page == EditorPage::kMacro);
  show(IDC_EDITOR_KEY_BOX, d.page == EditorPage::kKey);
  show(IDC_EDITOR_KEY_PROMPT, d.page == EditorPage::kKey && !macro_edit_);
  show(IDC_EDITOR_MEDIA_PROMPT, d.page == EditorPage::kMedia && !macro_edit_);
  show(IDC_EDITOR_MEDIA_LIST, d.page == EditorPage::kMedia);
  show(IDC_EDITOR_FUNCTION_PROMPT, d.page == EditorPage::kFunction && !macro_edit_);
  show(IDC_EDITOR_FUNCTION_LIST, d.page == EditorPage::kFunction);
  for (int i = 0; i < 4; ++i) {
    if (CPngButton* button = controls_->Button(kPageButtons[i])) button->SetChecked(i == page, true);
  }
  // The page's controls lie over the page picture: drawn after it.
  for (int id : kMacroPageControls) {
    if (d.page == EditorPage::kMacro) InvalidateRect(Item(id), nullptr, TRUE);
  }
}

void Velkor_DlgComposite::ShowKeyBox(KeyCode key) {
  SetDlgItemTextW(hwnd(), IDC_EDITOR_KEY_BOX, key ? W(KeyNameOf(key, context_.language)) : L"");
}

void Velkor_DlgComposite::Clear() {
  const ClearOutcome outcome = rules_.Clear();
  if (outcome.show_key_page) Display(rules_.Redisplay());
  ShowKeyBox(0);
  if (outcome.enable_apply) SetModified(true);
}

void Velkor_DlgComposite::PagePictureClicked() {
  switch (rules_.page()) {
    case EditorPage::kMacro:
      for (int id : kMacroPageControls) InvalidateRect(Item(id), nullptr, TRUE);
      return;
    case EditorPage::kMedia:
      SetFocus(Item(IDC_EDITOR_MEDIA_LIST));
      return;
    case EditorPage::kFunction:
      SetFocus(Item(IDC_EDITOR_FUNCTION_LIST));
      return;
    case EditorPage::kKey:
      SetFocus(Item(IDC_EDITOR_KEY_BOX));
      return;
  }
}

void Velkor_DlgComposite::SetModified(bool modified) {
  modified_ = modified;
  EnableWindow(Item(IDC_EDITOR_APPLY), modified ? TRUE : FALSE);
}

void Velkor_DlgComposite::Apply() {
  if (!page_) return;
  // 1-2. A recording ends; the macro list goes into the working image.
  page_->StopRecording();
  page_->Commit(context_.working_lock, context_.working);
  // 3-6. The entry, from the page on show.
  {
    std::lock_guard lock(context_.working_lock);
    std::optional<uint32_t> macro_id;
    const MacroList& macros = context_.working.macros;
    if (!macros.empty()) {
      const int at = page_->selected_macro();
      macro_id = macros[static_cast<size_t>(at >= 0 && at < static_cast<int>(macros.size()) ? at : 0)].id;
    }
    const int media = static_cast<int>(SendMessageW(Item(IDC_EDITOR_MEDIA_LIST), CB_GETCURSEL, 0, 0));
    const int function = static_cast<int>(SendMessageW(Item(IDC_EDITOR_FUNCTION_LIST), CB_GETCURSEL, 0, 0));
    KeyAssignment& entry = context_.working.Entry(bank_, slot_);
    entry = rules_.BuildEntry(entry, macro_id, page_->cycles(), media, function);
    // The text of a program or text entry goes with its kind.
    context_.working.texts[static_cast<size_t>(bank_ * kBankSlots + slot_)].reset();
  }
  // 7. The keys show it; the main window's Apply is due.
  if (context_.refresh_key_buttons) context_.refresh_key_buttons();
  SetModified(false);
  if (context_.changes_pending) context_.changes_pending();
}

void Velkor_DlgComposite::Close() {
  if (closed_) return;
  closed_ = true;
  RemoveCaptureHooks();
  if (page_) {
    page_->StopRecording();
    filling_ = true;
    page_->Empty();
    filling_ = false;
  }
  SetModified(false);
  open_.store(0);
}

void Velkor_DlgComposite::OnOK() {
  Apply();
  Close();
  CBaseDialog::OnCancel();
}

void Velkor_DlgComposite::OnCancel() {
  Close();
  CBaseDialog::OnCancel();
}

bool Velkor_DlgComposite::OnCommand(int id, int notification) {
  switch (id) {
    case IDC_EDITOR_PAGE_KEY:
    case IDC_EDITOR_PAGE_MACRO:
    case IDC_EDITOR_PAGE_MEDIA:
    case IDC_EDITOR_PAGE_FUNCTION: {
      if (notification != BN_CLICKED) return false;
      bool enable_apply = false;
      Display(rules_.ShowPage(static_cast<EditorPage>(id - IDC_EDITOR_PAGE_KEY), enable_apply));
      if (enable_apply) SetModified(true);
      return true;
    }
    case IDC_EDITOR_CLEAR:
      if (notification == BN_CLICKED) Clear();
      return true;
    case IDC_EDITOR_OSK:
      if (notification == BN_CLICKED) ShellExecuteW(hwnd(), L"open", L"osk.exe", L"", L"", SW_SHOWNORMAL);
      return true;
    case IDC_EDITOR_APPLY:
      if (notification == BN_CLICKED) Apply();
      return true;
    case IDC_EDITOR_PAGE_PICTURE:
      if (notification == BN_CLICKED) PagePictureClicked();
      return true;
    case IDC_EDITOR_MEDIA_LIST:
    case IDC_EDITOR_FUNCTION_LIST:
      if (notification == CBN_SELCHANGE) SetModified(true);
      return true;
    default:
      break;
  }
  if (!page_) return false;
  switch (id) {
    case IDC_EDITOR_MACRO_LIST:
      if (filling_) return true;
      if (notification == CBN_SELCHANGE) {
        page_->SelectMacro(static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)));
      } else if (notification == CBN_EDITCHANGE) {
        wchar_t text[kMacroNameUnits + 16] = {};
        GetWindowTextW(Item(id), text, static_cast<int>(std::size(text)));
        page_->EditName(FromWide(text));
      }
      return true;
    case IDC_EDITOR_CYCLES:
      if (notification == EN_CHANGE && !filling_) {
        wchar_t text[16] = {};
        GetWindowTextW(Item(id), text, static_cast<int>(std::size(text)));
        const std::u16string clamped = page_->EditCycles(FromWide(text));
        if (clamped != FromWide(text)) ShowCycles(clamped);
      }
      return true;
    case IDC_EDITOR_RECORD_DELAY:
      if (notification == BN_CLICKED) {
        page_->ToggleRecordDelay();
        SendMessageW(Item(id), BM_SETCHECK, page_->record_delay() ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      return true;
    default:
      break;
  }
  if (notification != BN_CLICKED) return false;
  switch (id) {
    case IDC_EDITOR_MACRO_ADD: page_->AddMacro(); return true;
    case IDC_EDITOR_MACRO_DELETE: page_->DeleteMacro(); return true;
    case IDC_EDITOR_RECORD: page_->ToggleRecording(); return true;
    case IDC_EDITOR_ACTION_DELETE: page_->DeleteAction(); return true;
    case IDC_EDITOR_ACTION_CLEAR: page_->ClearActions(); return true;
    case IDC_EDITOR_ACTION_TOP: page_->MoveAction(MacroPage::Move::kTop); break;
    case IDC_EDITOR_ACTION_UP: page_->MoveAction(MacroPage::Move::kUp); break;
    case IDC_EDITOR_ACTION_DOWN: page_->MoveAction(MacroPage::Move::kDown); break;
    case IDC_EDITOR_ACTION_BOTTOM: page_->MoveAction(MacroPage::Move::kBottom); break;
    default: return false;
  }
  // A moved row keeps the focus in the list.
  SetFocus(actions_.hwnd());
  return true;
}

bool Velkor_DlgComposite::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  switch (message) {
    case WM_NOTIFY: {
      LRESULT answer = 0;
      if (actions_.OnNotify(lparam, answer)) {
        result = answer;
        return true;
      }
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header && header->hwndFrom == actions_.hwnd() && header->code == LVN_ITEMCHANGED && page_) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
        // A row selected, or the selection cleared (a click below the rows).
        if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
          page_->SelectRow(actions_.FirstSelected());
        }
      }
      return false;
    }
    case WM_HELP:
      if (!(page_ && page_->recording()) && context_.open_help) context_.open_help();
      result = TRUE;
      return true;
    case WM_DESTROY:
      Close();
      for (const wchar_t* name : {L"VelkorEditorSlot", L"VelkorEditorControl", L"VelkorEditorMacroKey"}) {
        RemovePropW(hwnd(), name);
      }
      break;
    default:
      break;
  }
  return CBaseDialog::OnMessage(message, wparam, lparam, result);
}

bool Velkor_DlgComposite::PreTranslateMessage(MSG& msg) {
  // Enter and Escape never reach the dialog: a key is pressed here to be
  // captured or recorded, not to close the window. An open cell editor of
  // the action list takes them itself.
  if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) &&
      (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
    if (actions_.editing()) return false;
    return msg.hwnd == hwnd() || IsChild(hwnd(), msg.hwnd);
  }
  return false;
}

// --- hooks ---

bool Velkor_DlgComposite::InstallHooks(KeyboardHooks& hooks) {
  if (hooks.installed()) return true;
  hooks.thread.reset(SetWindowsHookExW(WH_KEYBOARD, ThreadHook, nullptr, GetCurrentThreadId()));
  hooks.low_level.reset(SetWindowsHookExW(WH_KEYBOARD_LL, LowLevelHook, GetModuleHandleW(nullptr), 0));
  if (!hooks.thread || !hooks.low_level) {
    RemoveHooks(hooks);
    return false;
  }
  hooked_editor = this;
  return true;
}

void Velkor_DlgComposite::RemoveHooks(KeyboardHooks& hooks) {
  hooks.thread.reset();
  hooks.low_level.reset();
  if (!capture_hooks_.installed() && !record_hooks_.installed() && hooked_editor == this) hooked_editor = nullptr;
}

bool Velkor_DlgComposite::InstallRecordHooks() { return InstallHooks(record_hooks_); }

void Velkor_DlgComposite::RemoveRecordHooks() { RemoveHooks(record_hooks_); }

LRESULT CALLBACK Velkor_DlgComposite::ThreadHook(int code, WPARAM wparam, LPARAM lparam) {
  try {
    if (code == HC_ACTION && hooked_editor &&
        hooked_editor->OnHookedKey(static_cast<uint8_t>(wparam), static_cast<uint32_t>(lparam))) {
      return 1;
    }
  } catch (...) {
    // A keystroke that could not be handled goes on as if unhooked.
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

LRESULT CALLBACK Velkor_DlgComposite::LowLevelHook(int code, WPARAM wparam, LPARAM lparam) {
  try {
    if (code == HC_ACTION && hooked_editor) {
      const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam);
      if (hooked_editor->OnLowLevelKey(static_cast<UINT>(wparam), key->vkCode)) return 1;
    }
  } catch (...) {
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

bool Velkor_DlgComposite::OnHookedKey(uint8_t vk, uint32_t flags) {
  if (record_hooks_.installed() && page_) return page_->OnThreadKey(vk, flags) == HookVerdict::kSwallow;
  if (!capture_hooks_.installed()) return false;
  const CaptureVerdict verdict = rules_.OnThreadKey(vk, flags);
  if (verdict.action == CaptureVerdict::Action::kTake) {
    ShowKeyBox(verdict.key);
    SetModified(true);
  }
  return verdict.action != CaptureVerdict::Action::kPass;
}

bool Velkor_DlgComposite::OnLowLevelKey(UINT message, uint32_t vk) {
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  const bool key_event = down || message == WM_KEYUP || message == WM_SYSKEYUP;
  if (!key_event) return false;
  if (record_hooks_.installed() && page_) return page_->OnLowLevelKey(vk, down) == HookVerdict::kSwallow;
  if (!capture_hooks_.installed()) return false;
  const CaptureVerdict verdict = rules_.OnLowLevelKey(vk);
  if (verdict.action == CaptureVerdict::Action::kTake) {
    ShowKeyBox(verdict.key);
    SetModified(true);
  }
  return verdict.action != CaptureVerdict::Action::kPass;
}

// --- MacroPageView ---

void Velkor_DlgComposite::ShowMacros(const std::vector<std::u16string>& names, int selected) {
  HWND box = Item(IDC_EDITOR_MACRO_LIST);
  const bool was_filling = filling_;
  filling_ = true;
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  for (const std::u16string& name : names) SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(name)));
  SendMessageW(box, CB_SETCURSEL, selected, 0);
  if (selected < 0) SetWindowTextW(box, L"");
  // A person typing into the box goes on typing after the text, not over it.
  HWND focus = GetFocus();
  if (focus && (focus == box || IsChild(box, focus))) {
    const int end = GetWindowTextLengthW(box);
    SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
  }
  filling_ = was_filling;
}

void Velkor_DlgComposite::ShowMacroName(int position, const std::u16string& name) {
  HWND box = Item(IDC_EDITOR_MACRO_LIST);
  const bool was_filling = filling_;
  filling_ = true;
  // The item is made again with its new text; the person's caret stays.
  const DWORD caret = static_cast<DWORD>(SendMessageW(box, CB_GETEDITSEL, 0, 0));
  SendMessageW(box, CB_DELETESTRING, position, 0);
  SendMessageW(box, CB_INSERTSTRING, position, reinterpret_cast<LPARAM>(W(name)));
  SendMessageW(box, CB_SETCURSEL, position, 0);
  SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(LOWORD(caret), HIWORD(caret)));
  filling_ = was_filling;
}

void Velkor_DlgComposite::ShowRows(const std::vector<MacroAction>& rows, int selected) {
  if (actions_.editing()) actions_.EndCellEdit(false);
  HWND list = actions_.hwnd();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  actions_.DeleteAllRows();
  for (const MacroAction& action : rows) actions_.AppendRow(RowTexts(action, context_.language));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  actions_.Select(selected);
  InvalidateRect(list, nullptr, TRUE);
}

void Velkor_DlgComposite::InsertRow(int position, const MacroAction& action, bool select) {
  if (actions_.editing()) actions_.EndCellEdit(false);
  actions_.InsertRow(position, RowTexts(action, context_.language));
  if (select) actions_.Select(position);
}

void Velkor_DlgComposite::ChangeRow(int position, const MacroAction& action) {
  const std::vector<std::wstring> texts = RowTexts(action, context_.language);
  for (int column = 0; column < 3; ++column) actions_.SetText(position, column, texts[static_cast<size_t>(column)]);
}

void Velkor_DlgComposite::ShowCycles(const std::u16string& text) {
  const bool was_filling = filling_;
  filling_ = true;
  SetDlgItemTextW(hwnd(), IDC_EDITOR_CYCLES, W(text));
  SendMessageW(Item(IDC_EDITOR_CYCLES), EM_SETSEL, text.size(), text.size());
  filling_ = was_filling;
}

void Velkor_DlgComposite::EnableActionButtons(bool enabled) {
  for (int id : kActionButtons) EnableWindow(Item(id), enabled ? TRUE : FALSE);
}

void Velkor_DlgComposite::ShowRecording(bool recording, const std::u16string& caption) {
  SetDlgItemTextW(hwnd(), IDC_EDITOR_RECORD, W(caption));
  if (CPngButton* button = controls_ ? controls_->Button(IDC_EDITOR_RECORD) : nullptr) {
    button->SetChecked(recording, true);
  }
  for (int id : {IDC_EDITOR_MACRO_ADD, IDC_EDITOR_MACRO_DELETE, IDC_EDITOR_MACRO_LIST}) {
    EnableWindow(Item(id), recording ? FALSE : TRUE);
  }
  // The keystrokes go to this window while it records.
  if (recording) SetFocus(actions_.hwnd());
}

void Velkor_DlgComposite::ShowMemory(const MemoryMeter& meter) {
  SetDlgItemTextW(hwnd(), IDC_EDITOR_MEMORY, W(MemoryMeterText(meter, context_.language)));
  if (memory_label_) {
    memory_label_->SetTextColour(meter.state == MemoryMeter::State::kTooLarge ? kWarningColour : kLabelColour);
  }
}

void Velkor_DlgComposite::EnableApply() { SetModified(true); }

// --- MacroPageHost ---

bool Velkor_DlgComposite::Ask(LangKey question) {
  return MessageBoxW(hwnd(), W(Text(question)), L"", MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void Velkor_DlgComposite::Tell(LangKey message, int number) {
  MessageBoxW(hwnd(), W(FormatFirstInteger(Text(message), number)), L"", MB_OK);
}

uint32_t Velkor_DlgComposite::Now() { return GetTickCount(); }

void Velkor_DlgComposite::Pause() { Sleep(16); }

std::u16string Velkor_DlgComposite::ReadRecordDelay() {
  return context_.read_setting ? context_.read_setting(Text(LangKey::MACRO_ACTION_RECORD_DELAY)) : u"0";
}

void Velkor_DlgComposite::WriteRecordDelay(const std::u16string& value) {
  if (context_.write_setting) context_.write_setting(Text(LangKey::MACRO_ACTION_RECORD_DELAY), value);
}

}  // namespace velkor
