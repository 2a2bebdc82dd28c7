#include "gui/qt/MainWindow.h"

#include "core/session/Dialogs.h"
#include "core/session/Session.h"
#include "core/text/KeyString.h"
#include "gui/qt/ChannelDialog.h"
#include "gui/qt/ComPortDialog.h"
#include "gui/qt/GridTableModel.h"
#include "gui/qt/InterfaceDialog.h"
#include "gui/qt/KeyActionDialog.h"
#include "gui/qt/PlainLabel.h"
#include "gui/qt/PortListWindow.h"
#include "gui/qt/RecordTextDialog.h"
#include "gui/qt/SeriesCountDialog.h"
#include "gui/qt/ServiceWindow.h"
#include "gui/qt/TargetWindowDialog.h"
#include "gui/qt/TrendWindow.h"
#include "gui/qt/Win1252.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTableView>
#include <QTranslator>
#include <QVBoxLayout>

namespace travek {

namespace {

// The pale grey of the key column and the series string, as a Windows colour reference (0x00BBGGRR).
constexpr std::uint32_t KeyColumnColour = 15000558;

QColor fromColourRef(std::uint32_t ref) {
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

MainWindow::MainWindow(std::shared_ptr<DialogRunner> runner, QWidget* parent)
    : QMainWindow(parent), m_runner(runner ? std::move(runner) : std::make_shared<DialogRunner>()) {
    setObjectName("Form1");
    // The separator is read before the saved sequence that it is used on is loaded.
    m_session = std::make_unique<Session>(*this, m_loop, readKeySeparator());
    m_gridModel = new GridTableModel(m_session->grid(), this);
    buildWindow();
    m_verdicts = std::make_unique<VerdictView>(*m_gridModel, gridView,
                                               m_panels[static_cast<std::size_t>(StatusPanel::Line)], this);
    buildMenus();
    buildWindows();
    setFocusWindow(nullptr);
    m_session->open();
}

MainWindow::~MainWindow() {
    // The port list window stops the session's port list when it goes: before the session.
    delete m_windows.portListWindow;
    m_windows.portListWindow = nullptr;
    // The view and the model that watch the session's grid go before the session.
    gridView->setModel(nullptr);
    delete m_gridModel;
    m_gridModel = nullptr;
    m_session.reset();
}

GridModel& MainWindow::grid() {
    return m_session->grid();
}

bool MainWindow::installGermanQtTexts() {
    static QTranslator translator;
    if (!translator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&translator);
    return true;
}

QFont MainWindow::designFont() {
    if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif")))
        return QFont(QStringLiteral("MS Sans Serif"), 8);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(9);
    return font;
}

void MainWindow::buildWindow() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    activeLabel = makeLabel("-", "PanelActive", central);
    activeLabel->setFixedHeight(26);
    activeLabel->setAlignment(Qt::AlignCenter);
    activeLabel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    QFont panelFont(QStringLiteral("Arial"));
    panelFont.setPixelSize(16);
    panelFont.setBold(true);
    activeLabel->setFont(panelFont);
    QPalette panelPalette = activeLabel->palette();
    panelPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    activeLabel->setPalette(panelPalette);
    layout->addWidget(activeLabel);
    layout->addWidget(buildGrid(central), 1);
    noticeLabel = makeLabel(QString(), "PanelNotice", central);
    noticeLabel->setContentsMargins(4, 2, 4, 2);
    QPalette noticePalette = noticeLabel->palette();
    noticePalette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    noticeLabel->setPalette(noticePalette);
    noticeLabel->hide();
    layout->addWidget(noticeLabel);
    layout->addWidget(buildSeriesBar(central));
    setCentralWidget(central);
    buildStatusPanels();
    resize(435, 290);
}

QWidget* MainWindow::buildGrid(QWidget* parent) {
    gridView = new QTableView(parent);
    gridView->setObjectName("SAGScript");
    gridView->setModel(m_gridModel);
    gridView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridView->setSelectionBehavior(QAbstractItemView::SelectItems);
    gridView->setSelectionMode(QAbstractItemView::ContiguousSelection);
    gridView->setWordWrap(false);
    gridView->setTabKeyNavigation(false);
    gridView->verticalHeader()->hide();
    gridView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    gridView->verticalHeader()->setDefaultSectionSize(20);
    gridView->verticalHeader()->setMinimumSectionSize(20);
    gridView->horizontalHeader()->setHighlightSections(false);
    gridView->horizontalHeader()->setSectionsClickable(false);
    gridView->horizontalHeader()->setStretchLastSection(true);
    gridView->setContextMenuPolicy(Qt::CustomContextMenu);
    gridView->setMinimumHeight(155);
    m_gridModel->setColumnBackground(2, fromColourRef(KeyColumnColour));
    const QFontMetrics metrics(gridView->horizontalHeader()->font());
    gridView->setColumnWidth(0, std::max(30, metrics.horizontalAdvance(QStringLiteral("Step")) + 12));
    gridView->setColumnWidth(1, std::max(44, metrics.horizontalAdvance(QStringLiteral("Kanal")) + 12));

    connect(gridView, &QAbstractItemView::doubleClicked, this, &MainWindow::editCurrentCell);
    // Enter, F2 and Space act on the current cell as a double-click does, and a double-click on the
    // header row or below the steps is one on the grid (eventFilter).
    gridView->installEventFilter(this);
    gridView->viewport()->installEventFilter(this);
    gridView->horizontalHeader()->viewport()->installEventFilter(this);
    connect(gridView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { gridMenu->popup(gridView->viewport()->mapToGlobal(pos)); });
    // The step numbers cannot be selected: a click there picks the channel cell of the same row.
    connect(gridView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.column() < grid().fixedCols())
                    gridView->selectionModel()->setCurrentIndex(
                        current.sibling(current.row(), grid().fixedCols()),
                        QItemSelectionModel::ClearAndSelect);
            });
    return gridView;
}

QWidget* MainWindow::buildSeriesBar(QWidget* parent) {
    auto* bottom = new QWidget(parent);
    bottom->setObjectName("PanelBottom");
    bottom->setFixedHeight(24);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(4, 2, 4, 2);
    bottomLayout->setSpacing(4);
    afterLabel = makeLabel("Nach", "Label3", bottom);
    seriesCountLabel = makeLabel("[ ]", "Label_valX_count", bottom);
    seriesCountLabel->setFixedWidth(41);
    seriesCountLabel->setAlignment(Qt::AlignCenter);
    setBackground(seriesCountLabel, Qt::white);
    seriesStringLabel = makeLabel(QString(), "Label_string", bottom);
    seriesStringLabel->setMinimumWidth(326);
    setBackground(seriesStringLabel, fromColourRef(KeyColumnColour));
    bottomLayout->addWidget(afterLabel);
    bottomLayout->addWidget(seriesCountLabel);
    bottomLayout->addWidget(seriesStringLabel, 1);
    // Their double-clicks edit the series settings (eventFilter).
    seriesCountLabel->installEventFilter(this);
    seriesStringLabel->installEventFilter(this);
    return bottom;
}

void MainWindow::buildStatusPanels() {
    panels = new QStatusBar(this);
    panels->setObjectName("sb1");
    panels->setSizeGripEnabled(false);
    for (int i = 0; i < PanelCount; ++i) {
        QLabel* panel = makeLabel(QString(), qPrintable(QStringLiteral("sb1Panel%1").arg(i)), panels);
        panel->setMinimumWidth(50);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels->addWidget(panel, i + 1 == PanelCount ? 1 : 0);
        m_panels[static_cast<std::size_t>(i)] = panel;
    }
    setStatusBar(panels);
}

void MainWindow::buildMenus() {
    menus = menuBar();
    menus->setObjectName("MainMenu1");
    QMenu* datei = menus->addMenu("&Datei");
    saveAction = datei->addAction("&Speichern", this, &MainWindow::saveSequence);
    saveAction->setObjectName("Speichern1");
    loadAction = datei->addAction("&Laden", this, &MainWindow::loadSequence);
    loadAction->setObjectName("Laden1");
    partAction = datei->addAction("&Teil/Los…", this, [this] { m_session->editPart(); });
    partAction->setObjectName("TeilLos1");
    quitAction = datei->addAction("&Beenden", this, &QWidget::close);
    quitAction->setObjectName("Beenden1");
    QMenu* einstellungen = menus->addMenu("&Einstellungen");
    interfaceAction = einstellungen->addAction("&Interface", this, &MainWindow::chooseInterface);
    interfaceAction->setObjectName("Interface1");
    setUpAction =
        einstellungen->addAction("Interface &einrichten…", this, [this] { m_session->setUpInterface(); });
    setUpAction->setObjectName("InterfaceEinrichten1");
    comPortAction = einstellungen->addAction("&Comport", this, &MainWindow::choosePort);
    comPortAction->setObjectName("Comport1");
    initAction = einstellungen->addAction("&Init Interface", this, &MainWindow::initInterface);
    initAction->setObjectName("InitInteface1");
    targetWindowAction = einstellungen->addAction("&Zielfenster…", this, &MainWindow::chooseTargetWindow);
    targetWindowAction->setObjectName("Zielfenster1");
    operatorAction = einstellungen->addAction("&Bediener…", this, [this] { m_session->editOperator(); });
    operatorAction->setObjectName("Bediener1");
    // The reason why it is disabled shows as its tooltip.
    einstellungen->setToolTipsVisible(true);

    trendAction = menus->addMenu("&Ansicht")->addAction("&Verlauf", this, [this] { showTrend(); });

    gridMenu = new QMenu(this);
    gridMenu->setObjectName("PopupMenu1");
    insertRowAction = gridMenu->addAction("Zeile &einfügen", this, &MainWindow::insertRow);
    insertRowAction->setObjectName("Zeileeinfgen1");
    deleteRowAction = gridMenu->addAction("Zeile ent&fernen", this, &MainWindow::deleteRow);
    deleteRowAction->setObjectName("Zeileentfernen1");
    gridMenu->addAction("&Verlauf", this, [this] { showTrend(); });
}

void MainWindow::showTrend() {
    m_windows.trendWindow->showStep(currentRow());
}

void MainWindow::showVerdict(const JudgedValue& value) {
    m_verdicts->showVerdict(value);
    m_windows.trendWindow->take(value);
}

void MainWindow::buildWindows() {
    // In the order they rely on: the port list before the port dialog that shows it.
    auto errorBox = [this](const std::string& text) { showError(text); };
    m_windows.serviceWindow = new ServiceWindow(this);
    m_windows.interfaceDialog = new InterfaceDialog(this);
    m_windows.channelDialog = new ChannelDialog(this);
    m_windows.keyActionDialog = new KeyActionDialog(this);
    m_windows.portListWindow = new PortListWindow(m_session->portList(), errorBox, this);
    m_windows.comPortDialog = new ComPortDialog(m_windows.portListWindow, this);
    m_windows.seriesCountDialog = new SeriesCountDialog(this);
    m_windows.targetWindowDialog = new TargetWindowDialog(this);
    m_windows.recordTextDialog = new RecordTextDialog(this);
    m_windows.trendWindow = new TrendWindow(*m_session, this);
}

void MainWindow::setDialogRunner(std::shared_ptr<DialogRunner> runner) {
    m_runner = runner ? std::move(runner) : std::make_shared<DialogRunner>();
}

void MainWindow::setKeyOutput(KeyOutput* keys, const std::string& whyNone) {
    m_session->setKeyOutput(keys, whyNone);
}

void MainWindow::setFocusWindow(FocusWindow* focus, const std::string& whyNone) {
    m_session->setFocusWindow(focus, whyNone);
    const QString reason = fromWin1252(m_session->targetWindowUnavailable());
    targetWindowAction->setEnabled(reason.isEmpty());
    targetWindowAction->setToolTip(reason.isEmpty() ? targetWindowAction->text().remove('&') : reason);
    targetWindowAction->setStatusTip(reason);
}

void MainWindow::scheduleStartUp() {
    m_session->scheduleStartUp();
}

void MainWindow::setPanelText(StatusPanel panel, const std::string& text) {
    m_panels.at(static_cast<std::size_t>(panel))->setText(fromWin1252(text));
}

QString MainWindow::panelText(StatusPanel panel) const {
    return m_panels.at(static_cast<std::size_t>(panel))->text();
}

void MainWindow::setActiveText(const std::string& text) {
    activeLabel->setText(fromWin1252(text));
}

void MainWindow::setCaption(const std::string& text) {
    setWindowTitle(fromWin1252(text));
}

void MainWindow::showSeriesCount(const std::string& text) {
    seriesCountLabel->setText(fromWin1252(text));
}

void MainWindow::showSeriesString(const std::string& text) {
    seriesStringLabel->setText(fromWin1252(text));
}

void MainWindow::showServiceOutput(const std::string& text) {
    m_windows.serviceWindow->setOutput(text);
}

int MainWindow::currentCol() const {
    const QModelIndex current = gridView->currentIndex();
    return current.isValid() ? current.column() : m_session->grid().fixedCols();
}

int MainWindow::currentRow() const {
    const QModelIndex current = gridView->currentIndex();
    if (current.isValid())
        return m_gridModel->gridRow(current);
    const GridModel& grid = m_session->grid();
    return grid.rowCount() > grid.fixedRows() ? grid.fixedRows() : -1;
}

void MainWindow::setCurrentCell(int col, int row) {
    const QModelIndex index = m_gridModel->indexOf(col, row);
    if (index.isValid())
        gridView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void MainWindow::beginGridUpdate() {
    m_gridModel->beginBatch();
}

void MainWindow::endGridUpdate() {
    m_gridModel->endBatch();
}

void MainWindow::editCurrentCell() {
    m_session->editCell(currentCol(), currentRow());
}

void MainWindow::insertRow() {
    m_session->insertRow(currentCol(), currentRow());
}

void MainWindow::deleteRow() {
    m_session->deleteRow(currentCol(), currentRow());
}

void MainWindow::saveSequence() {
    m_session->saveSequence();
}

void MainWindow::loadSequence() {
    m_session->loadSequence(currentCol(), currentRow());
}

void MainWindow::editSeriesCount() {
    m_session->editSeriesCount();
}

void MainWindow::editSeriesString() {
    m_session->editSeriesString();
}

void MainWindow::chooseInterface() {
    m_session->chooseInterface();
}

void MainWindow::choosePort() {
    m_session->choosePort();
}

void MainWindow::initInterface() {
    m_session->initInterface();
}

void MainWindow::chooseTargetWindow() {
    m_session->chooseTargetWindow();
}

void MainWindow::closeUnattended() {
    m_runner->endAll();
    m_unattended = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_session->shutDown(m_unattended);
    // Every other window is a child of this one and goes with it.
    const auto children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        if (child->isWindow())
            child->hide();
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == gridView) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_F2:
            case Qt::Key_Space:
                editCurrentCell();
                return true;
            default:
                break;
            }
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // Outside the cells, the double-click restarts the sequence as one on a cell does.
        if ((watched == gridView->viewport() && !gridView->indexAt(mouse->position().toPoint()).isValid()) ||
            watched == gridView->horizontalHeader()->viewport()) {
            m_session->restartSequence();
            return true;
        }
        if (watched == seriesCountLabel) {
            editSeriesCount();
            return true;
        }
        if (watched == seriesStringLabel) {
            editSeriesString();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace travek
