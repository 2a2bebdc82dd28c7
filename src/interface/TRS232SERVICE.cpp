#include "TRS232SERVICE.h"

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

    Label1 = new QLabel("Input", this);
    Label1->setObjectName("Label1");
    lb1 = new QListWidget(this);
    lb1->setObjectName("lb1");
    Label2 = new QLabel("Output", this);
    Label2->setObjectName("Label2");
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
