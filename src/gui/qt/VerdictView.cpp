#include "gui/qt/VerdictView.h"

#include "core/quality/VerdictColour.h"
#include "gui/qt/DialogRunner.h"
#include "gui/qt/GridTableModel.h"
#include "gui/qt/ToleranceDialog.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTimer>

namespace travek {

namespace {

QColor colourOf(Verdict verdict) {
    const auto rgb = verdictColour(verdict);
    return rgb ? QColor::fromRgb(static_cast<QRgb>(*rgb)) : QColor();
}

} // namespace

VerdictView::VerdictView(GridTableModel& model, QTableView* gridView, QLabel* linePanel, QWidget* window)
    : m_model(model), m_linePanel(linePanel), m_window(window) {
    // The key column keeps room for a few keys; the tolerance takes the rest.
    gridView->setColumnWidth(2, 150);
    window->resize(std::max(window->width(), 560), window->height());
}

void VerdictView::showVerdict(const JudgedValue& value) {
    m_model.setRowBackground(value.step, colourOf(value.verdict));
}

void VerdictView::showLineVerdict(Verdict verdict) {
    if (verdict == m_lineVerdict)
        return;
    m_lineVerdict = verdict;
    const QColor colour = colourOf(verdict);
    QPalette palette = m_linePanel->palette();
    palette.setColor(QPalette::Window, colour.isValid()
                                           ? colour
                                           : m_linePanel->parentWidget()->palette().color(QPalette::Window));
    m_linePanel->setPalette(palette);
    m_linePanel->setAutoFillBackground(colour.isValid());
}

void VerdictView::signalNok() {
    QApplication::beep();
    for (int bell = 1; bell < NokBells; ++bell)
        QTimer::singleShot(150 * bell, m_window, [] { QApplication::beep(); });
}

bool VerdictView::runToleranceDialog(DialogRunner& runner, ToleranceInput& input) {
    ToleranceDialog dialog(input, m_window);
    return runner.run(dialog) == QDialog::Accepted;
}

} // namespace travek
