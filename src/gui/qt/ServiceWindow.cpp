#include "gui/qt/ServiceWindow.h"

#include "gui/qt/PlainLabel.h"
#include "gui/qt/Win1252.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace travek {

ServiceWindow::ServiceWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName("RS232SERVICE");
    setWindowTitle("RS232SERVICE");
    // A window of its own: it must never keep the program running after the main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    inputLabel = makeLabel("Input", "Label1", this);
    inputList = new QListWidget(this);
    inputList->setObjectName("lb1");
    outputLabel = makeLabel("Output", "Label2", this);
    outputEdit = new QLineEdit(this);
    outputEdit->setObjectName("Edit2");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(inputLabel);
    layout->addWidget(inputList, 1);
    layout->addWidget(outputLabel);
    layout->addWidget(outputEdit);
    resize(274, 292);
}

void ServiceWindow::setOutput(const std::string& command) {
    outputEdit->setText(fromWin1252(command));
}

std::string ServiceWindow::output() const {
    return toWin1252(outputEdit->text());
}

} // namespace travek
