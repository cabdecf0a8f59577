#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QTabBar>

#include <algorithm>
#include <tuple>

#include "FieldNumbers.h"
#include "Pictures.h"
#include "PlausibilityRules.h"
#include "QtText.h"
#include "QtUserDialogs.h"
#include "WindowPlacement.h"

namespace pelorin {

namespace {

constexpr int kClientWidth = 717;
constexpr int kClientHeight = 557;

// The action's hint: the short part (before '|') is the tooltip, the long
// part the status line text.
QAction* MakeAction(QObject* owner, const char* name, const QString& caption,
                    const QKeySequence& shortcut, const QString& hint) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    return action;
}

char SystemDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point == QLatin1String(",") ? ',' : '.';
}

// A sheet on its page: never smaller than designed, so that a window shrunk
// below the design scrolls the sheet instead of laying its parts over each
// other; larger, the sheet takes the room (and grows what it lets grow).
QScrollArea* Scrolled(QWidget* sheet) {
    auto* page = new QScrollArea;
    page->setObjectName(sheet->objectName() + QStringLiteral("_Page"));
    page->setFrameShape(QFrame::NoFrame);
    page->setWidgetResizable(true);
    sheet->setMinimumSize(kSheetWidth, kSheetHeight);
    page->setWidget(sheet);
    return page;
}

void DeleteSelection(QPlainTextEdit* memo) {
    if (!memo->isReadOnly()) memo->textCursor().removeSelectedText();
}

}  // namespace

MainWindow::MainWindow(DesktopSession& session, UserDialogs& dialogs, QWidget* parent)
    : StatusLineWindow(parent),
      SavedDecimalSeparator(SystemDecimalSeparator()),
      session_(session),
      dialogs_(dialogs) {
    setWindowTitle(QStringLiteral("Pelorin, groundwater drainage by pipes and ditches"));
    BuildActions();
    BuildSheets();
    BuildMenus();
    chosenFolder_ = QDir::currentPath();
    SetDialogFolders(chosenFolder_);
    InputSave->setEnabled(false);
    PlaceWindow();
    SheetTabs->setCurrentIndex(static_cast<int>(Sheet::Intro));
    Intro_Tabsheet->Intro_TabsheetShow();
}

void MainWindow::BuildActions() {
    InputOpen = MakeAction(this, "InputOpen", QStringLiteral("&InputOpen"),
                           QKeySequence(QStringLiteral("Ctrl+I")),
                           QStringLiteral("Open an existing datafile"));
    InputSave = MakeAction(this, "InputSave", QStringLiteral("Input&Save"),
                           QKeySequence(QStringLiteral("Ctrl+S")),
                           QStringLiteral("Save the data into a datafile"));
    OutputOpen =
        MakeAction(this, "OutputOpen", QStringLiteral("&OutputOpen"),
                   QKeySequence(QStringLiteral("Ctrl+O")), QStringLiteral("Open an output file"));
    SaveAsPdf = MakeAction(this, "SaveAsPdf", QStringLiteral("Save as &PDF\u2026"), QKeySequence(),
                           QStringLiteral("Save the design sheet of the report as a PDF file"));
    FilePrint = MakeAction(this, "FilePrint", QStringLiteral("P&rint\u2026"),
                           QKeySequence(QStringLiteral("Ctrl+P")),
                           QStringLiteral("Print the design sheet of the report"));
    // Ctrl+X belongs to Cut, as in every edit field; the program ends by Ctrl+Q.
    FileExit = MakeAction(this, "FileExit1", QStringLiteral("ProgramE&xit"),
                          QKeySequence(QStringLiteral("Ctrl+Q")),
                          QStringLiteral("Exit|Quit the application"));
    DesignStudy = MakeAction(this, "DesignStudy", QStringLiteral("&Design study\u2026"),
                             QKeySequence(QStringLiteral("Ctrl+D")),
                             QStringLiteral("Run the case over ranges of its quantities"));
    EditCut =
        MakeAction(this, "EditCut1", QStringLiteral("Cu&t"), QKeySequence(QStringLiteral("Ctrl+X")),
                   QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard"));
    EditCopy = MakeAction(this, "EditCopy1", QStringLiteral("&Copy"),
                          QKeySequence(QStringLiteral("Ctrl+C")),
                          QStringLiteral("Copy|Copies the selection and puts it on the Clipboard"));
    EditPaste = MakeAction(this, "EditPaste1", QStringLiteral("&Paste"),
                           QKeySequence(QStringLiteral("Ctrl+V")),
                           QStringLiteral("Paste|Inserts Clipboard contents"));
    EditDelete =
        MakeAction(this, "EditDelete1", QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete),
                   QStringLiteral("Delete|Erases the selection"));

    connect(FileExit, &QAction::triggered, this, &QWidget::close);
    // ProgramExit stays at hand during a run, when the menu bar is locked.
    addAction(FileExit);
    connect(EditCut, &QAction::triggered, this, [this] {
        EditOnFocusedField([](QLineEdit* e) { e->cut(); }, [](QPlainTextEdit* m) { m->cut(); });
    });
    connect(EditCopy, &QAction::triggered, this, [this] {
        EditOnFocusedField([](QLineEdit* e) { e->copy(); }, [](QPlainTextEdit* m) { m->copy(); });
    });
    connect(EditPaste, &QAction::triggered, this, [this] {
        EditOnFocusedField([](QLineEdit* e) { e->paste(); }, [](QPlainTextEdit* m) { m->paste(); });
    });
    connect(EditDelete, &QAction::triggered, this,
            [this] { EditOnFocusedField([](QLineEdit* e) { e->del(); }, DeleteSelection); });
}

void MainWindow::BuildSheets() {
    SheetTabs = new QTabWidget(this);
    SheetTabs->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(SheetTabs);
    Intro_Tabsheet = new IntroSheet(*this);
    Figure_TabSheet = new FigureSheet(*this);
    Input_TabSheet = new InputSheet(session_, dialogs_, *this, SavedDecimalSeparator);
    Output_TabSheet = new OutputSheet(session_, dialogs_, *this, Flags);
    BuildGraphicsSheet();
    const std::tuple<QWidget*, const char*, const char*> sheets[] = {
        {Intro_Tabsheet, "Intro_Tabsheet", " Intro "},
        {Figure_TabSheet, "Figure_TabSheet", " Figure "},
        {Input_TabSheet, "Input_TabSheet", " Input "},
        {Output_TabSheet, "Output_TabSheet", " Output "},
        {Graphics_TabSheet, "Graphics_TabSheet", " Graphics "}};
    for (const auto& [sheet, name, caption] : sheets) {
        sheet->setObjectName(QString::fromLatin1(name));
        SheetTabs->addTab(Scrolled(sheet), QString::fromLatin1(caption));
    }
    Input_TabSheet->AttachActions(InputSave, InputOpen);
    Output_TabSheet->AttachOutputOpen(OutputOpen);
    Output_TabSheet->AttachSaveAsPdf(SaveAsPdf);
    DesignSheetOutput = new DesignSheetActions(
        dialogs_, [this] { return Output_TabSheet->ShownReport(); }, this);
    connect(SaveAsPdf, &QAction::triggered, DesignSheetOutput,
            [this] { DesignSheetOutput->SaveAsPdfExecute(); });
    connect(FilePrint, &QAction::triggered, DesignSheetOutput,
            [this] { DesignSheetOutput->PrintExecute(); });
    SaveRun = new SaveRunWorkflow(
        session_, dialogs_, *this, Flags, *Input_TabSheet, *Output_TabSheet, SavedDecimalSeparator,
        [this](bool locked) { SetRunLock(locked); }, this);
    connect(InputOpen, &QAction::triggered, Input_TabSheet, &InputSheet::InputOpenExecute);
    DesignStudy_Window = new DesignStudyWindow(dialogs_, this);
    connect(DesignStudy, &QAction::triggered, this, &MainWindow::DesignStudyExecute);
    connect(Input_TabSheet->DesignStudy_Button, &QPushButton::clicked, DesignStudy,
            &QAction::trigger);
    connect(InputSave, &QAction::triggered, SaveRun, &SaveRunWorkflow::InputSaveExecute);
    connect(OutputOpen, &QAction::triggered, Output_TabSheet, &OutputSheet::OutputOpenExecute);
    connect(SheetTabs, &QTabWidget::currentChanged, this, &MainWindow::SheetTabsChange);
    connect(SaveRun, &SaveRunWorkflow::StoppedToEnd, this, &MainWindow::LeaveEventLoop);
    connect(SaveRun, &SaveRunWorkflow::ReportWritten, DesignSheetOutput,
            &DesignSheetActions::RememberRun);
    Output_TabSheet->SetUnitsSource([this] { return Input_TabSheet->Units(); });
    DesignSheetOutput->SetUnitsSource([this] { return Input_TabSheet->Units(); });
    // Another case is current now: its own report, if any, is what the Output
    // sheet shows.
    connect(Input_TabSheet, &InputSheet::CaseOpened, this,
            [this] { Flags.CaseSavedWithoutRun = false; });
}

// The Graphics sheet and its action.
void MainWindow::BuildGraphicsSheet() {
    Graphics_TabSheet =
        new GraphicsSheet(session_, dialogs_, [this](const QString& text) { ShowStatus(text); });
    Graphics_TabSheet->SetJoulePicture(CartoonPicture());
    GraphicsSheet::Hooks hooks;
    hooks.BringToFront = [this] { BringToFront(Sheet::Graphics); };
    hooks.MarkOutputShown = [this] { Flags.OutputShown = true; };
    hooks.HideFigureWindow = [this] { HideFigureWindow(); };
    hooks.HideOutputMemos = [this] {
        Output_TabSheet->Symbols_Memo->hide();
        Output_TabSheet->Output_Memo->hide();
    };
    hooks.FollowChosenFolder = [this] { FollowChosenFolder(); };
    hooks.ChooseOutputFile = [this] { return ChooseFile(MainDialog::OutputOpen); };
    hooks.Units = [this] { return Input_TabSheet->Units(); };
    Graphics_TabSheet->SetHooks(hooks);
    GraphOpen = Graphics_TabSheet->GraphOpenAction();
    GraphOpen->setToolTip(QStringLiteral("Open a graphics file"));
}

void MainWindow::BuildMenus() {
    // Alt+S belongs to Save/Run: the Study menu answers Alt+U.
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addActions({InputOpen, InputSave, OutputOpen, GraphOpen, SaveAsPdf, FilePrint, FileExit});
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addActions({EditCut, EditCopy, EditPaste, EditDelete});
    QMenu* study = menuBar()->addMenu(QStringLiteral("St&udy"));
    study->addAction(DesignStudy);
}

void MainWindow::PlaceWindow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen != nullptr ? screen->geometry().width() : 1024;
    const WindowPlacement placement =
        PlaceMainWindow(screenWidth, kClientWidth + kNominalFrameWidth);
    const int clientWidth = placement.Width == kClientWidth + kNominalFrameWidth
                                ? kClientWidth
                                : placement.Width - kNominalFrameWidth;
    int clientHeight = kClientHeight + menuBar()->sizeHint().height();
    int top = 20;
    // On a short screen (or a large scale factor) the window keeps within the
    // screen's free area, frame and all; its sheets scroll.
    if (screen != nullptr) {
        const QRect free = screen->availableGeometry();
        top = std::max(free.top(),
                       std::min(top, free.bottom() + 1 - clientHeight - kNominalFrameHeight));
        clientHeight = std::min(clientHeight, free.bottom() + 1 - top - kNominalFrameHeight);
    }
    move(placement.Left, top);
    resize(clientWidth, clientHeight);
}

void MainWindow::SetCompanions(const CompanionWindows& companions) {
    companions_ = companions;
    if (companions_.Exit != nullptr)
        connect(companions_.Exit, &ExitWindow::EndRequested, this, [this] { EndProgram(); });
}

void MainWindow::EndProgram(bool askAboutRun) {
    if (ending_) return;
    if (SaveRun->Running()) {
        if (askAboutRun && !dialogs_.AskYesNo(QStringLiteral(
                               " A calculation is running. Cancel it and end the program?")))
            return;
        // The run may have ended while the question was up.
        if (SaveRun->Running()) {
            SaveRun->CancelRunToEnd();
            return;
        }
    }
    // A study under way stops before the program ends.
    DesignStudy_Window->StopAndWait();
    LeaveEventLoop();
}

// The study starts from the sheet's case as Save/Run would take it: numbers
// that are numbers and pass the plausibility checks.
void MainWindow::DesignStudyExecute() {
    if (!DesignStudy_Window->Running()) {
        const InputSheet& sheet = *Input_TabSheet;
        InputCase base;
        base.Title1 =
            ToFileText(sheet.Title1_Edit->text().normalized(QString::NormalizationForm_C));
        base.Title2 =
            ToFileText(sheet.Title2_Edit->text().normalized(QString::NormalizationForm_C));
        base.AimCode = AimCodeOf(sheet.SelectedAim());
        try {
            base.Values = ValuesFromRows(sheet.SelectedAim(), sheet.RowTexts(),
                                         SavedDecimalSeparator, sheet.Units());
        } catch (const ConversionError&) {
            dialogs_.ShowMessage(QStringLiteral("There are invalid entries"));
            return;
        }
        if (const auto refusal = ValidateInput(base)) {
            dialogs_.ShowMessage(FromFileText(*refusal));
            return;
        }
        base.MethodCode = MethodCodeOf(sheet.RunMethod());
        DesignStudy_Window->SetCase(base);
    }
    DesignStudy_Window->show();
    DesignStudy_Window->raise();
    DesignStudy_Window->activateWindow();
}

// QCoreApplication::exit and not quit: quit would first ask every window to
// close, and the main window answers a close request with the exit window.
void MainWindow::LeaveEventLoop() {
    ending_ = true;
    QCoreApplication::exit(0);
}

void MainWindow::SheetTabsChange(int index) {
    if (previousPage_ == static_cast<int>(Sheet::Input)) Input_TabSheet->Input_TabSheetExit();
    previousPage_ = index;
    switch (static_cast<Sheet>(index)) {
        case Sheet::Intro: Intro_Tabsheet->Intro_TabsheetShow(); break;
        case Sheet::Figure: Figure_TabSheet->Figure_TabSheetShow(); break;
        case Sheet::Input: Input_TabSheet->Input_TabSheetShow(); break;
        case Sheet::Output: Output_TabSheet->Output_TabSheetShow(); break;
        case Sheet::Graphics: Graphics_TabSheet->Graphics_TabSheetShow(); break;
    }
}

void MainWindow::BringToFront(Sheet sheet) { SheetTabs->setCurrentIndex(static_cast<int>(sheet)); }

void MainWindow::ShowFigureWindow() {
    if (companions_.Figure == nullptr) return;
    companions_.Figure->show();
    companions_.Figure->raise();
}

void MainWindow::HideFigureWindow() {
    if (companions_.Figure != nullptr) companions_.Figure->hide();
}

void MainWindow::ShowHelpWindow() {
    if (companions_.Help == nullptr) return;
    companions_.Help->show();
    companions_.Help->raise();
}

void MainWindow::ShowRechargeWindow() {
    if (companions_.Recharge == nullptr) return;
    companions_.Recharge->show();
    companions_.Recharge->raise();
}

QString MainWindow::ChooseFile(MainDialog dialog) {
    const QString chosen = RunMainDialog(dialog);
    if (!chosen.isEmpty()) chosenFolder_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

QString MainWindow::RunMainDialog(MainDialog dialog) {
    switch (dialog) {
        case MainDialog::InputOpen: return dialogs_.OpenFileName(InputOpen_Dialog);
        case MainDialog::InputSave: {
            // For the session, the save dialog opens on the current input file.
            FileDialogSpec spec = InputSave_Dialog;
            const QFileInfo current(Input_TabSheet->CurrentInputFile());
            if (!current.filePath().isEmpty()) {
                spec.InitialFolder = current.absolutePath();
                spec.InitialName = current.fileName();
            }
            return dialogs_.SaveFileName(spec);
        }
        case MainDialog::OutputOpen: return dialogs_.OpenFileName(OutputOpen_Dialog);
    }
    return {};
}

void MainWindow::SetDialogFolders(const QString& folder) {
    const QString inputFilter = QStringLiteral("Input files (*.inp)");
    InputOpen_Dialog = {QStringLiteral("Open input file"), inputFilter, QStringLiteral("inp"),
                        folder, QString()};
    InputSave_Dialog = {QStringLiteral("Save input file"), inputFilter, QStringLiteral("inp"),
                        folder, QString()};
    OutputOpen_Dialog = {QStringLiteral("Open output file"), QStringLiteral("Output files (*.out)"),
                         QStringLiteral("out"), folder, QString()};
}

void MainWindow::SetGraphInColour(bool inColour) { Graphics_TabSheet->SetGraphInColour(inColour); }

bool MainWindow::GraphInColour() const { return Graphics_TabSheet->GraphInColour(); }

bool MainWindow::GraphShown() const { return Graphics_TabSheet->GraphShown(); }

void MainWindow::ViewGraph() { Graphics_TabSheet->ViewGraphButtonClick(); }

void MainWindow::EditOnFocusedField(void (*onLine)(QLineEdit*), void (*onMemo)(QPlainTextEdit*)) {
    QWidget* focused = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focused)) {
        onLine(line);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(focused)) {
        onMemo(memo);
    }
}

void MainWindow::SetRunLock(bool locked) {
    // Unlocked, every control is as a showing of the sheet leaves it; the
    // actions are enabled everywhere but Save/Run, which belongs to the Input
    // sheet. ProgramExit is never locked: ending asks about the run.
    menuBar()->setEnabled(!locked);
    for (int i = 0; i < SheetTabs->count(); ++i)
        if (i != static_cast<int>(Sheet::Input)) SheetTabs->setTabEnabled(i, !locked);
    for (QAction* action : {InputOpen, OutputOpen, GraphOpen, SaveAsPdf, FilePrint})
        action->setEnabled(!locked);
    InputSave->setEnabled(!locked && ActiveSheet() == Sheet::Input);
    Input_TabSheet->SetRunLock(locked);
}

void MainWindow::showEvent(QShowEvent* event) {
    StatusLineWindow::showEvent(event);
    // Shown by the program (not restored by the window system) while the
    // exit window is up: the program ends.
    if (!event->spontaneous() && companions_.Exit != nullptr && companions_.Exit->isVisible())
        EndProgram();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The program ends only through the exit window, also during a run.
    if (ending_) {
        event->accept();
        return;
    }
    event->ignore();
    if (companions_.Exit == nullptr) return;
    ExitWindow* exitWindow = companions_.Exit;
    exitWindow->move(geometry().center() - exitWindow->rect().center());
    exitWindow->show();
    exitWindow->raise();
    exitWindow->activateWindow();
}

}  // namespace pelorin
