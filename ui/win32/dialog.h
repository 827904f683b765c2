// A dialog window made from a template in the program's resources. The object
// owns its window; messages reach OnMessage through one static thunk. The
// window user data is left free (the main window keeps its marker there).
//
// DoModal runs the dialog in a loop of its own until EndModal: unlike the
// platform's modal dialog box it never shows the window by itself, so a
// window can live hidden for as long as it likes.
#pragma once

#include <windows.h>

namespace velkor {

class CDialog {
 public:
  explicit CDialog(UINT template_id) : template_id_(template_id) {}
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  INT_PTR DoModal(HWND parent = nullptr);
  void EndModal(INT_PTR result);
  // Makes the window without a loop of its own (it stays hidden unless the
  // template says otherwise); false when the template cannot be made.
  bool Create(HWND parent = nullptr);
  void Destroy();

  HWND hwnd() const { return hwnd_; }
  UINT template_id() const { return template_id_; }

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  // Returns true when the message was handled; result is then the answer.
  virtual bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
    return false;
  }
  virtual void OnDestroy() {}
  // Sees every message the dialog's own loop takes from the queue, before
  // the dialog does; true when the message is used up.
  virtual bool PreTranslateMessage(MSG& msg) { return false; }

 private:
  static INT_PTR CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  UINT template_id_;
  HWND hwnd_ = nullptr;
  bool modal_running_ = false;
  INT_PTR modal_result_ = 0;
};

}  // namespace velkor
