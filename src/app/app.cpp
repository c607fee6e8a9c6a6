#include "app/app.h"

#include <memory>

#include "app/main_window.h"

namespace app {
namespace {
// The main window lives as long as the message loop; the entry point ends it
// with finish() while the backends it was built on still exist.
std::unique_ptr<MainWindow> mainWindow;
}  // namespace

bool start(tk::Backend& toolkit, os::Services& services) {
    mainWindow = std::make_unique<MainWindow>(toolkit, services);
    mainWindow->form->show();
    return mainWindow->form->isShown();
}

void finish() { mainWindow.reset(); }
}  // namespace app
