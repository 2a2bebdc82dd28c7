#include "Tlist_coms.h"

#include "Win1252.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

namespace travek {

Tlist_coms::Tlist_coms(Source source, std::function<void(const QString&)> errorBox, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_source(std::move(source)), m_errorBox(std::move(errorBox)) {
    setWindowTitle(QStringLiteral("Comport List"));
    setModal(false);
    com_list = new QListWidget(this);
    com_list->setEnabled(false); // display only
    Beenden = new QPushButton(QStringLiteral("O K"), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(com_list);
    layout->addWidget(Beenden);
    resize(260, 260);

    Timer1 = new QTimer(this);
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &Tlist_coms::Timer1Timer);
    connect(Beenden, &QPushButton::clicked, this, &Tlist_coms::BeendenClick);
}

bool Tlist_coms::ListComPorts() {
    std::vector<std::string> lines;
    try {
        m_source(lines);
    } catch (const std::exception& e) {
        if (m_errorBox)
            m_errorBox(fromWin1252(e.what()));
        return false;
    }
    QStringList entries;
    for (const auto& line : lines)
        entries << fromWin1252(line);
    QStringList current;
    for (int i = 0; i < com_list->count(); ++i)
        current << com_list->item(i)->text();
    if (entries != current) { // leave the list alone while nothing changed
        com_list->clear();
        com_list->addItems(entries);
    }
    return true;
}

void Tlist_coms::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (ListComPorts())
        Timer1->start();
}

void Tlist_coms::hideEvent(QHideEvent* event) {
    Timer1->stop();
    QDialog::hideEvent(event);
}

void Tlist_coms::Timer1Timer() { ListComPorts(); }

// Escape reaches reject(), which hides the window like the button does.
void Tlist_coms::BeendenClick() { hide(); }

} // namespace travek
