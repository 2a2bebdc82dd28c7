// The working directory turns read-only, or the disk is full: whatever the program cannot write,
// the files it already has stay exactly as they were, the user hears of it once, and the program
// keeps working. Whether a file may be written is the file's own business, though, not its
// folder's: a read-only file is never replaced, and a writable one is saved even where no new file
// can be made beside it.
//
// The tests run as root, for whom permissions stop nothing. A read-only directory is therefore
// met as the unprivileged user nobody: the test process takes that user's identity for its file
// accesses while the program saves, or the real executable runs as that user. A full disk is a
// file size limit of one byte.
#include "support/PtyPair.h"
#include "support/RunningProgram.h"

#include "core/files/FileIo.h"
#include "core/gauge/InterfaceDefinition.h"
#include "core/serial/SerialPort.h"
#include "core/text/Error.h"

#include <QFileDialog>

#include <gmock/gmock.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace travek;
using namespace travek::test;
using testing::HasSubstr;

namespace {

constexpr uid_t Nobody = 65534;

// Every file of a folder with its content.
std::map<std::string, std::string> snapshot(const TempDir& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? dir.read(entry.path().filename().string()) : "<not a file>";
    return files;
}

// While it lives, files are opened as nobody; the folder is read-only for that user.
class ReadOnlyFor {
public:
    explicit ReadOnlyFor(const TempDir& dir) : m_dir(dir.path()) {
        ::chmod(m_dir.c_str(), 0555);
        m_ok = ::setegid(Nobody) == 0 && ::seteuid(Nobody) == 0;
    }
    ~ReadOnlyFor() {
        (void)::seteuid(0);
        (void)::setegid(0);
        ::chmod(m_dir.c_str(), 0700);
    }
    bool ok() const { return m_ok; }

private:
    std::string m_dir;
    bool m_ok = false;
};

// While it lives, no file can grow beyond one byte, as on a full disk.
class DiskFull {
public:
    DiskFull() {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit tiny = m_previous;
        tiny.rlim_cur = 1;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~DiskFull() {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

// The four files of a working directory for the box on device, each readable by everyone.
void writeProgramFolder(const TempDir& dir, const std::string& device, const std::string& sequence,
                        const std::string& series) {
    writeBoxSettings(dir, device);
    dir.write("ablauf.abl", sequence);
    dir.write("ablauf.pst", series);
    for (const char* name : {"TRAVEK.INI", "BOX.VAL", "ablauf.abl", "ablauf.pst"})
        ::chmod(dir.file(name).c_str(), 0644);
}

class UnwritableFiles : public RunningProgram {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "provoking write failures needs root";
        RunningProgram::SetUp();
        // The device must stay usable when the port is reopened as nobody.
        ASSERT_EQ(::chown(box.slavePath().c_str(), Nobody, Nobody), 0);
        writeProgramFolder(dir, box.slavePath(), "1\t1\t{TAB};\r\n2\t3\t{ENTER};\r\n", "2\r\n---;\r\n");
        ::chmod(dir.path().c_str(), 0755);
        start();
        startUpAndActivate();
        ASSERT_EQ(form->activeLabel->text(), "Active");
        box.receive(9, 500);
        before = snapshot(dir);
        // Something to save: every file would change.
        form->grid().setCell(2, 2, "{DOWN};");
        state().series.valuesPerSeries = 7;
        state().definition.interfaceName = "BOX";
    }

    // A folder that takes no files is named on a line of its own, after the files.
    void expectOneBoxNamingEveryFile(bool folder = false) {
        expectErrorBox([folder](const QString& text) {
            const QStringList lines = text.split('\n');
            ASSERT_EQ(lines.size(), folder ? 4 : 3) << text.toStdString();
            if (folder) {
                EXPECT_TRUE(lines[3].startsWith("Der Ordner ")) << text.toStdString();
            }
            EXPECT_TRUE(lines[0].startsWith("ablauf.abl: ")) << text.toStdString();
            EXPECT_TRUE(lines[1].startsWith("TRAVEK.INI: ")) << text.toStdString();
            EXPECT_TRUE(lines[2].startsWith("ablauf.pst: ")) << text.toStdString();
        });
    }

    int errorBoxesShown() const { return static_cast<int>(runner->shown().count("ErrorBox")); }

    PtyPair box;
    std::map<std::string, std::string> before;
};

} // namespace

TEST_F(UnwritableFiles, AReadOnlyWorkingDirectoryKeepsEveryFileAsItWasAtExit) {
    expectOneBoxNamingEveryFile(true);
    {
        ReadOnlyFor nobody(dir);
        ASSERT_TRUE(nobody.ok());
        form->close();
    }
    EXPECT_EQ(errorBoxesShown(), 1);
    EXPECT_EQ(snapshot(dir), before); // byte for byte, and no half-written copies beside them
}

TEST_F(UnwritableFiles, AFullDiskKeepsEveryFileAsItWasAtExit) {
    expectOneBoxNamingEveryFile();
    {
        DiskFull full;
        form->close();
    }
    EXPECT_EQ(errorBoxesShown(), 1);
    EXPECT_EQ(snapshot(dir), before);
}

TEST_F(UnwritableFiles, SavingIntoAReadOnlyDirectoryIsReportedOnceAndTheProgramGoesOn) {
    runner->then([this](QDialog& dialog) {
        dynamic_cast<QFileDialog&>(dialog).selectFile(QString::fromStdString(dir.file("ablauf.abl")));
        return int(QDialog::Accepted);
    });
    expectErrorBox([](const QString& text) { EXPECT_FALSE(text.isEmpty()); });
    {
        ReadOnlyFor nobody(dir);
        ASSERT_TRUE(nobody.ok());
        form->saveSequence();
    }
    EXPECT_EQ(errorBoxesShown(), 1);
    EXPECT_EQ(snapshot(dir), before);

    // Values are still typed.
    box.send("A: 1,50\r\n");
    ASSERT_TRUE(runUntil([&] { return keys.texts.size() >= 2; }, 3000));
    EXPECT_EQ(keys.texts[0], "1,50");
}

TEST_F(UnwritableFiles, APortThatCannotBeStoredKeepsTheDefinitionAndThePortInUse) {
    // The user picks COM2, but the definition file cannot take it.
    pressComportOk(1);
    expectErrorBox([this](const QString& text) {
        EXPECT_THAT(text.toStdString(), HasSubstr(dir.path()));
        EXPECT_THAT(text.toStdString(), HasSubstr("BOX.VAL"));
    });
    {
        ReadOnlyFor nobody(dir);
        ASSERT_TRUE(nobody.ok());
        form->choosePort();
    }
    waitForActivation();
    EXPECT_EQ(errorBoxesShown(), 1);
    EXPECT_EQ(snapshot(dir), before);

    // What the file holds is what is used: still COM1, reopened and active.
    EXPECT_EQ(state().definition.portNumber, 1);
    EXPECT_EQ(form->panelText(StatusPanel::Port), "COM 1");
    EXPECT_EQ(form->activeLabel->text(), "Active");
    box.send("A: 2,50\r\n");
    ASSERT_TRUE(runUntil([&] { return keys.texts.size() >= 2; }, 3000));
    EXPECT_EQ(keys.texts[0], "2,50");
}

// The real program, run as nobody in a read-only directory and ended by SIGTERM as a session end
// or a service manager would do.
TEST(UnwritableFilesProcess, TheProgramEndedInAReadOnlyDirectoryLeavesEveryFileWholeAndExits) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the program as another user";
    const bool ci = std::getenv("CI") && std::string(std::getenv("CI")) == "true";
    const std::string probe = std::string("setpriv --reuid=65534 --regid=65534 --clear-groups ") +
                              TRAVEK_EXECUTABLE + " --help >/dev/null 2>&1";
    if (std::system(probe.c_str()) != 0) {
        if (ci)
            FAIL() << "nobody cannot run " << TRAVEK_EXECUTABLE << " through setpriv";
        GTEST_SKIP() << "nobody cannot run " << TRAVEK_EXECUTABLE
                     << " through setpriv (a folder on the way is closed?)";
    }

    TempDir dir;
    TempDir logs;
    PtyPair box;
    ASSERT_EQ(::chown(box.slavePath().c_str(), Nobody, Nobody), 0);
    writeProgramFolder(dir, box.slavePath(), "1\t1\t{TAB};\r\n", "0\r\n\r\n");
    ::chmod(dir.path().c_str(), 0555);
    const auto before = snapshot(dir);

    const std::string outPath = logs.file("out.txt");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        ::dup2(out, 2);
        if (::chdir(dir.path().c_str()) != 0)
            ::_exit(126);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execlp("setpriv", "setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", TRAVEK_EXECUTABLE,
                 "--keyboard=log", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    auto exited = [child](int timeoutMs, int& status) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (::waitpid(child, &status, WNOHANG) == child)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    };

    // Started: the box gets its commands; then a value goes through.
    EXPECT_EQ(box.receive(6, 10000), "D0\rE1\r");
    box.send("A: 3,75\r\n");
    std::string log;
    for (int i = 0; i < 100 && log.find("keys {TAB}") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        log = logs.read("out.txt");
    }
    EXPECT_THAT(log, HasSubstr("keys 3,75\nkeys {TAB}\n"));

    ::kill(child, SIGTERM);
    int status = 0;
    const bool done = exited(5000, status);
    if (!done) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    EXPECT_TRUE(done) << "after SIGTERM the program still waits, for an error box that nobody can close";
    if (done) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(snapshot(dir), before);
}

namespace {

struct stat statOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// The error writeFileAtomically gives, or "" when it succeeds.
std::string errorWriting(const std::string& path, const std::string& content) {
    try {
        writeFileAtomically(path, content);
        return "";
    } catch (const Error& e) {
        return e.what();
    }
}

} // namespace

TEST(UnwritableFilesSaving, AFileIsWrittenExactlyWhenItMayBeWrittenAndStaysTheSameFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);

    // A read-only file in a folder that would let it be replaced: refused, even for root, and left
    // exactly as it was, the same file with the same mode.
    dir.write("ablauf.abl", "1\t1\t{TAB};\r\n");
    ::chmod(dir.file("ablauf.abl").c_str(), 0444);
    dir.write("BOX.VAL", "[PARAMETER]\r\nCOMx=1\r\n");
    ::chmod(dir.file("BOX.VAL").c_str(), 0444);
    auto before = snapshot(dir);
    const ino_t readOnlyInode = statOf(dir.file("ablauf.abl")).st_ino;
    EXPECT_EQ(errorWriting(dir.file("ablauf.abl"), "2\t2\t{ENTER};\r\n"),
              dir.file("ablauf.abl") + ": Dateizugriff verweigert");
    InterfaceDefinition definition;
    definition.portNumber = 2;
    try {
        storeComPortNumber(definition, dir.file("BOX.VAL"));
        ADD_FAILURE() << "the port number went into a read-only definition file";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Kann nicht nach " + dir.file("BOX.VAL") + " schreiben");
    }
    EXPECT_EQ(snapshot(dir), before);
    EXPECT_EQ(statOf(dir.file("ablauf.abl")).st_ino, readOnlyInode);
    EXPECT_EQ(statOf(dir.file("ablauf.abl")).st_mode & 07777, 0444u);

    // Writable files in a folder where nobody may create one: saved in place, whether the file
    // belongs to the user or is open to everyone.
    dir.write("ablauf.pst", "0\r\n\r\n");
    ::chmod(dir.file("ablauf.pst").c_str(), 0666);
    dir.write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\n");
    ::chmod(dir.file("TRAVEK.INI").c_str(), 0644);
    ASSERT_EQ(::chown(dir.file("TRAVEK.INI").c_str(), Nobody, Nobody), 0);
    {
        ReadOnlyFor nobody(dir);
        ASSERT_TRUE(nobody.ok());
        EXPECT_EQ(errorWriting(dir.file("ablauf.pst"), "3\r\n;\r\n"), "");
        EXPECT_EQ(errorWriting(dir.file("TRAVEK.INI"), "[PARAMETER]\r\n"), "");
    }
    EXPECT_EQ(dir.read("ablauf.pst"), "3\r\n;\r\n");
    EXPECT_EQ(dir.read("TRAVEK.INI"), "[PARAMETER]\r\n");

    // Root saving a file of nobody's keeps nobody its owner.
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(errorWriting(dir.file("TRAVEK.INI"), "[PARAMETER]\r\nINTERFACE=PX5R\r\n"), "");
    EXPECT_EQ(dir.read("TRAVEK.INI"), "[PARAMETER]\r\nINTERFACE=PX5R\r\n");
    EXPECT_EQ(statOf(dir.file("TRAVEK.INI")).st_uid, Nobody);
    EXPECT_EQ(statOf(dir.file("TRAVEK.INI")).st_gid, Nobody);

    // A file with a second name keeps it: both names show what was saved.
    dir.write("work.abl", "1\t1\t{TAB};\r\n1\t2\t{TAB};\r\n");
    ASSERT_EQ(::link(dir.file("work.abl").c_str(), dir.file("copy.abl").c_str()), 0);
    EXPECT_EQ(errorWriting(dir.file("work.abl"), "4\t4\t{TAB};\r\n"), "");
    EXPECT_EQ(dir.read("work.abl"), "4\t4\t{TAB};\r\n");
    EXPECT_EQ(dir.read("copy.abl"), "4\t4\t{TAB};\r\n");
    EXPECT_EQ(statOf(dir.file("copy.abl")).st_nlink, 2u);
    // Written in place, it still survives a full disk whole.
    {
        DiskFull full;
        EXPECT_NE(errorWriting(dir.file("work.abl"), "6\t6\t{TAB};\r\n6\t7\t{TAB};\r\n"), "");
    }
    EXPECT_EQ(dir.read("copy.abl"), "4\t4\t{TAB};\r\n");

    // A file alone, of the user's own, is still replaced whole, and nothing is left beside it.
    const ino_t ownInode = statOf(dir.file("ablauf.pst")).st_ino;
    ASSERT_EQ(::chmod(dir.file("ablauf.pst").c_str(), 0640), 0);
    EXPECT_EQ(errorWriting(dir.file("ablauf.pst"), "5\r\n---;\r\n"), "");
    EXPECT_EQ(dir.read("ablauf.pst"), "5\r\n---;\r\n");
    EXPECT_NE(statOf(dir.file("ablauf.pst")).st_ino, ownInode);
    EXPECT_EQ(statOf(dir.file("ablauf.pst")).st_mode & 07777, 0640u);
    EXPECT_EQ(snapshot(dir).size(), 6u);
}
