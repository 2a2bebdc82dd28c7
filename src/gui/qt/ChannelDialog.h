#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace travek {

class ChannelChoice;

// Picks the channel of a sequence step. The list and its selection stay between uses, so the
// channel chosen last is offered again.
class ChannelDialog : public QDialog {
    Q_OBJECT
public:
    explicit ChannelDialog(QWidget* parent = nullptr);

    QListWidget* channelList;  // "lb_channels"
    QPushButton* cancelButton; // "BitBtn1"
    QPushButton* okButton;     // "BitBtn2"

    // Shows the choice's channels with its selection; the list is filled again only when the
    // channels changed, so the user's scroll position stays too.
    void showChoice(const ChannelChoice& choice);

    // The selected position (0-based), -1 when nothing is selected.
    int selectedPosition() const;
};

} // namespace travek
