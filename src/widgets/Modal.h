#pragma once

#include "platform/ScopedService.h"

#include <functional>

class QDialog;

namespace nw {

// Shows a dialog modally and returns its result. Tests install a runner of their own, so that
// no modal window ever waits for a person.
using ModalRunner = std::function<int(QDialog&)>;

// The runner in use. Without any, QDialog::exec runs.
Service<ModalRunner>& modalRunnerService();

int runModal(QDialog& dialog);

} // namespace nw
