#include "widgets/Modal.h"

#include <QDialog>

namespace nw {

Service<ModalRunner>& modalRunnerService() {
    static Service<ModalRunner> runner;
    return runner;
}

int runModal(QDialog& dialog) {
    if (const ModalRunner& current = modalRunnerService().get())
        return current(dialog);
    return dialog.exec();
}

} // namespace nw
