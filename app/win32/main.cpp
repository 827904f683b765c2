#include <windows.h>

#include "app/win32/velkor_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  velkor::CVelkorApp app;
  app.InitInstance();
  return 0;
}
