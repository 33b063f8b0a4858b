#pragma once

#include "ui/MainWindow.h"

#include <memory>

namespace nw {

class AboutDialog;

// The program's first steps: the about dialog in its start-up role, whose "Continue" opens
// the main window. Owns both windows, so they end before the services they use.
class StartUp {
public:
    explicit StartUp(WindowOptions options = {});
    ~StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    // Shows the about dialog without making it modal and returns; false when it could not be
    // shown, so that the program ends instead of running on without a window.
    bool Main();

    AboutDialog* about() const { return about_.get(); }
    MainWindow* window() const { return window_.get(); }

private:
    bool showMainWindow();

    WindowOptions options_;
    std::unique_ptr<AboutDialog> about_;
    std::unique_ptr<MainWindow> window_;
};

} // namespace nw
