#include "gui/qt/DialogRunner.h"

#include <QDialog>

namespace travek {

int DialogRunner::run(QDialog& dialog) {
    return dialog.exec();
}

} // namespace travek
