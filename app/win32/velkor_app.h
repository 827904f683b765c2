// The application object: start-up in its fixed order, the single-instance
// rule and the daemon, then the main window run modally.
#pragma once

namespace velkor {

class CVelkorApp {
 public:
  // Runs the whole start-up and the main window. Returns false so that the
  // process ends (with exit code 0) when the main window's loop ends.
  bool InitInstance();
};

}  // namespace velkor
