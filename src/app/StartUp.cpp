#include "app/StartUp.h"
#include "about/AboutDialog.h"
#include "core/ErrorReport.h"
#include "core/Failure.h"

namespace nw {

StartUp::StartUp(WindowOptions options)
    : options_(std::move(options)) {}

StartUp::~StartUp() = default;

bool StartUp::Main() {
    try {
        about_ = std::make_unique<AboutDialog>(AboutRole::StartUp);
        about_->setContinue([this] { return showMainWindow(); });
        about_->show();
        return true;
    } catch (...) {
        ReportError(QStringLiteral("Global"), QStringLiteral("Main"), currentFailure());
        return false;
    }
}

bool StartUp::showMainWindow() {
    // The main window is shown once; a second "Continue" only brings it forward.
    if (!window_)
        window_ = std::make_unique<MainWindow>(options_);
    window_->show();
    window_->raise();
    return true;
}

} // namespace nw
