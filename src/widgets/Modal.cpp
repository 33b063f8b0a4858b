#include "widgets/Modal.h"

#include <QDialog>

namespace nw {

namespace {
ModalRunner current;
}

ModalRunner setModalRunner(ModalRunner runner) {
    ModalRunner previous = std::move(current);
    current = std::move(runner);
    return previous;
}

int runModal(QDialog& dialog) {
    if (current)
        return current(dialog);
    return dialog.exec();
}

} // namespace nw
