#pragma once

namespace pelorin {

// The desktop program from start-up to its end, inside a QApplication that
// already exists: names the application, creates the session and the
// windows, shows the main window and runs the event loop until the program is
// ended. Returns the exit status.
int RunDesktopProgram();

}  // namespace pelorin
