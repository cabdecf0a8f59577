// Faults in the desktop program: hostile input files and reports, folders and
// disks that refuse writes, files that vanish mid-way. Each ends with a message
// while the window goes on, and the user's files stay byte for byte.

#include <sys/resource.h>

#include <QFile>
#include <QTest>

#include <csignal>
#include <functional>

#include "GuiTestSupport.h"
#include "InputRows.h"

using namespace pelorin;
using pelorin::test::Harness;

namespace {

const QByteArray kHead("T1\r\nT2\r\nFile Name: x\r\n");
const QByteArray kGoodCase =
    kHead + "Spa Dar\r\n0.01 1.5 2.0 1.0 2.0 0 0 0.2 0.5 0.5 0.5 0.5 0.5\r\n";
const QByteArray kEarlier("earlier report\r\n");

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

QByteArray Replaced(QByteArray text, const char* from, const char* to) {
    return text.replace(from, to);
}

QByteArray Garbage() {
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i) bytes.append(static_cast<char>((i * 131 + 7) % 256));
    return bytes;
}

// A report of the program with the energy-balance head of its second row
// replaced by `token`.
QByteArray WithHead(const QByteArray& report, const QByteArray& token) {
    const qsizetype table = report.indexOf(" Output data:\r\n");
    const qsizetype row = report.indexOf("\r\n", table + 15) + 2;
    QList<QByteArray> fields = report.mid(row, report.indexOf("\r\n", row) - row).split(' ');
    fields.removeAll(QByteArray());
    fields[3] = token;
    return report.left(row) + ' ' + fields.join(' ') + report.mid(report.indexOf("\r\n", row));
}

// A limit on the size of the files this process writes (as `ulimit -f`), for
// the length of a test; 0 sets none. A write beyond it fails with EFBIG.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (bytes == 0) return;
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        if (!active_) return;
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*oldHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

bool Said(const Harness& h, const QString& part) {
    return h.Dialogs.Messages.join(QLatin1Char('\n')).contains(part);
}

}  // namespace

class FaultGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void openHostileInput_data();
    void openHostileInput();
    void showHostileReport_data();
    void showHostileReport();
    void saveRunFaults_data();
    void saveRunFaults();
};

void FaultGuiTest::openHostileInput_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");  // empty: the case is shown
    const QString numbers = QStringLiteral("Real numbers in the inputfile");
    const QString code = QStringLiteral("The code in the inputfile");
    QTest::newRow("NaN") << Replaced(kGoodCase, " 2.0 1.0", " NaN 1.0") << numbers;
    QTest::newRow("Inf") << Replaced(kGoodCase, " 2.0 1.0", " Inf 1.0") << numbers;
    QTest::newRow("hex") << Replaced(kGoodCase, " 2.0 1.0", " 0x10 1.0") << numbers;
    QTest::newRow("1e308") << Replaced(kGoodCase, " 2.0 1.0", " 1e308 1.0") << QString();
    // a number of more than 64 characters is refused, not split in two
    QTest::newRow("10 MB line") << kHead + "Spa Dar\r\n" + QByteArray(10'000'000, '1') + "\r\n"
                                << QStringLiteral("are corrupt (number 1 is too long)");
    QTest::newRow("LF only") << Replaced(kGoodCase, "\r\n", "\n") << QString();
    QTest::newRow("CR only") << Replaced(kGoodCase, "\r\n", "\r") << QString();
    QTest::newRow("no final line end") << kGoodCase.chopped(2) << QString();
    QTest::newRow("binary garbage") << Garbage() << code;
    QTest::newRow("empty") << QByteArray() << code;
}

void FaultGuiTest::openHostileInput() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    Harness h;
    h.OpenInput(h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp"), QStringLiteral("a.inp")));
    const QString title = h.Input().Title1_Edit->text();
    const QString hostile = h.Path(QStringLiteral("hostile.inp"));
    Write(hostile, bytes);
    h.OpenInput(hostile);
    QCOMPARE(Bytes(hostile), bytes);
    QVERIFY(h.Window().isVisible());
    if (message.isEmpty()) {
        QCOMPARE(h.Dialogs.Messages, QStringList());
        QCOMPARE(h.Input().Title1_Edit->text(), QStringLiteral("T1"));
    } else {
        QVERIFY2(Said(h, message), qPrintable(h.Dialogs.Messages.join('\n')));
        QCOMPARE(h.Input().Title1_Edit->text(), title);
    }
}

void FaultGuiTest::showHostileReport_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");  // of the graph; empty: it is drawn
    const QByteArray good =
        Bytes(QStringLiteral(PELORIN_SOURCE_DIR "/Data/spacing-darcy-pipe.out"));
    const QString noProfile = QStringLiteral("holds no water-table profile");
    QTest::newRow("NaN") << WithHead(good, "NaN") << QStringLiteral("Invalid numeric input");
    QTest::newRow("Inf") << WithHead(good, "-Inf") << QStringLiteral("Invalid numeric input");
    QTest::newRow("hex") << WithHead(good, "0x1") << QStringLiteral("Invalid numeric input");
    QTest::newRow("1e308") << WithHead(good, "1e308") << QStringLiteral("Range check error");
    QTest::newRow("10 MB line") << WithHead(good, "0.5 " + QByteArray(10'000'000, '7'))
                                << QString();
    QTest::newRow("LF only") << Replaced(good, "\r\n", "\n") << QString();
    QTest::newRow("CR only") << Replaced(good, "\r\n", "\r") << QString();
    QTest::newRow("no final line end") << good.chopped(2) << QString();
    QTest::newRow("binary garbage") << Garbage() << noProfile;
    QTest::newRow("empty") << QByteArray() << noProfile;
}

// Through Open output on the Output sheet, then Make graph on the Graphics sheet.
void FaultGuiTest::showHostileReport() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    Harness h;
    const QString report = h.Path(QStringLiteral("hostile.out"));
    Write(report, bytes);
    h.Dialogs.FileAnswers << report;
    h.Window().OutputOpen->trigger();
    QCOMPARE(h.Dialogs.Messages, QStringList());
    QCOMPARE(h.Output().Output_Memo->document()->blockCount() > 1, bytes.size() > 100);
    h.Window().BringToFront(Sheet::Graphics);
    h.Dialogs.FileAnswers << report;
    h.Window().Graphics_TabSheet->MakeGraphics_ButtonClick();
    QVERIFY(h.Window().isVisible());
    QCOMPARE(Bytes(report), bytes);
    if (message.isEmpty()) {
        QCOMPARE(h.Dialogs.Messages, QStringList());
        QVERIFY(h.Window().Graphics_TabSheet->GraphShown());
        QVERIFY(!h.Window().Graphics_TabSheet->GraphPicture().isNull());
    } else {
        QVERIFY2(Said(h, message), qPrintable(h.Dialogs.Messages.join('\n')));
    }
}

void FaultGuiTest::saveRunFaults_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    // Root writes anywhere: the refusals are a path under a file (ENOTDIR), a new
    // name in sysfs (EACCES), /dev/full (ENOSPC) and names taken by folders.
    QTest::newRow("input path under a file") << "under a file"
                                             << "could not be opened.";
    QTest::newRow("input folder refuses writes") << "sysfs"
                                                 << "could not be opened.";
    QTest::newRow("input on a full disk") << "/dev/full"
                                          << "are corrupt";
    QTest::newRow("input deleted at the question") << "deleted"
                                                   << "File not found";
    // The error list is for refused cases: an accepted one is calculated and
    // says why a stale list stays.
    QTest::newRow("Error.lst is a folder") << "Error.lst"
                                           << "of an earlier run could not be removed: "
                                              "Invalid filename";
    QTest::newRow("report beyond the file-size limit") << "file-size limit"
                                                       << "Disk full";
    QTest::newRow("report deleted before shown") << "report deleted"
                                                 << "could not be opened.";
    // Names the run would clobber its input with, or break its lines by.
    QTest::newRow("input named Error.lst") << "input named Error.lst"
                                           << "was not removed: it is the input file";
    QTest::newRow("line break in the name") << "line break"
                                            << "contains a line break (CR or LF)";
}

void FaultGuiTest::saveRunFaults() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    Harness h;
    const QString source =
        h.CopyExample(QStringLiteral("spacing-darcy-pipe.inp"), QStringLiteral("source.inp"));
    h.OpenInput(source);
    const QByteArray sourceBytes = Bytes(source);
    QString target = h.Path(QStringLiteral("case.inp"));
    const QString report = h.Path(QStringLiteral("case.out"));
    Write(report, kEarlier);
    bool reportKept = true;
    if (fault == "under a file") target = source + QStringLiteral("/sub/x.inp");
    if (fault == "sysfs") target = QStringLiteral("/sys/kernel/pelorin-case.inp");
    if (fault == "/dev/full") {
        target = h.Path(QStringLiteral("full.inp"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), target));
    }
    if (fault == "deleted") {
        h.Dialogs.OnQuestion = [&](const QString& question) {
            if (question.startsWith(QStringLiteral("The input data were saved")))
                QFile::remove(target);
        };
    }
    if (fault == "Error.lst") {
        QVERIFY(QDir().mkdir(h.Path(QStringLiteral("Error.lst"))));
        reportKept = false;
    }
    if (fault == "input named Error.lst") target = h.Path(QStringLiteral("Error.lst"));
    if (fault == "line break") target = h.Path(QStringLiteral("a\nb.inp"));
    // The input file and Error.lst fit under the limit, the report does not.
    const FileSizeLimit limit(fault == "file-size limit" ? 1024 : 0);
    if (fault == "report deleted") {
        reportKept = false;
        h.Dialogs.OnMessage = [&](const QString& text) {
            if (text.startsWith(QStringLiteral("The calculations were made")))
                QFile::remove(report);
        };
    }
    h.SaveRun(target);
    QVERIFY2(Said(h, message), qPrintable(h.Dialogs.Messages.join('\n')));
    QVERIFY(h.Window().isVisible());
    QVERIFY(!h.Window().SaveRun->Running());
    QCOMPARE(Bytes(source), sourceBytes);
    if (reportKept) QCOMPARE(Bytes(report), kEarlier);
    if (fault == "/dev/full") QVERIFY(QFileInfo(target).isSymLink());
    if (fault == "input named Error.lst")
        QVERIFY(Bytes(target).startsWith(sourceBytes.left(sourceBytes.indexOf('\r'))));
    if (fault == "line break") QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(QDir(h.Path(QString())).entryList({QStringLiteral("*.part")}, QDir::Files),
             QStringList());
    QDir().rmdir(h.Path(QStringLiteral("Error.lst")));
}

QTEST_MAIN(FaultGuiTest)
#include "fault_gui_test.moc"
