#pragma once

#include <QDialog>

#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace travek {

// Asks after how many values the series string is typed. It has no cancel button and no close
// box: Enter or OK takes the number, Escape cancels.
class SeriesCountDialog : public QDialog {
    Q_OBJECT
public:
    explicit SeriesCountDialog(QWidget* parent = nullptr);

    QLabel* label;         // "Label1"
    QLineEdit* edit;       // "Edit1"
    QPushButton* okButton; // "BitBtn1"

    // The number taken at the last OK; 0 until then.
    std::int32_t value = 0;

public slots:
    void takeValue();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace travek
