#include "TForm1.h"

#include "FileIo.h"
#include "GridFile.h"
#include "GridTableModel.h"
#include "IniFile.h"
#include "InterfaceActivation.h"
#include "IoError.h"
#include "KeyOutput.h"
#include "PlainLabel.h"
#include "PortControl.h"
#include "ProgramState.h"
#include "SeriesFile.h"
#include "StringSplitter.h"
#include "TGetCount1.h"
#include "TRS232SERVICE.h"
#include "TSelIfDlg.h"
#include "TSel_channel.h"
#include "TSel_key.h"
#include "TSerialPortDriver.h"
#include "TextHelpers.h"
#include "Tsel_com.h"
#include "Win1252.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

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

const QString ScriptFilter = QStringLiteral("TRAVEK Skriptdateien (*.abl)");

// File names from the file dialogs are names of the local file system, not program texts.
std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The series file that goes with a sequence file: its name without the folder, ".pst" appended,
// in the working directory.
std::string seriesFileFor(const QString& sequenceFile) {
    return localPath(QStringLiteral("./") + QFileInfo(sequenceFile).fileName() + QStringLiteral(".pst"));
}

// IoError texts are the program's own messages or the system's, not 8-bit file texts.
QString errorText(const IoError& error) {
    return QString::fromUtf8(error.what());
}

} // namespace

TForm1::TForm1(ProgramState& state, TSplitStrings& splitter, std::shared_ptr<DialogRunner> runner,
               QWidget* parent)
    : QMainWindow(parent), m_state(state), m_splitter(splitter),
      m_runner(runner ? std::move(runner) : std::make_shared<DialogRunner>()), m_grid(3, 2, 1, 1) {
    setObjectName("Form1");
    setWindowTitle("TRAVEK v1.01");
    m_gridModel = new GridTableModel(m_grid, this);
    buildWindow();
    buildMenus();

    SerialPortDriver1 = new TSerialPortDriver(this);
    SerialPortDriver1->setComPortPollingDelay(0);
    m_receiveHandler = std::make_unique<ReceiveHandler>(
        m_state.Definition, SequenceTable, m_state.Series, m_state.NK, m_splitter,
        ReceiveHandler::Outputs{[this](std::string_view keys) {
                                    if (m_keys)
                                        m_keys->SendKeys(keys);
                                },
                                [this](int panel, const std::string& text) { setPanelText(panel, fromWin1252(text)); }});
    SerialPortDriver1->OnReceiveData = [this](QObject*, const void* data, std::int32_t size) {
        m_receiveHandler->SerialPortDriver1ReceiveData(data, size);
    };
    connect(SerialPortDriver1, &TSerialPortDriver::portLost, this, &TForm1::onPortLost);

    // Started only once every window exists (scheduleStartUp): an error box shown while the
    // window is being created runs an event loop of its own, and the start-up must not run
    // inside it before the other windows are there.
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    FormCreate();
}

TForm1::~TForm1() {
    // The grid member dies before the base class deletes the child widgets; the view and the
    // model that watch the grid must go first.
    SAGScript->setModel(nullptr);
    delete m_gridModel;
    m_gridModel = nullptr;
}

void TForm1::dispatchWhileTyping() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QFont TForm1::designFont() {
    if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif")))
        return QFont(QStringLiteral("MS Sans Serif"), 8);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(9);
    return font;
}

void TForm1::buildWindow() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PanelActive = makeLabel("-", "PanelActive", central);
    PanelActive->setFixedHeight(26);
    PanelActive->setAlignment(Qt::AlignCenter);
    PanelActive->setFrameStyle(QFrame::Panel | QFrame::Raised);
    QFont panelFont(QStringLiteral("Arial"));
    panelFont.setPixelSize(16);
    panelFont.setBold(true);
    PanelActive->setFont(panelFont);
    QPalette panelPalette = PanelActive->palette();
    panelPalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    PanelActive->setPalette(panelPalette);
    layout->addWidget(PanelActive);

    SAGScript = new QTableView(central);
    SAGScript->setObjectName("SAGScript");
    SAGScript->setModel(m_gridModel);
    SAGScript->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SAGScript->setSelectionBehavior(QAbstractItemView::SelectItems);
    SAGScript->setSelectionMode(QAbstractItemView::ContiguousSelection);
    SAGScript->setWordWrap(false);
    SAGScript->setTabKeyNavigation(false);
    SAGScript->verticalHeader()->hide();
    SAGScript->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SAGScript->verticalHeader()->setDefaultSectionSize(20);
    SAGScript->verticalHeader()->setMinimumSectionSize(20);
    SAGScript->horizontalHeader()->setHighlightSections(false);
    SAGScript->horizontalHeader()->setSectionsClickable(false);
    SAGScript->horizontalHeader()->setStretchLastSection(true);
    SAGScript->setContextMenuPolicy(Qt::CustomContextMenu);
    SAGScript->setMinimumHeight(155);
    m_gridModel->setColumnBackground(2, fromColourRef(KeyColumnColour));
    layout->addWidget(SAGScript, 1);

    auto* bottom = new QWidget(central);
    bottom->setObjectName("PanelBottom");
    bottom->setFixedHeight(24);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(4, 2, 4, 2);
    bottomLayout->setSpacing(4);
    Label3 = makeLabel("Nach", "Label3", bottom);
    Label_valX_count = makeLabel("[ ]", "Label_valX_count", bottom);
    Label_valX_count->setFixedWidth(41);
    Label_valX_count->setAlignment(Qt::AlignCenter);
    setBackground(Label_valX_count, Qt::white);
    Label_string = makeLabel(QString(), "Label_string", bottom);
    Label_string->setMinimumWidth(326);
    setBackground(Label_string, fromColourRef(KeyColumnColour));
    bottomLayout->addWidget(Label3);
    bottomLayout->addWidget(Label_valX_count);
    bottomLayout->addWidget(Label_string, 1);
    Label_valX_count->installEventFilter(this);
    Label_string->installEventFilter(this);
    layout->addWidget(bottom);

    setCentralWidget(central);

    sb1 = new QStatusBar(this);
    sb1->setObjectName("sb1");
    sb1->setSizeGripEnabled(false);
    for (int i = 0; i < PanelCount; ++i) {
        QLabel* panel = makeLabel(QString(), qPrintable(QStringLiteral("sb1Panel%1").arg(i)), sb1);
        panel->setMinimumWidth(50);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        sb1->addWidget(panel, i + 1 == PanelCount ? 1 : 0);
        m_panels[static_cast<std::size_t>(i)] = panel;
    }
    setStatusBar(sb1);

    const QFontMetrics metrics(SAGScript->horizontalHeader()->font());
    SAGScript->setColumnWidth(0, std::max(30, metrics.horizontalAdvance(QStringLiteral("Step")) + 12));
    SAGScript->setColumnWidth(1, std::max(44, metrics.horizontalAdvance(QStringLiteral("Kanal")) + 12));
    resize(435, 290);

    connect(SAGScript, &QAbstractItemView::doubleClicked, this, &TForm1::SAGScriptDblClick);
    connect(SAGScript, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(SAGScript->viewport()->mapToGlobal(pos)); });
    // The step numbers cannot be selected: a click there picks the channel cell of the same row.
    connect(SAGScript->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.column() < m_grid.fixedCols())
                    SAGScript->selectionModel()->setCurrentIndex(
                        current.sibling(current.row(), m_grid.fixedCols()),
                        QItemSelectionModel::ClearAndSelect);
            });
}

void TForm1::buildMenus() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");
    QMenu* datei = MainMenu1->addMenu("&Datei");
    Speichern1 = datei->addAction("&Speichern", this, &TForm1::Speichern1Click);
    Laden1 = datei->addAction("&Laden", this, &TForm1::Laden1Click);
    Beenden1 = datei->addAction("&Beenden", this, &QWidget::close);
    QMenu* einstellungen = MainMenu1->addMenu("&Einstellungen");
    Interface1 = einstellungen->addAction("&Interface", this, &TForm1::Interface1Click);
    Comport1 = einstellungen->addAction("&Comport", this, &TForm1::Comport1Click);
    InitInteface1 = einstellungen->addAction("&Init Interface", this, &TForm1::InitInteface1Click);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    Zeileeinfgen1 = PopupMenu1->addAction("Zeile &einfügen", this, &TForm1::Zeileeinfgen1Click);
    Zeileentfernen1 = PopupMenu1->addAction("Zeile ent&fernen", this, &TForm1::Zeileentfernen1Click);
}

void TForm1::setDialogRunner(std::shared_ptr<DialogRunner> runner) {
    m_runner = runner ? std::move(runner) : std::make_shared<DialogRunner>();
}

void TForm1::setPanelText(int index, const QString& text) {
    m_panels.at(static_cast<std::size_t>(index))->setText(text);
}

QString TForm1::panelText(int index) const {
    return m_panels.at(static_cast<std::size_t>(index))->text();
}

int TForm1::currentCol() const {
    const QModelIndex current = SAGScript->currentIndex();
    return current.isValid() ? current.column() : m_grid.fixedCols();
}

int TForm1::currentRow() const {
    const QModelIndex current = SAGScript->currentIndex();
    if (current.isValid())
        return m_gridModel->gridRow(current);
    return m_grid.rowCount() > m_grid.fixedRows() ? m_grid.fixedRows() : -1;
}

void TForm1::setCurrentCell(int col, int row) {
    const QModelIndex index = m_gridModel->indexOf(col, row);
    if (index.isValid())
        SAGScript->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void TForm1::showError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Fehler"), text, QMessageBox::Ok, this);
    box.setObjectName("ErrorBox");
    // Error texts quote file names and file contents: never rendered as markup.
    box.setTextFormat(Qt::PlainText);
    m_runner->run(box);
}

void TForm1::showValXCount() {
    Label_valX_count->setText(QStringLiteral("[") + QString::number(m_state.Series.ValXCount) +
                              QStringLiteral("]"));
}

void TForm1::showSeriesString() {
    Label_string->setText(fromWin1252(m_state.Series.SeriesString));
}

void TForm1::FormCreate() {
    m_gridModel->beginBatch();
    m_grid.setCell(0, 0, "Step");
    m_grid.setCell(1, 0, "Kanal");
    m_grid.setCell(2, 0, "Taste(n)");
    m_grid.setRowCount(GridRows);
    for (int row = 1; row < GridRows; ++row)
        m_grid.setCell(0, row, IntToStr(row));
    m_gridModel->endBatch();
    loadSavedSequence();
    GetCountClick();
    FillChannelsClick();
    setCurrentCell(1, 1);
}

void TForm1::loadSavedSequence() {
    if (!FileExists(SequenceFileName))
        return;
    m_gridModel->beginBatch();
    LoadGridFromFile(m_grid, SequenceFileName, m_splitter.SplitSeparator);
    m_gridModel->endBatch();
    // After a failed read the grid is loaded all the same, and the running sequence is still
    // refreshed from it.
    if (FileExists(SeriesFileName) && readSeriesSettings(SeriesFileName)) {
        showSeriesString();
        showValXCount();
    }
}

bool TForm1::readSeriesSettings(const std::string& file) {
    try {
        const SeriesFileContent series = ReadSeriesFile(file);
        m_state.Series.ValXCount = series.ValXCount;
        m_state.Series.SeriesString = series.SeriesString;
        return true;
    } catch (const IoError& error) {
        showError(errorText(error));
        return false;
    }
}

void TForm1::GetCountClick() {
    travek::GetCountClick(m_grid, SequenceTable);
    setPanelText(2, QString::number(SequenceTable.StepCount));
    setPanelText(3, QString::number(SequenceTable.CurrentStep));
}

void TForm1::FillChannelsClick() {
    travek::FillChannelsClick(m_grid, SequenceTable, m_splitter.SplitSeparator);
}

bool TForm1::editKeyString(const std::string& keyString, std::size_t maxLength, std::string& edited) {
    TSel_key* dialog = m_windows.Sel_key;
    if (!dialog)
        return false;
    dialog->setLengthLimit(m_splitter.SplitSeparator, maxLength);
    m_splitter.Edit1 = keyString;
    m_splitter.SplitClick();
    dialog->setEntries(m_splitter.SplitResults);
    if (m_runner->run(*dialog) != QDialog::Accepted)
        return false;
    edited = m_splitter.Join(dialog->entries());
    return true;
}

void TForm1::SAGScriptDblClick() {
    const int col = currentCol();
    const int row = currentRow();
    if (row >= m_grid.fixedRows() && row < m_grid.rowCount()) {
        if (col == 1 && m_windows.Sel_channel) {
            if (m_runner->run(*m_windows.Sel_channel) == QDialog::Accepted) {
                m_grid.setCell(1, row, IntToStr(m_windows.Sel_channel->selectedPosition() + 1));
                // The channel commands sent at initialisation depend on the channels in the grid.
                PanelActive->setText("Init Interface notwendig");
            }
        } else if (col == 2) {
            std::string edited;
            if (editKeyString(m_grid.cell(2, row), MaxStepKeysLength, edited))
                m_grid.setCell(2, row, std::move(edited));
        }
    }
    // Whatever happened, the running copy is refreshed and starts again at step 1.
    GetCountClick();
    FillChannelsClick();
}

void TForm1::Zeileeinfgen1Click() {
    const int col = currentCol();
    const int at = currentRow();
    const int last = m_grid.rowCount() - 1;
    if (at < m_grid.fixedRows() || at > last)
        return;
    for (int row = last; row > at; --row) {
        m_grid.setCell(1, row, m_grid.cell(1, row - 1));
        m_grid.setCell(2, row, m_grid.cell(2, row - 1));
    }
    m_grid.setCell(1, at, std::string());
    m_grid.setCell(2, at, std::string());
    setCurrentCell(col, at);
}

void TForm1::Zeileentfernen1Click() {
    const int col = currentCol();
    const int at = currentRow();
    const int last = m_grid.rowCount() - 1;
    if (at < m_grid.fixedRows() || at > last)
        return;
    for (int row = at; row < last; ++row) {
        m_grid.setCell(1, row, m_grid.cell(1, row + 1));
        m_grid.setCell(2, row, m_grid.cell(2, row + 1));
    }
    m_grid.setCell(1, last, std::string());
    m_grid.setCell(2, last, std::string());
    setCurrentCell(col, at);
}

QString TForm1::chooseScriptFile(bool save) {
    QFileDialog dialog(this, QString(), QDir::currentPath(), ScriptFilter);
    dialog.setObjectName(save ? "SaveDialog1" : "OpenDialog1");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("abl");
    if (save)
        dialog.selectFile("ablauf.abl");
    if (m_runner->run(dialog) != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void TForm1::Speichern1Click() {
    const QString file = chooseScriptFile(true);
    if (file.isEmpty())
        return;
    try {
        SaveGridToFile(m_grid, localPath(file));
        WriteSeriesFile(seriesFileFor(file), m_state.Series.ValXCount, m_state.Series.SeriesString);
    } catch (const IoError& error) {
        showError(errorText(error));
    }
}

void TForm1::Laden1Click() {
    const QString file = chooseScriptFile(false);
    if (file.isEmpty())
        return;

    m_state.Series.ValXCount = 0;
    m_state.Series.SeriesString.clear();
    const int col = currentCol();
    const int row = currentRow();
    m_gridModel->beginBatch();
    LoadGridFromFile(m_grid, localPath(file), m_splitter.SplitSeparator);
    m_gridModel->endBatch();
    setCurrentCell(col, std::clamp(row, m_grid.fixedRows(), m_grid.rowCount() - 1));

    const std::string seriesFile = seriesFileFor(file);
    if (FileExists(seriesFile))
        readSeriesSettings(seriesFile);
    // Shown also after a failed read, so that the labels never claim settings that were dropped.
    showSeriesString();
    showValXCount();
}

void TForm1::Label_valX_countDblClick() {
    TGetCount1* dialog = m_windows.GetCount1;
    if (!dialog)
        return;
    dialog->Edit1->setText(QString::number(m_state.Series.ValXCount));
    if (m_runner->run(*dialog) != QDialog::Accepted)
        return;
    m_state.Series.ValXCount = dialog->Value;
    showValXCount();
}

void TForm1::Label_stringDblClick() {
    std::string edited;
    if (!editKeyString(m_state.Series.SeriesString, 0, edited))
        return;
    m_state.Series.SeriesString = std::move(edited);
    showSeriesString();
}

bool TForm1::reopenPort() {
    return ReopenPort(*SerialPortDriver1, m_state.Definition,
                      [this](const std::string& message) { showError(fromWin1252(message)); });
}

void TForm1::showCaption() {
    setWindowTitle(fromWin1252(m_state.BaseCaption) + QStringLiteral("  ") +
                   fromWin1252(m_state.Definition.InterfaceName));
}

void TForm1::onPortLost() {
    // The adapter was pulled or the device went away: the driver has closed the port.
    setPanelText(0, QStringLiteral("COM ?"));
    PanelActive->setText(QStringLiteral("Comport ??"));
}

void TForm1::Interface1Click() {
    if (!m_windows.SelIfDlg || m_runner->run(*m_windows.SelIfDlg) != QDialog::Accepted)
        return;
    InterfaceDefinition& definition = m_state.Definition;
    LoadInterfaceDefinition(definition, definition.InterfaceName + ".VAL");
    setPanelText(1, fromWin1252(definition.InterfaceName));
    reopenPort();
    SetChannelsClick();
    InitInteface1Click();
    setPanelText(0, QStringLiteral("DONE"));
    showCaption();
}

void TForm1::Comport1Click() {
    if (!m_windows.sel_com)
        return;
    m_windows.sel_com->prepare();
    if (m_runner->run(*m_windows.sel_com) != QDialog::Accepted)
        return;
    setPanelText(0, QStringLiteral("COM ?"));
    InterfaceDefinition& definition = m_state.Definition;
    // The whole definition is read again, so the port used is the one that the file now holds.
    LoadInterfaceDefinition(definition, definition.InterfaceName + ".VAL");
    if (reopenPort())
        setPanelText(0, QStringLiteral("COM %1").arg(definition.ComPortNumber));
    InitInteface1Click();
}

void TForm1::SetChannelsClick() {
    if (!m_windows.Sel_channel)
        return;
    std::vector<std::string> entries;
    for (int n = 1; n <= m_state.Definition.ChannelCount; ++n)
        entries.push_back("Kanal " + IntToStr(n));
    m_windows.Sel_channel->setChannels(entries);
}

void TForm1::InitInteface1Click() {
    PanelActive->setText(QStringLiteral("Init"));
    if (!SerialPortDriver1->IsPortOpen()) {
        PanelActive->setText(QStringLiteral("Comport ??"));
        return;
    }
    for (const InitCommand& command : InitCommands(m_state.Definition, m_grid)) {
        SendCommand(*SerialPortDriver1, command.text, [this](const std::string& text) {
            if (m_windows.RS232SERVICE)
                m_windows.RS232SERVICE->setOutput(text);
        });
        // The box needs the time to switch the channel on before the next command.
        if (command.pauseAfter)
            QThread::msleep(100);
    }
    PanelActive->setText(QStringLiteral("Active"));
}

void TForm1::scheduleStartUp() {
    if (!m_startUpScheduled) {
        m_startUpScheduled = true;
        Timer1->start();
    }
}

void TForm1::Timer1Timer() {
    Timer1->stop();
    InterfaceDefinition& definition = m_state.Definition;
    const IniFile settings = IniFile::load(FindPathIgnoreCase(SettingsFileName));
    definition.InterfaceName = settings.readString("PARAMETER", "INTERFACE", definition.InterfaceName);
    m_state.NK = static_cast<std::uint8_t>(settings.readInteger("PARAMETER", "NK", m_state.NK) & 0xFF);
    setPanelText(0, QStringLiteral("COM ?"));
    LoadInterfaceDefinition(definition, definition.InterfaceName + ".VAL");
    setPanelText(1, fromWin1252(definition.InterfaceName));
    if (reopenPort())
        setPanelText(0, QStringLiteral("COM %1").arg(definition.ComPortNumber));
    SetChannelsClick();
    InitInteface1Click();
    m_state.BaseCaption = toWin1252(windowTitle());
    showCaption();
    showValXCount();
}

void TForm1::FormDestroy() {
    if (m_destroyed)
        return;
    m_destroyed = true;
    // Each file is written on its own: one that cannot be written must not cost the others.
    QStringList errors;
    auto attempt = [&errors](const QString& file, const auto& write) {
        try {
            write();
        } catch (const IoError& error) {
            errors << file + QStringLiteral(": ") + errorText(error);
        }
    };
    attempt(QStringLiteral("ablauf.abl"), [this] { SaveGridToFile(m_grid, SequenceFileName); });
    attempt(QString::fromLatin1(SettingsFileName), [this] {
        IniFile::writeValue(FindPathIgnoreCase(SettingsFileName), "PARAMETER", "INTERFACE",
                            m_state.Definition.InterfaceName);
    });
    attempt(QStringLiteral("ablauf.pst"),
            [this] { WriteSeriesFile(SeriesFileName, m_state.Series.ValXCount, m_state.Series.SeriesString); });
    if (!errors.isEmpty() && m_unattended)
        std::fprintf(stderr, "travek: %s\n", qPrintable(errors.join(QStringLiteral("\ntravek: "))));
    else if (!errors.isEmpty())
        showError(errors.join(QLatin1Char('\n')));
    SerialPortDriver1->ClosePort();
}

void TForm1::closeUnattended() {
    m_unattended = true;
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    FormDestroy();
    // Every other window is a child of this one and goes with it.
    const auto children = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        if (child->isWindow())
            child->hide();
    event->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == Label_valX_count) {
            Label_valX_countDblClick();
            return true;
        }
        if (watched == Label_string) {
            Label_stringDblClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace travek
