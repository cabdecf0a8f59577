#include "DesignStudyWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <string>

#include "CaseLayout.h"
#include "FileSystem.h"
#include "QtText.h"
#include "QtUserDialogs.h"
#include "RunError.h"
#include "SweepChartFile.h"

namespace pelorin {

namespace {

constexpr int kNoQuantity = -1;
const char* const kCaseStem = "study";

// The columns of RESULTS.csv the table shows after the row and the varied
// quantities.
const char* const kResultColumns[] = {"method",      "status",      "result",       "head_darcy",
                                      "head_energy", "depth_darcy", "depth_energy", "message"};

QString SoughtCaption(CalcAim aim) {
    switch (aim) {
        case CalcAim::Spacing: return QStringLiteral("Drain spacing (m)");
        case CalcAim::Discharge: return QStringLiteral("Drain discharge (m/day)");
        case CalcAim::WaterTableDepth: return QStringLiteral("Midway W.T. depth (m)");
        case CalcAim::Conductivity: return QStringLiteral("Conductivity (m/day)");
    }
    return {};
}

// A range of five values around the case's own, written with the decimals of
// the input file, or the value alone when a quarter of it does not show there.
QString DefaultRange(double value, int decimals) {
    const double step =
        std::round(std::abs(value) / 4 * std::pow(10, decimals)) / std::pow(10, decimals);
    if (step <= 0) return QString::number(value, 'f', decimals);
    return QStringLiteral("%1:%2:%3")
        .arg(QString::number(value - 2 * step, 'f', decimals),
             QString::number(value + 2 * step, 'f', decimals),
             QString::number(step, 'f', decimals));
}

QString MethodName(const std::string& code) {
    return code == "Dar" ? QStringLiteral("Darcy") : QStringLiteral("energy balance");
}

// Why a file could not be written there, as the user can act on it: a
// folder that is missing, or one that takes no new file (a missing name in an
// existing folder, as in /proc, is refused in the same way).
QString WriteFaultReason(int systemError, const QString& fileName) {
    switch (systemError) {
        case ENOENT:
        case ENOTDIR:
            return QFileInfo(fileName).absoluteDir().exists() ? QStringLiteral("Permission denied")
                                                              : QStringLiteral("No such folder");
        case EACCES:
        case EPERM: return QStringLiteral("Permission denied");
        case EROFS: return QStringLiteral("Read-only file system");
        case EISDIR: return QStringLiteral("A folder has that name");
        default: return FromFileText(FileFault(systemError).what());
    }
}

// Writes the bytes through the project's file replacement; the reason when
// that failed.
QString WriteWhole(const QString& fileName, std::string_view bytes) {
    bool begun = false;
    const int error = ReplaceFile(FileNameToStd(fileName), bytes, begun);
    return error == 0 ? QString() : WriteFaultReason(error, fileName);
}

bool SameCase(const InputCase& a, const InputCase& b) {
    return a.Title1 == b.Title1 && a.Title2 == b.Title2 && a.AimCode == b.AimCode &&
           a.MethodCode == b.MethodCode && a.Values == b.Values;
}

std::unique_ptr<UserDialogs> DialogsOnWindow(UserDialogs& dialogs, QWidget* window) {
    if (dynamic_cast<QtUserDialogs*>(&dialogs) == nullptr) return nullptr;
    return std::make_unique<QtUserDialogs>(window);
}

}  // namespace

DesignStudyWindow::DesignStudyWindow(UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ownDialogs_(DialogsOnWindow(dialogs, this)),
      dialogs_(ownDialogs_ ? *ownDialogs_ : dialogs) {
    setObjectName(QStringLiteral("DesignStudyWindow"));
    setWindowTitle(QStringLiteral("Design study"));
    BuildControls();
    progressTimer_.setInterval(200);
    connect(&progressTimer_, &QTimer::timeout, this, &DesignStudyWindow::ShowProgress);
    resize(1050, 720);
}

DesignStudyWindow::~DesignStudyWindow() { StopAndWait(); }

void DesignStudyWindow::BuildControls() {
    Case_Label = new QLabel(this);
    Case_Label->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Case_Label);
    layout->addLayout(BuildChoices());
    layout->addLayout(BuildButtons());
    layout->addWidget(Status_Label);
    layout->addWidget(BuildResults(), 1);
    SetRunning(false);
}

// The two quantities with their ranges, and the method.
QGridLayout* DesignStudyWindow::BuildChoices() {
    auto* choices = new QGridLayout;
    for (int i = 0; i < 2; ++i) {
        Quantity_Boxes[i] = new QComboBox(this);
        Quantity_Boxes[i]->setObjectName(QStringLiteral("Quantity%1_Box").arg(i + 1));
        Range_Edits[i] = new QLineEdit(this);
        Range_Edits[i]->setObjectName(QStringLiteral("Range%1_Edit").arg(i + 1));
        Range_Edits[i]->setPlaceholderText(QStringLiteral("FROM:TO:STEP  or  V1,V2,..."));
        Range_Edits[i]->setToolTip(
            QStringLiteral("FROM:TO:STEP runs FROM, FROM+STEP, ... up to TO; "
                           "a list V1,V2,... runs those values"));
        choices->addWidget(
            new QLabel(i == 0 ? QStringLiteral("Vary") : QStringLiteral("and"), this), i, 0);
        choices->addWidget(Quantity_Boxes[i], i, 1);
        choices->addWidget(Range_Edits[i], i, 2);
        connect(Quantity_Boxes[i], &QComboBox::activated, this, [this, i] { QuantityChosen(i); });
    }
    choices->setColumnStretch(2, 1);
    Methods_Box = new QComboBox(this);
    Methods_Box->setObjectName(QStringLiteral("Methods_Box"));
    Methods_Box->addItems({QStringLiteral("Energy balance"), QStringLiteral("Darcy"),
                           QStringLiteral("Both methods")});
    choices->addWidget(new QLabel(QStringLiteral("Method"), this), 2, 0);
    choices->addWidget(Methods_Box, 2, 1);
    return choices;
}

// A quantity chosen in box i gets a range around the case's own value.
void DesignStudyWindow::QuantityChosen(int i) {
    const int data = Quantity_Boxes[i]->currentData().toInt();
    const std::optional<CalcAim> aim = AimFromCode(base_.AimCode);
    if (data == kNoQuantity || !aim) {
        Range_Edits[i]->clear();
        return;
    }
    const int position = PositionOf(*aim, static_cast<Quantity>(data));
    Range_Edits[i]->setText(
        DefaultRange(base_.Values[position - 1], LayoutOf(*aim).fileDecimals[position - 1]));
}

// Run, Cancel, the progress bar and the two saves; the status line below them.
QHBoxLayout* DesignStudyWindow::BuildButtons() {
    Run_Button = new QPushButton(QStringLiteral("&Run"), this);
    Cancel_Button = new QPushButton(QStringLiteral("Cancel"), this);
    SaveTable_Button = new QPushButton(QStringLiteral("Save table (CSV)\u2026"), this);
    SaveChart_Button = new QPushButton(QStringLiteral("Save chart (PNG/SVG)\u2026"), this);
    Progress_Bar = new QProgressBar(this);
    Status_Label = new QLabel(this);
    connect(Run_Button, &QPushButton::clicked, this, &DesignStudyWindow::RunExecute);
    connect(Cancel_Button, &QPushButton::clicked, this, &DesignStudyWindow::CancelExecute);
    connect(SaveTable_Button, &QPushButton::clicked, this, &DesignStudyWindow::SaveTableExecute);
    connect(SaveChart_Button, &QPushButton::clicked, this, &DesignStudyWindow::SaveChartExecute);
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{Run_Button, Cancel_Button, Progress_Bar,
                                                      SaveTable_Button, SaveChart_Button})
        buttons->addWidget(w);
    buttons->setStretchFactor(Progress_Bar, 1);
    return buttons;
}

// The table of results beside the chart.
QSplitter* DesignStudyWindow::BuildResults() {
    Results_Table = new QTableWidget(this);
    Results_Table->setObjectName(QStringLiteral("Results_Table"));
    Results_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Results_Table->verticalHeader()->hide();
    Chart = new StudyChartView(this);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(Results_Table);
    split->addWidget(Chart);
    split->setSizes({480, 560});
    return split;
}

void DesignStudyWindow::SetCase(const InputCase& base) {
    // The same case again keeps the choices and results shown.
    if (Running() || SameCase(base, base_)) return;
    base_ = base;
    results_.clear();
    varied_.clear();
    SetUpTable();
    chart_ = study::SweepChart();
    Chart->SetChart(chart_);
    Status_Label->clear();
    Progress_Bar->setValue(0);
    SetRunning(false);
    const std::optional<CalcAim> aim = AimFromCode(base_.AimCode);
    Case_Label->setText(
        QStringLiteral("Case: %1 / %2\nAim: %3, method: %4")
            .arg(FromFileText(base_.Title1).trimmed(), FromFileText(base_.Title2).trimmed(),
                 aim ? SoughtCaption(*aim) : QString(), MethodName(base_.MethodCode)));
    Methods_Box->setCurrentIndex(base_.MethodCode == "Dar" ? 1 : 0);
    // The water-table depth has one engine: there is no method to choose.
    Methods_Box->setEnabled(aim != CalcAim::WaterTableDepth);
    FillQuantities();
}

void DesignStudyWindow::FillQuantities() {
    const std::optional<CalcAim> aim = AimFromCode(base_.AimCode);
    for (QComboBox* box : Quantity_Boxes) box->clear();
    Quantity_Boxes[1]->addItem(QStringLiteral("(none)"), kNoQuantity);
    if (aim)
        for (const std::optional<Quantity>& q : LayoutOf(*aim).file) {
            if (!q) continue;
            // The sheet's caption without its closing colon.
            QString caption = QString::fromLatin1(TextsOf(*q).sheetLabel).simplified();
            if (caption.endsWith(QStringLiteral(" :"))) caption.chop(2);
            for (QComboBox* box : Quantity_Boxes) box->addItem(caption, static_cast<int>(*q));
        }
    Quantity_Boxes[0]->setCurrentIndex(0);
    Quantity_Boxes[1]->setCurrentIndex(0);
    emit Quantity_Boxes[0]->activated(0);
    Range_Edits[1]->clear();
}

std::optional<std::vector<study::Variation>> DesignStudyWindow::ReadVariations() {
    std::vector<study::Variation> variations;
    for (int i = 0; i < 2; ++i) {
        const int data = Quantity_Boxes[i]->currentData().toInt();
        if (Quantity_Boxes[i]->count() == 0 || data == kNoQuantity) continue;
        const auto q = static_cast<Quantity>(data);
        const std::string symbol = TextsOf(q).symbol;
        std::string problem;
        const std::optional<study::Variation> variation = study::ParseVariation(
            symbol + "=" + Range_Edits[i]->text().trimmed().toStdString(), problem);
        if (!variation) {
            dialogs_.ShowMessage(
                QStringLiteral("The values of %1: %2")
                    .arg(QString::fromLatin1(symbol.c_str()), QString::fromStdString(problem)));
            return std::nullopt;
        }
        if (!variations.empty() && variations.front().quantity == q) {
            dialogs_.ShowMessage(QStringLiteral("The two varied quantities must differ"));
            return std::nullopt;
        }
        variations.push_back(*variation);
    }
    if (variations.empty()) {
        dialogs_.ShowMessage(QStringLiteral("Choose a quantity to vary"));
        return std::nullopt;
    }
    return variations;
}

void DesignStudyWindow::RunExecute() {
    if (Running()) return;
    const std::optional<std::vector<study::Variation>> variations = ReadVariations();
    if (!variations) return;
    InputCase base = base_;
    bothMethods_ = Methods_Box->isEnabled() && Methods_Box->currentIndex() == 2;
    if (Methods_Box->isEnabled() && !bothMethods_)
        base.MethodCode = Methods_Box->currentIndex() == 1 ? "Dar" : "Ene";
    study::SweepPlan plan = study::PlanSweep(base, kCaseStem, *variations, bothMethods_);
    if (!plan.Problem.empty()) {
        dialogs_.ShowMessage(QString::fromStdString(plan.Problem));
        return;
    }
    varied_.clear();
    for (const study::Variation& v : *variations) varied_.push_back(v.quantity);
    chart_ = study::ChartFor(base, plan, *variations, bothMethods_);
    StartStudy(std::move(plan.Rows));
}

void DesignStudyWindow::StartStudy(std::vector<study::CaseRow> rows) {
    results_.clear();
    SetUpTable();
    Chart->SetChart(chart_);
    control_ = std::make_unique<study::StudyControl>();
    control_->Total = static_cast<long>(rows.size());
    Progress_Bar->setRange(0, static_cast<int>(rows.size()));
    Progress_Bar->setValue(0);
    SetRunning(true);
    ShowProgress();
    progressTimer_.start();
    study::StudyControl* control = control_.get();
    // What a study hands over reaches the window through its event loop; what
    // arrives from an earlier study (stopped by closing the window) is dropped.
    const int number = ++studyNumber_;
    worker_ = std::thread([this, control, number, rows = std::move(rows)] {
        study::StudyOptions options;
        options.Jobs = options.Cores = std::max(1u, std::thread::hardware_concurrency());
        const study::StudyOutcome outcome = study::RunStudy(
            rows, options, *control, [this, number](const study::CaseResult& result) {
                QMetaObject::invokeMethod(
                    this,
                    [this, number, result] {
                        if (number == studyNumber_) AddResult(result);
                    },
                    Qt::QueuedConnection);
            });
        QMetaObject::invokeMethod(
            this,
            [this, number, outcome] {
                if (number == studyNumber_) FinishStudy(outcome);
            },
            Qt::QueuedConnection);
    });
}

void DesignStudyWindow::CancelExecute() {
    if (!Running()) return;
    control_->Stop = true;
    Cancel_Button->setEnabled(false);
    Status_Label->setText(QStringLiteral("Cancelling ....."));
}

void DesignStudyWindow::StopAndWait() {
    if (!Running()) return;
    control_->Stop = true;
    worker_.join();
}

void DesignStudyWindow::closeEvent(QCloseEvent* event) {
    StopAndWait();
    event->accept();
}

void DesignStudyWindow::SetUpTable() {
    QStringList headers{QStringLiteral("row")};
    for (Quantity q : varied_) headers << QString::fromLatin1(TextsOf(q).symbol);
    for (const char* column : kResultColumns) headers << QString::fromLatin1(column);
    Results_Table->clear();
    Results_Table->setRowCount(0);
    Results_Table->setColumnCount(static_cast<int>(headers.size()));
    Results_Table->setHorizontalHeaderLabels(headers);
}

void DesignStudyWindow::AddResult(const study::CaseResult& result) {
    results_.push_back(result);
    study::AddToChart(chart_, result);
    QStringList cells{QString::number(result.Row)};
    for (Quantity q : varied_) cells << QString::fromStdString(result.Values[static_cast<int>(q)]);
    cells << QString::fromStdString(result.Method)
          << QString::fromLatin1(study::StatusText(result.Status))
          << QString::fromStdString(result.Result) << QString::fromStdString(result.HeadDarcy)
          << QString::fromStdString(result.HeadEnergy) << QString::fromStdString(result.DepthDarcy)
          << QString::fromStdString(result.DepthEnergy) << FromFileText(result.Message);
    const int row = Results_Table->rowCount();
    Results_Table->insertRow(row);
    for (int column = 0; column < cells.size(); ++column)
        Results_Table->setItem(row, column, new QTableWidgetItem(cells[column]));
}

void DesignStudyWindow::FinishStudy(const study::StudyOutcome& outcome) {
    if (worker_.joinable()) worker_.join();
    progressTimer_.stop();
    const long total = control_->Total;
    Progress_Bar->setValue(static_cast<int>(control_->Finished.load()));
    Results_Table->resizeColumnsToContents();
    Chart->SetChart(chart_);
    SetRunning(false);
    switch (outcome.End) {
        case study::StudyEnd::Completed:
            Status_Label->setText(QStringLiteral("Completed: %1 cases").arg(total));
            break;
        case study::StudyEnd::Stopped:
            Status_Label->setText(QStringLiteral("Cancelled: the first %1 of %2 cases are shown")
                                      .arg(outcome.Delivered)
                                      .arg(total));
            break;
        case study::StudyEnd::FolderFailed:
            Status_Label->setText(QStringLiteral("The study could not start: ") +
                                  QString::fromStdString(outcome.Message));
            break;
    }
    emit StudyEnded();
}

void DesignStudyWindow::ShowProgress() {
    if (!control_) return;
    const long finished = control_->Finished;
    Progress_Bar->setValue(static_cast<int>(finished));
    if (!control_->Stop)
        Status_Label->setText(
            QStringLiteral("Running: %1 of %2 cases").arg(finished).arg(control_->Total.load()));
    Chart->SetChart(chart_);
}

void DesignStudyWindow::SetRunning(bool running) {
    Run_Button->setEnabled(!running);
    Cancel_Button->setEnabled(running);
    for (QWidget* w : std::initializer_list<QWidget*>{Quantity_Boxes[0], Quantity_Boxes[1],
                                                      Range_Edits[0], Range_Edits[1]})
        w->setEnabled(!running);
    Methods_Box->setEnabled(!running && AimFromCode(base_.AimCode) != CalcAim::WaterTableDepth);
    SaveTable_Button->setEnabled(!running && !results_.empty());
    SaveChart_Button->setEnabled(!running && !results_.empty());
}

void DesignStudyWindow::SaveTableExecute() {
    if (results_.empty()) return;
    const QString name = dialogs_.SaveFileName(
        {QStringLiteral("Save the study's table"), QStringLiteral("CSV tables (*.csv)"),
         QStringLiteral("csv"), QString(), QStringLiteral("study.csv")});
    if (name.isEmpty()) return;
    std::string bytes = study::ResultsHeaderLine();
    for (const study::CaseResult& r : results_) bytes += study::ResultLine(r);
    if (const QString fault = WriteWhole(name, bytes); !fault.isEmpty())
        dialogs_.ShowMessage(QStringLiteral("The table was not saved: ") + fault);
}

void DesignStudyWindow::SaveChartExecute() {
    if (results_.empty()) return;
    const QString name =
        dialogs_.SaveFileName({QStringLiteral("Save the study's chart"),
                               QStringLiteral("PNG pictures (*.png);;SVG drawings (*.svg)"),
                               QStringLiteral("png"), QString(), QStringLiteral("study.png")});
    if (name.isEmpty()) return;
    const QByteArray bytes = study::SweepChartFileBytes(chart_, FileNameToStd(name));
    const QString fault = bytes.isEmpty()
                              ? QStringLiteral("the picture could not be encoded")
                              : WriteWhole(name, std::string_view(bytes.constData(), bytes.size()));
    if (!fault.isEmpty()) dialogs_.ShowMessage(QStringLiteral("The chart was not saved: ") + fault);
}

}  // namespace pelorin
