#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace travek {

// Picks the channel of a sequence step. The list and its selection stay between uses, so the
// channel chosen last is offered again.
class TSel_channel : public QDialog {
    Q_OBJECT
public:
    explicit TSel_channel(QWidget* parent = nullptr);

    QListWidget* lb_channels;
    QPushButton* BitBtn1; // Cancel
    QPushButton* BitBtn2; // OK

    // Replaces the entries; afterwards nothing is selected.
    void setChannels(const std::vector<std::string>& entries);

    // The selected position (0-based), -1 when nothing is selected.
    int selectedPosition() const;

public slots:
    void BitBtn2Click();
};

} // namespace travek
