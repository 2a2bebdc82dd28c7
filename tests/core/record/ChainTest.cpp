#include "core/files/MeasurementLog.h"
#include "support/LogFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

using namespace travek;
using namespace travek::test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

MeasurementLog::Row lineRow(int n) {
    return {"COM1", 1, 1, "A: " + std::to_string(n), std::to_string(n) + ",000", "", "Messung.ods"};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        result.push_back(text.substr(at, end + 1 - at));
        at = end + 1;
    }
    return result;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts)
        text += part;
    return text;
}

} // namespace

// A rotation renames the log away while TRAVEK writes: the new file under its name goes on from the
// last row written, so the files read in order are one chain, and the new file alone can be checked
// too. Rows missing at the end of the earlier file are seen at the seam.
TEST(Chain, GoesOnOverARotationAndTheVerifierFollowsTheFilesInOrder) {
    TempDir dir;
    dir.enter();
    MeasurementLog log("messung.csv");
    for (int n = 1; n <= 3; ++n)
        log.append(lineRow(n));
    ASSERT_EQ(std::rename("messung.csv", "messung.csv.1"), 0);
    log.append(lineRow(4));
    log.append(lineRow(5));

    LogVerifier::Result result = verifyLog(dir, {"messung.csv.1", "messung.csv"});
    EXPECT_TRUE(result.intact);
    EXPECT_THAT(result.lines, ElementsAre("6 S\xE4tze, Kette intakt"));
    result = verifyLog(dir, {"messung.csv"});
    EXPECT_TRUE(result.intact);
    EXPECT_THAT(result.lines[1],
                HasSubstr("fr\xFCheren Datei, die nicht angegeben ist (messung.csv, Zeile 2, Satz 4)"));

    std::vector<std::string> first = lines(dir.read("messung.csv.1"));
    first.pop_back();
    dir.write("messung.csv.1", joined(first));
    result = verifyLog(dir, {"messung.csv.1", "messung.csv"});
    EXPECT_FALSE(result.intact);
    EXPECT_THAT(result.lines[0],
                testing::StartsWith("messung.csv, Zeile 2, Satz 4: davor gel\xF6scht: Satz 3 "));
    // Given the wrong way round, the files do not make one chain either.
    EXPECT_FALSE(verifyLog(dir, {"messung.csv", "messung.csv.1"}).intact);
}

// Each kind of alteration is named at the first row it touches, with the file's line and the
// row's record number.
TEST(Chain, EachAlterationIsFoundAndNamed) {
    TempDir dir;
    dir.enter();
    {
        MeasurementLog log("messung.csv");
        for (int n = 1; n <= 6; ++n)
            log.append(lineRow(n));
    }
    const std::vector<std::string> original = lines(dir.read("messung.csv"));
    ASSERT_EQ(original.size(), 7u);
    auto verdict = [&](std::vector<std::string> altered) {
        dir.write("altered.csv", joined(altered));
        const LogVerifier::Result result = verifyLog(dir, {"altered.csv"});
        EXPECT_FALSE(result.intact);
        return result.lines.at(0);
    };

    std::vector<std::string> edited = original;
    edited[3].replace(edited[3].find(";3,000;"), 7, ";3,010;");
    EXPECT_EQ(verdict(edited), "altered.csv, Zeile 4, Satz 3: ver\xE4ndert");

    std::vector<std::string> deleted = original;
    deleted.erase(deleted.begin() + 3);
    EXPECT_EQ(verdict(deleted), "altered.csv, Zeile 4, Satz 4: davor gel\xF6scht: Satz 3");

    std::vector<std::string> inserted = original;
    std::string forged = original[2];
    forged.replace(forged.find(";2,000;"), 7, ";2,500;");
    inserted.insert(inserted.begin() + 3, forged);
    EXPECT_EQ(verdict(inserted), "altered.csv, Zeile 4, Satz 2: eingef\xFCgt");

    std::vector<std::string> swapped = original;
    std::swap(swapped[3], swapped[4]);
    EXPECT_EQ(verdict(swapped), "altered.csv, Zeile 4, Satz 4: mit der folgenden Zeile vertauscht");

    std::vector<std::string> moved = original;
    std::rotate(moved.begin() + 2, moved.begin() + 3, moved.begin() + 6);
    EXPECT_EQ(verdict(moved), "altered.csv, Zeile 3, Satz 3: an falscher Stelle (Reihenfolge ge\xE4ndert)");

    // A row cut off by a full disk, and the rows of a log begun before the chain, are outside it.
    dir.write("alt.csv", "Zeit;Port;Kanal;Schritt;Zeile;Getippt;Hinweis;Fenster\r\n"
                         "2026-12-08T09:14:02.118;COM1;1;1;A: 1;1,000;;\r\n");
    dir.write("cut.csv", joined(original) + original[1].substr(0, 40));
    const LogVerifier::Result result = verifyLog(dir, {"alt.csv", "cut.csv"});
    EXPECT_TRUE(result.intact);
    EXPECT_THAT(result.lines,
                ElementsAre("6 S\xE4tze, Kette intakt", "2 Zeilen ohne Kette (au\xDF"
                                                        "erhalb der Kette), die erste: alt.csv, Zeile 2"));
}
