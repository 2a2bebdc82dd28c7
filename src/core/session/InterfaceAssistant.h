#pragma once

#include "core/gauge/InterfaceDefinition.h"
#include "core/loop/EventLoop.h"
#include "core/serial/SerialPort.h"
#include "core/session/AssistantLines.h"
#include "core/session/DefinitionDraft.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace travek {

// "Interface einrichten": makes an interface definition (NAME.VAL) for a box by looking at what it
// sends. The assistant opens the box's port with the settings the user picks, lists the lines that
// arrive, and for each says which channel TRAVEK takes it for and what it would type. Everything it
// shows is computed from the definition file it would write, read back by the loader and the line
// reader that the program itself uses: what the assistant shows is what TRAVEK will do. Nothing is
// written before save().
class InterfaceAssistant {
public:
    // A box that has sent nothing this long after the port opened is said to be silent.
    static constexpr std::chrono::milliseconds SilenceLimit{5000};
    using Connection = DefinitionDraft::Connection;
    using Channel = DefinitionDraft::Channel;
    using Row = AssistantLines::Row;
    enum class Saved { No, Yes, YesAndSwitch };

    // Starts from current's definition file when there is one, else from the defaults with
    // current's port, and opens the port. decimals: the NK that values are typed with.
    InterfaceAssistant(EventLoop& loop, std::unique_ptr<SerialDevice> device,
                       const InterfaceDefinition& current, std::uint8_t decimals);
    ~InterfaceAssistant();
    InterfaceAssistant(const InterfaceAssistant&) = delete;
    InterfaceAssistant& operator=(const InterfaceAssistant&) = delete;

    // The view's part: show everything again; ask a yes/no question (no view: no); the error box.
    std::function<void()> onChanged;
    std::function<bool(const std::string& question)> confirm;
    std::function<void(const std::string& text)> showError;

    // The interface names of the definition files in the working folder.
    static std::vector<std::string> templates();
    // Takes over NAME.VAL of the working folder: its settings, and every key of it that the
    // assistant does not set, which the saved file keeps.
    void startFrom(const std::string& name);

    // The settings as given so far, the file they make and the definition TRAVEK reads from it.
    const DefinitionDraft& draft() const { return m_draft; }
    const Connection& connection() const { return m_draft.connection; }
    // Reopens the port with the new settings when it is open.
    void setConnection(const Connection& connection);
    void openPort();
    void closePort();
    // Closes an open port, opens a closed one.
    void togglePort();
    bool portOpen() const { return m_port.isOpen(); }

    // The value's first and last character, counted from 1 (STARTPOS and ENDPOS).
    void setValuePositions(int start, int end);

    void setChannelCount(int count);
    // n from 1 to the channel count.
    void setIdentifier(int n, std::string identifier);
    void setCommand(int n, std::string command);
    void setDisableAllCommand(std::string command);
    void setEndCharacter(int code);
    // "Kanal 1: Kennung „A“, Befehl „E1“" for each channel.
    std::vector<std::string> channelEntries() const;
    // Sends the command with the end character, as the initialisation does; it is listed.
    void sendChannelCommand(int n);
    void sendDisableAll();

    // Bytes from the box (the port's receive path calls it).
    void receive(std::string_view bytes);
    void clearLines();
    // The number of the first entry listed: entries keep their numbers while older ones go.
    std::size_t firstEntryNumber() const { return m_lines.firstNumber(); }
    std::vector<Row> rows() const;
    // "TRAVEK tippt (NK 3)": the heading of the typed values.
    std::string typedHeading() const;
    // The positions 1 to 30: "....:....1....:....2....:....3".
    static std::string ruler();
    // Under row's text: "^" under the value, "~" under the identifier that names its channel.
    std::string marks(int row) const;
    // The row's bytes as they came, and how TRAVEK reads them.
    std::string details(int row) const;
    // The user marked the characters first..last (0-based, in the row's text) as the value, or as
    // the identifier of channel n.
    void markValue(int row, int first, int last);
    void markIdentifier(int row, int first, int last, int n);

    // What to look at now, one sentence each: the port, what came from it, what the definition
    // would do wrong or cannot store, and what the last action could not do.
    std::vector<std::string> hints() const;

    const std::string& name() const { return m_name; }
    void setName(std::string name);
    // "Speichern": writes NAME.VAL in the working folder after asking before it replaces a file,
    // then offers to switch to it. Refused (with the error box) for a bad name or a definition
    // that cannot be stored.
    Saved save();
    // The interface to switch to once the assistant has closed; empty for none.
    const std::string& switchTo() const { return m_switchTo; }
    bool savedAny() const { return m_savedAny; }

private:
    const InterfaceDefinition& definition() const { return m_draft.definition(); }
    // The draft changed: the file anew, and everything shown.
    void update();
    void changed();
    void send(const std::string& command);
    // The characters of row that TRAVEK reads; false (with a note) when the marked ones are not
    // all among them.
    bool markedText(int row, int first, int last, std::string& text);
    std::string portName() const;

    EventLoop& m_loop;
    std::uint8_t m_decimals;
    SerialPort m_port;
    bool m_portWanted = true;
    std::string m_portMessage;

    DefinitionDraft m_draft;
    std::string m_name;

    AssistantLines m_lines;
    bool m_silent = false;
    EventLoop::Task m_silence;
    // What the last action could not do; cleared by the next one.
    std::string m_note;

    std::string m_switchTo;
    bool m_savedAny = false;
};

} // namespace travek
