#include "core/record/RecordEvents.h"

#include "core/record/Sha256.h"

namespace travek {

namespace {

std::string fingerprint(const std::string& content) {
    return sha256Hex(content).substr(0, 8);
}

// Fields joined with a character that none of them holds as a field of its own: a line end.
template <typename... Fields> void add(std::string& content, const Fields&... fields) {
    ((content += fields, content += '\n'), ...);
}

} // namespace

namespace RecordEvents {

std::string definitionFingerprint(const InterfaceDefinition& d) {
    std::string content;
    add(content, d.interfaceName, std::to_string(d.portNumber), std::to_string(d.baud),
        std::to_string(d.parityCode), std::to_string(d.byteLength), std::to_string(d.stopBitCode),
        d.disableAllCommand, std::to_string(d.endChar1), std::to_string(d.endChar2),
        std::to_string(d.startPos), std::to_string(d.endPos), std::to_string(d.channelCount),
        std::to_string(d.useRts), std::to_string(d.factor));
    for (int k = 1; k <= MaxChannels; ++k)
        add(content, d.channelIds[k], d.channelCommands[k]);
    return fingerprint(content);
}

std::string sequenceFingerprint(const SequenceTable& sequence, const SeriesSettings& series) {
    std::string content;
    add(content, std::to_string(sequence.stepCount));
    for (int step = 1; step <= sequence.stepCount && step <= MaxSteps; ++step)
        add(content, std::to_string(sequence.stepChannel[step]), sequence.stepKeys[step]);
    add(content, std::to_string(series.valuesPerSeries), series.seriesString);
    return fingerprint(content);
}

std::string start(std::string_view version, const InterfaceDefinition& definition,
                  const std::string& sequenceFingerprint, bool previousEndMissing) {
    std::string note = StartPrefix + std::string(version) + ", Interface " + definition.interfaceName + " " +
                       definitionFingerprint(definition) + ", Ablauf " + sequenceFingerprint;
    if (previousEndMissing)
        note += ". Die vorige Sitzung endete ohne Endezeile";
    return note;
}

std::string interfaceChosen(const InterfaceDefinition& definition) {
    return "Interface: " + definition.interfaceName + " " + definitionFingerprint(definition);
}

std::string portChosen(const InterfaceDefinition& definition) {
    return "Port: COM" + std::to_string(definition.portNumber);
}

std::string sequenceInForce(const std::string& sequenceFingerprint) {
    return "Ablauf: " + sequenceFingerprint;
}

std::string targetChosen(const std::string& description) {
    return "Zielfenster: " + description;
}

std::string operatorChanged(const std::string& name) {
    return "Bediener: " + name;
}

std::string partChanged(const std::string& part) {
    return "Teil/Los: " + (part.empty() ? std::string("(keines)") : part);
}

} // namespace RecordEvents

} // namespace travek
