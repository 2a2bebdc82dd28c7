#include <QApplication>

#include <gtest/gtest.h>

// The widget tests need one QApplication for the whole program.
int main(int argc, char* argv[]) {
    // The tests need no screen; the test list is also read at build time, outside ctest's settings.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform cannot resize or raise windows and says so for every dialog shown.
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith("This plugin does not support"))
            return;
        previous(type, context, message);
    });
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
