#include "TRS232SERVICE.h"

#include "PlainLabel.h"
#include "Win1252.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace travek {

TRS232SERVICE::TRS232SERVICE(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName("RS232SERVICE");
    setWindowTitle("RS232SERVICE");
    // A window of its own: it must never keep the program running after the main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    Label1 = makeLabel("Input", "Label1", this);
    lb1 = new QListWidget(this);
    lb1->setObjectName("lb1");
    Label2 = makeLabel("Output", "Label2", this);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(lb1, 1);
    layout->addWidget(Label2);
    layout->addWidget(Edit2);
    resize(274, 292);
    FormCreate();
}

void TRS232SERVICE::FormCreate() {
    Edit2->clear();
}

void TRS232SERVICE::setOutput(const std::string& command) {
    Edit2->setText(fromWin1252(command));
}

std::string TRS232SERVICE::output() const {
    return toWin1252(Edit2->text());
}

} // namespace travek
