#pragma once

#include "widgets/Modal.h"

#include <QDialog>
#include <QStringList>

#include <functional>

namespace nw::test {

// Runs every modal dialog without waiting for a person: the dialog is shown, `onShow` acts on
// it (reads it, presses its buttons), and the dialog closes again.
class ScriptedModals {
public:
    std::function<void(QDialog&)> onShow;
    QStringList shown;         // object names, in the order the dialogs came up
    bool closedItself = false; // the last dialog closed by its own button

private:
    int run(QDialog& dialog) {
        shown << dialog.objectName();
        dialog.setResult(0);
        dialog.show();
        closedItself = false;
        if (onShow)
            onShow(dialog);
        closedItself = !dialog.isVisible();
        dialog.hide();
        return dialog.result();
    }

    ScopedService<ModalRunner> inUse_{modalRunnerService(),
                                      [this](QDialog& dialog) { return run(dialog); }};
};

} // namespace nw::test
