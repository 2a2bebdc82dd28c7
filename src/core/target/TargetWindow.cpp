#include "core/target/TargetWindow.h"

#include "core/files/FileIo.h"
#include "core/files/IniFile.h"
#include "core/text/Error.h"

#include <algorithm>
#include <cerrno>

namespace travek {

namespace {

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c); };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string oneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

// The profile format takes blanks at both ends and one pair of enclosing quotes off a value: a
// value written in quotes always reads back as it was.
std::string quoted(const std::string& value) {
    return '"' + value + '"';
}

} // namespace

bool TargetWindow::matches(const WindowInfo& window) const {
    if (!isSet())
        return true;
    return equalIgnoringAsciiCase(program, window.program) && windowClass == window.windowClass &&
           (!matchTitle || title == oneLine(window.title));
}

TargetWindow TargetWindow::of(const WindowInfo& window, bool matchTitle) {
    return TargetWindow{oneLine(window.program), oneLine(window.windowClass), oneLine(window.title),
                        matchTitle};
}

TargetWindow TargetWindow::read(const IniFile& settings) {
    TargetWindow target;
    target.program = settings.readString(Section, "PROGRAM", "");
    target.windowClass = settings.readString(Section, "CLASS", "");
    target.title = settings.readString(Section, "TITLE", "");
    target.matchTitle = settings.readInteger(Section, "MATCHTITLE", 0) != 0;
    return target;
}

void TargetWindow::write(const std::string& path) const {
    auto existing = readWholeFile(path);
    if (!existing && fileExists(path))
        throw Error(EACCES,
                    "Kann nicht nach " + path + " schreiben"); // never replace a file we could not read
    IniFile file(existing.value_or(std::string()));
    file.setValue(Section, "PROGRAM", quoted(program));
    file.setValue(Section, "CLASS", quoted(windowClass));
    file.setValue(Section, "TITLE", quoted(title));
    file.setValue(Section, "MATCHTITLE", matchTitle ? "1" : "0");
    writeFileAtomically(path, file.content());
}

std::string describeWindow(const std::optional<WindowInfo>& window) {
    if (!window)
        return "kein Fenster";
    std::string names = window->program;
    if (!window->windowClass.empty())
        names += (names.empty() ? "" : ", ") + window->windowClass;
    const std::string title = oneLine(window->title);
    if (title.empty())
        return names.empty() ? "Fenster ohne Namen" : names;
    return names.empty() ? title : title + " (" + names + ")";
}

std::string describeTarget(const TargetWindow& target) {
    if (!target.isSet())
        return TargetWindow::NoTarget;
    std::string text;
    auto add = [&text](const char* label, const std::string& value) {
        if (!value.empty())
            text += (text.empty() ? "" : ", ") + std::string(label) + value;
    };
    add("Programm ", target.program);
    add("Klasse ", target.windowClass);
    add("Titel ", target.title.empty() ? std::string() : '"' + target.title + '"');
    if (target.matchTitle)
        text += " (muss passen)";
    return text;
}

} // namespace travek
