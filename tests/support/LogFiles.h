#pragma once

#include "core/files/MeasurementLog.h"
#include "core/record/LogVerifier.h"
#include "support/TempDir.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace travek::test {

// The rows of a measurement log's file split into their fields, the header left out.
inline std::vector<std::vector<std::string>> logRows(const std::string& content) {
    std::vector<std::vector<std::string>> rows;
    std::size_t at = content.find('\n');
    while (at != std::string::npos && at + 1 < content.size()) {
        const std::size_t next = content.find('\n', at + 1);
        std::string line = content.substr(at + 1, next == std::string::npos ? next : next - at - 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        rows.push_back(MeasurementLog::splitRow(line));
        at = next;
    }
    return rows;
}

// What travek-report --verify says of the files, in their order.
inline LogVerifier::Result verifyLog(const TempDir& dir, std::initializer_list<std::string> files) {
    LogVerifier verifier;
    for (const std::string& file : files)
        verifier.add(file, dir.read(file));
    return verifier.verify();
}

} // namespace travek::test
