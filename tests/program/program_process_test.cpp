// The desktop program as a process on a virtual X display with a window
// manager, ended as a person ends it: Ctrl+Q then Finish, the close boxes of
// the main and the exit window, and SIGTERM. Each must end the process.

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// Generous: a loaded machine may take long to start a program; none of this
// is a measure of speed.
constexpr int kLongWaitMs = 120'000;

QString Tool(const char* name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

}  // namespace

class ProgramProcessTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void endingByCtrlQAndFinish();
    void endingByTheCloseBoxes();
    void endingBySigterm();

  private:
    // Runs xdotool with the arguments; its standard output, trimmed.
    QString XDoTool(const QStringList& arguments);
    QString WindowNamed(const QString& title);
    QProcessEnvironment Display() const;

    QProcess server_;
    QProcess windowManager_;
    QProcess program_;
    QString display_;
    std::unique_ptr<QTemporaryDir> folder_;
};

void ProgramProcessTest::initTestCase() {
    for (const char* tool : {"Xvfb", "xdotool", "openbox"})
        if (Tool(tool).isEmpty())
            QSKIP(
                qPrintable(QStringLiteral("%1 is not installed (scripts/install-deps installs it)")
                               .arg(QString::fromLatin1(tool))));
    // The server picks a free display and writes its number.
    server_.start(Tool("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp")});
    QVERIFY(server_.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(server_.canReadLine(), kLongWaitMs);
    display_ = QStringLiteral(":") + QString::fromLatin1(server_.readLine().trimmed());
    windowManager_.setProcessEnvironment(Display());
    windowManager_.start(Tool("openbox"), {});
    QVERIFY(windowManager_.waitForStarted());
    // The window manager is up once it names the desktops.
    QDeadlineTimer deadline(kLongWaitMs);
    while (XDoTool({QStringLiteral("get_num_desktops")}).isEmpty() && !deadline.hasExpired())
        QTest::qWait(200);
    QVERIFY2(!deadline.hasExpired(), "the window manager did not start");
}

void ProgramProcessTest::cleanupTestCase() {
    for (QProcess* process : {&windowManager_, &server_}) {
        if (process->state() == QProcess::NotRunning) continue;
        process->terminate();
        process->waitForFinished(kLongWaitMs);
    }
}

void ProgramProcessTest::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    program_.setWorkingDirectory(folder_->path());
    QProcessEnvironment environment = Display();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program_.setProcessEnvironment(environment);
    program_.start(QStringLiteral(PELORIN), {});
    QVERIFY(program_.waitForStarted());
}

void ProgramProcessTest::cleanup() {
    if (program_.state() != QProcess::NotRunning) {
        program_.kill();
        program_.waitForFinished(kLongWaitMs);
    }
    // Nothing left behind in the folder it was started in.
    QCOMPARE(QDir(folder_->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList());
}

QProcessEnvironment ProgramProcessTest::Display() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display_);
    return environment;
}

QString ProgramProcessTest::XDoTool(const QStringList& arguments) {
    QProcess tool;
    tool.setProcessEnvironment(Display());
    tool.start(Tool("xdotool"), arguments);
    if (!tool.waitForFinished(kLongWaitMs) || tool.exitCode() != 0) {
        tool.kill();
        tool.waitForFinished();
        return {};
    }
    return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
}

// The window of that title, once it is shown; empty if it never is.
QString ProgramProcessTest::WindowNamed(const QString& title) {
    QDeadlineTimer deadline(kLongWaitMs);
    while (!deadline.hasExpired()) {
        const QString ids = XDoTool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--name"), title});
        if (!ids.isEmpty()) return ids.section(QLatin1Char('\n'), 0, 0);
        QTest::qWait(100);
    }
    return {};
}

void ProgramProcessTest::endingByCtrlQAndFinish() {
    const QString main = WindowNamed(QStringLiteral("^Pelorin, groundwater"));
    QVERIFY(!main.isEmpty());
    XDoTool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), main});
    XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+q")});
    const QString exitWindow = WindowNamed(QStringLiteral("^Pelorin exit$"));
    QVERIFY(!exitWindow.isEmpty());
    QVERIFY(program_.state() == QProcess::Running);
    // The middle of Finish (176, 168; 57 by 25).
    XDoTool({QStringLiteral("mousemove"), QStringLiteral("--window"), exitWindow,
             QStringLiteral("204"), QStringLiteral("180"), QStringLiteral("click"),
             QStringLiteral("1")});
    QVERIFY(program_.waitForFinished(kLongWaitMs));
    QCOMPARE(program_.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program_.exitCode(), 0);
}

void ProgramProcessTest::endingByTheCloseBoxes() {
    // The window manager closes the active window on Alt+F4, as by its close box.
    const QString main = WindowNamed(QStringLiteral("^Pelorin, groundwater"));
    QVERIFY(!main.isEmpty());
    XDoTool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), main});
    XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("alt+F4")});
    const QString exitWindow = WindowNamed(QStringLiteral("^Pelorin exit$"));
    QVERIFY(!exitWindow.isEmpty());
    // The main window stays; the exit window's close box ends the program.
    QVERIFY(program_.state() == QProcess::Running);
    QCOMPARE(WindowNamed(QStringLiteral("^Pelorin, groundwater")), main);
    XDoTool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), exitWindow});
    XDoTool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("alt+F4")});
    QVERIFY(program_.waitForFinished(kLongWaitMs));
    QCOMPARE(program_.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program_.exitCode(), 0);
}

void ProgramProcessTest::endingBySigterm() {
    QVERIFY(!WindowNamed(QStringLiteral("^Pelorin, groundwater")).isEmpty());
    QVERIFY(::kill(static_cast<pid_t>(program_.processId()), SIGTERM) == 0);
    QVERIFY(program_.waitForFinished(kLongWaitMs));
    // Ended by the signal, as the conventional status says.
    QCOMPARE(program_.exitStatus(), QProcess::CrashExit);
    QCOMPARE(program_.exitCode(), SIGTERM);
}

QTEST_GUILESS_MAIN(ProgramProcessTest)
#include "program_process_test.moc"
