#include "core/record/LogVerifier.h"

#include "core/files/MeasurementLog.h"
#include "core/record/HashChain.h"
#include "core/record/RecordEvents.h"

#include <charconv>

namespace travek {

namespace {

std::optional<std::int64_t> parseNumber(std::string_view text) {
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

std::string numbers(std::int64_t first, std::int64_t last) {
    return first == last ? "Satz " + std::to_string(first)
                         : "Satz " + std::to_string(first) + " bis " + std::to_string(last);
}

} // namespace

void LogVerifier::add(std::string name, std::string content) {
    const std::size_t file = m_names.size();
    m_names.push_back(std::move(name));
    m_contents.push_back(std::make_unique<std::string>(std::move(content)));
    const std::string_view text = *m_contents.back();
    if (text.empty())
        return;
    std::size_t at = text.find('\n');
    std::string_view header = text.substr(0, at);
    if (!header.empty() && header.back() == '\r')
        header.remove_suffix(1);
    // A log begun before the chain has the first columns of today's; its rows are outside it.
    const bool chained = header == MeasurementLog::Header;
    if (!chained && header.substr(0, 17) != "Zeit;Port;Kanal;S") {
        if (m_problem.empty())
            m_problem = m_names.back() +
                        ": keine Protokolldatei von TRAVEK (die erste Zeile ist nicht die Kopfzeile)";
        return;
    }
    std::int64_t line = 1;
    while (at != std::string_view::npos && at + 1 < text.size()) {
        const std::size_t begin = at + 1;
        at = text.find('\n', begin);
        ++line;
        std::string_view row =
            text.substr(begin, at == std::string_view::npos ? std::string_view::npos : at - begin);
        if (!row.empty() && row.back() == '\r')
            row.remove_suffix(1);
        const std::size_t last = row.rfind(';');
        const std::vector<std::string> fields = MeasurementLog::splitRow(row);
        // A row cut off by a full disk has no line end: it is not a row of the chain, whatever it
        // ends with.
        if (!chained || at == std::string_view::npos || last == std::string_view::npos ||
            !HashChain::isValue(fields.back())) {
            if (m_outside++ == 0)
                m_firstOutside = m_names.back() + ", Zeile " + std::to_string(line);
            continue;
        }
        ChainRow chainRow{file,          line,         std::nullopt, row.substr(0, last + 1),
                          fields.back(), std::nullopt, false};
        if (fields.size() > MeasurementLog::NumberColumn)
            chainRow.number = parseNumber(fields[MeasurementLog::NumberColumn]);
        if (fields.size() > MeasurementLog::NoteColumn) {
            chainRow.continuedFrom = HashChain::continuedFrom(fields[MeasurementLog::NoteColumn]);
            chainRow.start = fields[MeasurementLog::NoteColumn].rfind(RecordEvents::StartPrefix, 0) == 0;
        }
        m_rows.push_back(std::move(chainRow));
    }
}

bool LogVerifier::linksTo(std::size_t row, std::string_view previous) const {
    return row < m_rows.size() && HashChain::next(previous, m_rows[row].body) == m_rows[row].chain;
}

std::string LogVerifier::where(const ChainRow& row) const {
    return m_names[row.file] + ", Zeile " + std::to_string(row.line) + ", Satz " +
           (row.number ? std::to_string(*row.number) : std::string("?"));
}

// Row i does not link to the one before it. Its neighbours and the record numbers tell what was
// done: a row that links to its predecessor's predecessor follows an inserted row; a row whose
// number runs ahead follows deleted rows, unless the missing number comes later (moved rows).
std::string LogVerifier::whatHappened(std::size_t i, std::string_view previous) const {
    const ChainRow& row = m_rows[i];
    if (linksTo(i + 1, previous))
        return linksTo(i, m_rows[i + 1].chain) ? "mit der folgenden Zeile vertauscht" : "eingef\xFCgt";
    if (i == 0)
        return row.start || row.continuedFrom ? "ver\xE4ndert"
                                              : "davor gel\xF6scht (der Anfang der Kette fehlt)";
    const std::optional<std::int64_t>& before = m_rows[i - 1].number;
    if (!row.number || !before)
        return "ver\xE4ndert";
    const std::int64_t expected = *before + 1;
    if (*row.number > expected) {
        for (std::size_t j = i + 1; j < m_rows.size(); ++j)
            if (m_rows[j].number == expected)
                return "an falscher Stelle (Reihenfolge ge\xE4ndert)";
        return "davor gel\xF6scht: " + numbers(expected, *row.number - 1);
    }
    if (*row.number < expected) {
        for (std::size_t j = 0; j < i; ++j)
            if (m_rows[j].number == row.number)
                return "eingef\xFCgt (Satz " + std::to_string(*row.number) + " steht schon in Zeile " +
                       std::to_string(m_rows[j].line) + ")";
        return "an falscher Stelle (Reihenfolge ge\xE4ndert)";
    }
    return "ver\xE4ndert";
}

LogVerifier::Result LogVerifier::verify() const {
    Result result;
    result.outside = m_outside;
    if (!m_problem.empty()) {
        result.lines.push_back(m_problem);
        return result;
    }
    std::string note;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const ChainRow& row = m_rows[i];
        std::string previous(HashChain::StartValue);
        if (i > 0)
            previous = m_rows[i - 1].chain;
        else if (row.continuedFrom)
            previous = *row.continuedFrom;
        if (linksTo(i, previous)) {
            ++result.rows;
            continue;
        }
        std::string what;
        const bool firstOfFile = i > 0 && m_rows[i - 1].file != row.file;
        if (firstOfFile && row.continuedFrom && linksTo(i, *row.continuedFrom)) {
            // Whole in itself, but the earlier file does not end where this one goes on. Going on
            // from an earlier row of it: TRAVEK began this file after a crash, from the state it
            // had kept, and did not know the rows written since.
            const ChainRow& last = m_rows[i - 1];
            std::size_t from = i - 1;
            while (from > 0 && m_rows[from].chain != *row.continuedFrom)
                --from;
            if (m_rows[from].chain == *row.continuedFrom)
                what = "setzt die Kette bei " + where(m_rows[from]) +
                       " fort; die S\xE4tze danach sind mit ihr nicht verbunden (nach einem Absturz ohne die "
                       "Datei des Protokolls neu begonnen?)";
            else if (last.number && row.number && *row.number > *last.number + 1)
                what = "davor gel\xF6scht: " + numbers(*last.number + 1, *row.number - 1) + " (am Ende von " +
                       m_names[last.file] + " oder in einer Datei dazwischen)";
            else
                what = "folgt nicht auf das Ende von " + m_names[last.file] +
                       " (Dateien in der richtigen Reihenfolge angegeben?)";
        } else if (firstOfFile && linksTo(i, HashChain::StartValue)) {
            what = "beginnt eine neue Kette; die Verbindung zu " + m_names[m_rows[i - 1].file] + " fehlt";
        } else {
            what = whatHappened(i, previous);
        }
        result.lines.push_back(where(row) + ": " + what);
        result.lines.push_back("Kette nicht intakt (" + std::to_string(result.rows) +
                               " S\xE4tze davor gepr\xFC" + "ft)");
        return result;
    }
    result.intact = true;
    result.lines.push_back(std::to_string(result.rows) + " S\xE4tze, Kette intakt");
    if (!m_rows.empty() && m_rows.front().continuedFrom)
        result.lines.push_back("Die Kette beginnt in einer fr\xFCheren Datei, die nicht angegeben ist (" +
                               where(m_rows.front()) + ")");
    if (m_outside > 0)
        result.lines.push_back(std::to_string(m_outside) + " Zeilen ohne Kette (au\xDF" +
                               "erhalb der Kette), die erste: " + m_firstOutside);
    return result;
}

} // namespace travek
