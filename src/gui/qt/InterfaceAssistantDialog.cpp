#include "gui/qt/InterfaceAssistantDialog.h"

#include "core/session/Dialogs.h"
#include "core/session/InterfaceAssistant.h"
#include "gui/qt/DialogRunner.h"
#include "gui/qt/PlainLabel.h"
#include "gui/qt/Win1252.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace travek {

namespace {

QPushButton* makeButton(const QString& text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    // Enter in a field sends, saves or closes nothing by surprise.
    button->setAutoDefault(false);
    return button;
}

QLineEdit* makeLineField(const char* objectName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setReadOnly(true);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return edit;
}

QPlainTextEdit* makeTextBox(const char* objectName, int lines, QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * lines + 12);
    return box;
}

// Sets a widget's value only when it differs, so that a field the user is typing in keeps its
// cursor and a selection stays.
void setText(QLineEdit* edit, const std::string& text) {
    const QString shown = fromWin1252(text);
    if (edit->text() != shown)
        edit->setText(shown);
}
void setText(QPlainTextEdit* box, const std::string& text) {
    const QString shown = fromWin1252(text);
    if (box->toPlainText() != shown)
        box->setPlainText(shown);
}
void setValue(QSpinBox* spin, int value) {
    if (spin->value() != value)
        spin->setValue(value);
}
void setIndex(QComboBox* box, int index) {
    if (box->currentIndex() != index)
        box->setCurrentIndex(index);
}

} // namespace

InterfaceAssistantDialog::InterfaceAssistantDialog(InterfaceAssistant& assistant, DialogRunner& runner,
                                                   QWidget* parent)
    : QDialog(parent), m_assistant(assistant), m_runner(runner) {
    setObjectName("InterfaceAssistant");
    setWindowTitle(QStringLiteral("Interface einrichten"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildConnection());
    layout->addWidget(buildLines(), 1);
    layout->addWidget(buildSelectedLine());
    layout->addWidget(buildChannels());
    hintsText = makeTextBox("Hints", 5, this);
    layout->addWidget(hintsText);
    layout->addWidget(buildSaving());

    m_assistant.onChanged = [this] { showAssistant(); };
    m_assistant.confirm = [this](const std::string& question) {
        return askYesNo(m_runner, this, fromWin1252(question));
    };
    m_assistant.showError = [this](const std::string& text) {
        runErrorBox(m_runner, this, fromWin1252(text));
    };
    resize(800, 720);
    showAssistant();
}

InterfaceAssistantDialog::~InterfaceAssistantDialog() {
    m_assistant.onChanged = nullptr;
    m_assistant.confirm = nullptr;
    m_assistant.showError = nullptr;
}

QWidget* InterfaceAssistantDialog::buildConnection() {
    auto* group = new QGroupBox(QStringLiteral("Verbindung"), this);
    auto* rows = new QVBoxLayout(group);
    auto* settings = new QHBoxLayout;
    auto addBox = [&](const QString& label, const char* name, const QStringList& entries) {
        auto* box = new QComboBox(group);
        box->setObjectName(name);
        box->addItems(entries);
        settings->addWidget(makeLabel(label, "", group));
        settings->addWidget(box);
        connect(box, &QComboBox::activated, this, &InterfaceAssistantDialog::connectionChanged);
        return box;
    };
    QStringList ports, rates, parities;
    for (const std::string& port : ComPortChoice::entries())
        ports << fromWin1252(port);
    for (int rate : DefinitionDraft::baudRates())
        rates << QString::number(rate);
    for (const std::string& parity : DefinitionDraft::parityNames())
        parities << fromWin1252(parity);
    portBox = addBox(QStringLiteral("Port"), "PortBox", ports);
    baudBox = addBox(QStringLiteral("Baud"), "BaudBox", rates);
    dataBitsBox = addBox(QStringLiteral("Datenbits"), "DataBitsBox", {"5", "6", "7", "8"});
    parityBox = addBox(QStringLiteral("Parit\u00e4t"), "ParityBox", parities);
    stopBitsBox = addBox(QStringLiteral("Stoppbits"), "StopBitsBox", {"1", "2"});
    rtsBox = new QCheckBox(QStringLiteral("RTS/CTS"), group);
    rtsBox->setObjectName("RtsBox");
    connect(rtsBox, &QCheckBox::clicked, this, &InterfaceAssistantDialog::connectionChanged);
    settings->addWidget(rtsBox);
    settings->addStretch(1);
    openButton = makeButton(QString(), "OpenButton", group);
    connect(openButton, &QPushButton::clicked, this, [this] { m_assistant.togglePort(); });
    settings->addWidget(openButton);
    rows->addLayout(settings);

    auto* start = new QHBoxLayout;
    start->addWidget(makeLabel(QStringLiteral("Oder beginnen mit der Definition"), "", group));
    templateBox = new QComboBox(group);
    templateBox->setObjectName("TemplateBox");
    for (const std::string& name : InterfaceAssistant::templates())
        templateBox->addItem(fromWin1252(name));
    start->addWidget(templateBox, 1);
    templateButton = makeButton(QStringLiteral("\u00dc&bernehmen"), "TemplateButton", group);
    templateButton->setEnabled(templateBox->count() > 0);
    connect(templateButton, &QPushButton::clicked, this,
            [this] { m_assistant.startFrom(toWin1252(templateBox->currentText())); });
    start->addWidget(templateButton);
    rows->addLayout(start);
    return group;
}

QWidget* InterfaceAssistantDialog::buildLines() {
    auto* group = new QGroupBox(
        QStringLiteral("Zeilen von der Box (TRAVEK liest die ersten 30 Zeichen, bis \u00a6)"), this);
    auto* layout = new QVBoxLayout(group);
    linesTable = new QTableWidget(0, 3, group);
    linesTable->setObjectName("LinesTable");
    linesTable->setHorizontalHeaderLabels(
        {QStringLiteral("Zeile"), QStringLiteral("Kanal"), fromWin1252(m_assistant.typedHeading())});
    linesTable->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    linesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    linesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    linesTable->setSelectionMode(QAbstractItemView::SingleSelection);
    linesTable->setWordWrap(false);
    linesTable->verticalHeader()->hide();
    linesTable->verticalHeader()->setDefaultSectionSize(linesTable->fontMetrics().height() + 4);
    linesTable->horizontalHeader()->setStretchLastSection(true);
    linesTable->setColumnWidth(0, linesTable->fontMetrics().horizontalAdvance(QString(46, 'M')));
    linesTable->setColumnWidth(1, linesTable->fontMetrics().horizontalAdvance(QString(12, 'M')));
    linesTable->setMinimumHeight(140);
    connect(linesTable, &QTableWidget::itemSelectionChanged, this, [this] {
        const int row = linesTable->currentRow();
        m_selectedNumber = row < 0 ? -1 : static_cast<std::ptrdiff_t>(m_assistant.firstEntryNumber()) + row;
        showSelectedLine();
    });
    layout->addWidget(linesTable);
    clearButton = makeButton(QStringLiteral("Liste &leeren"), "ClearButton", group);
    connect(clearButton, &QPushButton::clicked, this, [this] { m_assistant.clearLines(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(clearButton);
    layout->addLayout(buttons);
    return group;
}

QWidget* InterfaceAssistantDialog::buildSelectedLine() {
    auto* group =
        new QGroupBox(QStringLiteral("Gew\u00e4hlte Zeile: Wert und Kennung mit der Maus markieren"), this);
    auto* grid = new QGridLayout(group);
    rulerEdit = makeLineField("RulerEdit", group);
    rulerEdit->setText(fromWin1252(InterfaceAssistant::ruler()));
    lineEdit = makeLineField("LineEdit", group);
    marksEdit = makeLineField("MarksEdit", group);
    grid->addWidget(makeLabel(QStringLiteral("Stelle"), "", group), 0, 0);
    grid->addWidget(rulerEdit, 0, 1);
    grid->addWidget(makeLabel(QStringLiteral("Zeile"), "", group), 1, 0);
    grid->addWidget(lineEdit, 1, 1);
    grid->addWidget(makeLabel(QStringLiteral("^ Wert, ~ Kennung"), "", group), 2, 0);
    grid->addWidget(marksEdit, 2, 1);
    detailsText = makeTextBox("DetailsText", 2, group);
    grid->addWidget(detailsText, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    markValueButton = makeButton(QStringLiteral("Markierung ist der &Wert"), "MarkValueButton", group);
    markIdentifierButton = makeButton(QStringLiteral("Markierung ist die &Kennung des gew\u00e4hlten Kanals"),
                                      "MarkIdButton", group);
    // A click must leave the line's selection where it is: it is what the button takes.
    markValueButton->setFocusPolicy(Qt::NoFocus);
    markIdentifierButton->setFocusPolicy(Qt::NoFocus);
    connect(markValueButton, &QPushButton::clicked, this, [this] { mark(true); });
    connect(markIdentifierButton, &QPushButton::clicked, this, [this] { mark(false); });
    buttons->addWidget(markValueButton);
    buttons->addWidget(markIdentifierButton);
    buttons->addStretch(1);
    grid->addLayout(buttons, 4, 0, 1, 2);
    return group;
}

QWidget* InterfaceAssistantDialog::buildChannels() {
    auto* group = new QGroupBox(QStringLiteral("Wert und Kan\u00e4le"), this);
    auto* layout = new QHBoxLayout(group);
    auto* form = new QGridLayout;
    auto makeSpin = [&](const char* name, int min, int max) {
        auto* spin = new QSpinBox(group);
        spin->setObjectName(name);
        spin->setRange(min, max);
        return spin;
    };
    startSpin = makeSpin("StartSpin", 1, DefinitionDraft::MaxPosition);
    endSpin = makeSpin("EndSpin", 1, DefinitionDraft::MaxPosition);
    countSpin = makeSpin("CountSpin", 1, MaxChannels);
    endCharSpin = makeSpin("EndCharSpin", 0, 255);
    disableAllEdit = new QLineEdit(group);
    disableAllEdit->setObjectName("DisableAllEdit");
    sendAllButton = makeButton(QStringLiteral("Sen&den"), "SendAllButton", group);
    form->addWidget(makeLabel(QStringLiteral("Wert von Stelle (STARTPOS)"), "", group), 0, 0);
    form->addWidget(startSpin, 0, 1);
    form->addWidget(makeLabel(QStringLiteral("bis Stelle (ENDPOS)"), "", group), 1, 0);
    form->addWidget(endSpin, 1, 1);
    form->addWidget(makeLabel(QStringLiteral("Kan\u00e4le (CNTCH)"), "", group), 2, 0);
    form->addWidget(countSpin, 2, 1);
    form->addWidget(makeLabel(QStringLiteral("Alle aus (DISALL)"), "", group), 3, 0);
    form->addWidget(disableAllEdit, 3, 1);
    form->addWidget(sendAllButton, 3, 2);
    form->addWidget(makeLabel(QStringLiteral("Endezeichen (ENDCHAR1, 13 = CR)"), "", group), 4, 0);
    form->addWidget(endCharSpin, 4, 1);
    layout->addLayout(form);

    auto* channels = new QGridLayout;
    channelList = new QListWidget(group);
    channelList->setObjectName("ChannelList");
    channelList->setMinimumWidth(260);
    identifierEdit = new QLineEdit(group);
    identifierEdit->setObjectName("IdentifierEdit");
    identifierEdit->setMinimumWidth(100);
    commandEdit = new QLineEdit(group);
    commandEdit->setObjectName("CommandEdit");
    commandEdit->setMinimumWidth(100);
    sendButton = makeButton(QStringLiteral("Se&nden"), "SendButton", group);
    channels->addWidget(channelList, 0, 0, 1, 3);
    channels->addWidget(makeLabel(QStringLiteral("Kennung (MW_SIGN)"), "", group), 1, 0);
    channels->addWidget(identifierEdit, 1, 1);
    channels->addWidget(makeLabel(QStringLiteral("Befehl (MWI_SIGN, #13 = CR)"), "", group), 2, 0);
    channels->addWidget(commandEdit, 2, 1);
    channels->addWidget(sendButton, 2, 2);
    layout->addLayout(channels, 1);

    auto positions = [this] {
        if (!m_showing)
            m_assistant.setValuePositions(startSpin->value(), endSpin->value());
    };
    connect(startSpin, &QSpinBox::valueChanged, this, positions);
    connect(endSpin, &QSpinBox::valueChanged, this, positions);
    connect(countSpin, &QSpinBox::valueChanged, this, [this](int count) {
        if (!m_showing)
            m_assistant.setChannelCount(count);
    });
    connect(endCharSpin, &QSpinBox::valueChanged, this, [this](int code) {
        if (!m_showing)
            m_assistant.setEndCharacter(code);
    });
    connect(disableAllEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_assistant.setDisableAllCommand(toWin1252(text)); });
    connect(sendAllButton, &QPushButton::clicked, this, [this] { m_assistant.sendDisableAll(); });
    connect(channelList, &QListWidget::currentRowChanged, this, [this] {
        if (!m_showing)
            showChannels();
    });
    connect(identifierEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_assistant.setIdentifier(selectedChannel(), toWin1252(text)); });
    connect(commandEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_assistant.setCommand(selectedChannel(), toWin1252(text)); });
    connect(sendButton, &QPushButton::clicked, this,
            [this] { m_assistant.sendChannelCommand(selectedChannel()); });
    return group;
}

QWidget* InterfaceAssistantDialog::buildSaving() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    nameEdit = new QLineEdit(row);
    nameEdit->setObjectName("NameEdit");
    nameEdit->setMaxLength(static_cast<int>(DefinitionDraft::MaxNameLength));
    saveButton = makeButton(QStringLiteral("&Speichern"), "SaveButton", row);
    closeButton = makeButton(QStringLiteral("Schlie\u00dfen"), "CloseButton", row);
    layout->addWidget(makeLabel(QStringLiteral("Name"), "", row));
    layout->addWidget(nameEdit, 1);
    layout->addWidget(makeLabel(QStringLiteral(".VAL im Arbeitsordner"), "", row));
    layout->addWidget(saveButton);
    layout->addWidget(closeButton);
    connect(nameEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_assistant.setName(toWin1252(text)); });
    connect(saveButton, &QPushButton::clicked, this, [this] {
        if (m_assistant.save() == InterfaceAssistant::Saved::YesAndSwitch)
            accept();
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    return row;
}

void InterfaceAssistantDialog::connectionChanged() {
    if (m_showing)
        return;
    InterfaceAssistant::Connection connection;
    connection.port = portBox->currentIndex() + 1;
    connection.baud =
        DefinitionDraft::baudRates().at(static_cast<std::size_t>(std::max(0, baudBox->currentIndex())));
    connection.dataBits = dataBitsBox->currentIndex() + 5;
    connection.parity = parityBox->currentIndex();
    connection.stopBits = stopBitsBox->currentIndex() + 1;
    connection.rts = rtsBox->isChecked();
    m_assistant.setConnection(connection);
}

void InterfaceAssistantDialog::showAssistant() {
    m_showing = true;
    const DefinitionDraft& draft = m_assistant.draft();
    const InterfaceAssistant::Connection& connection = draft.connection;
    const auto& rates = DefinitionDraft::baudRates();
    setIndex(portBox, connection.port - 1);
    setIndex(baudBox,
             static_cast<int>(std::find(rates.begin(), rates.end(), connection.baud) - rates.begin()));
    setIndex(dataBitsBox, connection.dataBits - 5);
    setIndex(parityBox, connection.parity);
    setIndex(stopBitsBox, connection.stopBits - 1);
    rtsBox->setChecked(connection.rts);
    openButton->setText(m_assistant.portOpen() ? QStringLiteral("Port schlie\u00df&en")
                                               : QStringLiteral("Port \u00f6&ffnen"));
    setValue(startSpin, draft.valueStart);
    setValue(endSpin, draft.valueEnd);
    setValue(countSpin, draft.channelCount);
    setValue(endCharSpin, std::clamp(draft.endCharacter, 0, 255));
    setText(disableAllEdit, draft.disableAll);
    setText(nameEdit, m_assistant.name());
    showLines();
    showChannels();
    std::string hints;
    for (const std::string& hint : m_assistant.hints())
        hints += (hints.empty() ? "" : "\n") + hint;
    setText(hintsText, hints);
    m_showing = false;
}

void InterfaceAssistantDialog::showLines() {
    const std::vector<InterfaceAssistant::Row> rows = m_assistant.rows();
    // New lines stay in sight, unless the user is looking at one.
    const QScrollBar* bar = linesTable->verticalScrollBar();
    const bool followEnd = selectedRow() < 0 && bar->value() >= bar->maximum();
    {
        const QSignalBlocker quiet(linesTable);
        linesTable->setRowCount(static_cast<int>(rows.size()));
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            const InterfaceAssistant::Row& row = rows[static_cast<std::size_t>(r)];
            const std::string* texts[] = {&row.text, &row.channel, &row.typed};
            for (int c = 0; c < 3; ++c) {
                QTableWidgetItem* item = linesTable->item(r, c);
                if (!item) {
                    item = new QTableWidgetItem;
                    linesTable->setItem(r, c, item);
                }
                const QString text = fromWin1252(*texts[c]);
                if (item->text() != text)
                    item->setText(text);
            }
        }
        const int selected = selectedRow();
        if (selected < 0)
            linesTable->clearSelection();
        else if (linesTable->currentRow() != selected)
            linesTable->selectRow(selected);
    }
    if (followEnd)
        linesTable->scrollToBottom();
    showSelectedLine();
}

int InterfaceAssistantDialog::selectedRow() const {
    const std::ptrdiff_t row = m_selectedNumber - static_cast<std::ptrdiff_t>(m_assistant.firstEntryNumber());
    return m_selectedNumber < 0 || row < 0 || row >= linesTable->rowCount() ? -1 : static_cast<int>(row);
}

void InterfaceAssistantDialog::selectRow(int row) {
    linesTable->selectRow(row);
}

void InterfaceAssistantDialog::showSelectedLine() {
    const int row = selectedRow();
    const QTableWidgetItem* item = row < 0 ? nullptr : linesTable->item(row, 0);
    const QString text = item ? item->text() : QString();
    if (lineEdit->text() != text)
        lineEdit->setText(text);
    setText(marksEdit, m_assistant.marks(row));
    setText(detailsText, m_assistant.details(row));
}

int InterfaceAssistantDialog::selectedChannel() const {
    return std::max(channelList->currentRow(), 0) + 1;
}

void InterfaceAssistantDialog::showChannels() {
    const std::vector<std::string> entries = m_assistant.channelEntries();
    {
        const QSignalBlocker quiet(channelList);
        while (channelList->count() > static_cast<int>(entries.size()))
            delete channelList->takeItem(channelList->count() - 1);
        while (channelList->count() < static_cast<int>(entries.size()))
            channelList->addItem(QString());
        for (int i = 0; i < channelList->count(); ++i) {
            const QString text = fromWin1252(entries[static_cast<std::size_t>(i)]);
            if (channelList->item(i)->text() != text)
                channelList->item(i)->setText(text);
        }
        if (channelList->currentRow() < 0 && channelList->count() > 0)
            channelList->setCurrentRow(0);
    }
    const InterfaceAssistant::Channel& channel =
        m_assistant.draft().channels[static_cast<std::size_t>(selectedChannel())];
    setText(identifierEdit, channel.identifier);
    setText(commandEdit, channel.command);
}

void InterfaceAssistantDialog::mark(bool value) {
    const int row = selectedRow();
    const int first = lineEdit->selectionStart();
    const int last = first < 0 ? -1 : first + static_cast<int>(lineEdit->selectedText().size()) - 1;
    if (value)
        m_assistant.markValue(row, first, last);
    else
        m_assistant.markIdentifier(row, first, last, selectedChannel());
}

} // namespace travek
