#pragma once

#include <QDialog>

#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace travek {

// Asks after how many values the series string is typed. It has no cancel button and no close
// box: Enter or OK takes the number, Escape cancels.
class TGetCount1 : public QDialog {
    Q_OBJECT
public:
    explicit TGetCount1(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* BitBtn1; // OK

    // The number taken at the last OK; 0 until then.
    std::int32_t Value = 0;

public slots:
    void FormCreate();
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace travek
