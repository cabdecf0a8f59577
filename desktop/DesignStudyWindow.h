#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "InputFile.h"
#include "StudyChartView.h"
#include "StudyRunner.h"
#include "Sweep.h"
#include "SweepChart.h"
#include "UserDialogs.h"

class QGridLayout;
class QHBoxLayout;
class QSplitter;

namespace pelorin {

// The design study: the current case run over a grid of one or two of its
// quantities, by one method or both, in the background. The window shows the
// cases' results as a table and a chart and saves them as CSV and PNG or SVG.
class DesignStudyWindow : public QWidget {
    Q_OBJECT
  public:
    explicit DesignStudyWindow(UserDialogs& dialogs, QWidget* parent = nullptr);
    ~DesignStudyWindow() override;

    // The case the study starts from: the Input sheet's case, checked. Not
    // while a study runs.
    void SetCase(const InputCase& base);
    bool Running() const { return worker_.joinable(); }
    const std::vector<study::CaseResult>& Results() const { return results_; }

    QLabel* Case_Label;
    std::array<QComboBox*, 2> Quantity_Boxes{};  // the second starts with "(none)"
    std::array<QLineEdit*, 2> Range_Edits{};     // FROM:TO:STEP or V1,V2,...
    QComboBox* Methods_Box;
    QPushButton* Run_Button;
    QPushButton* Cancel_Button;
    QPushButton* SaveTable_Button;
    QPushButton* SaveChart_Button;
    QProgressBar* Progress_Bar;
    QLabel* Status_Label;
    QTableWidget* Results_Table;
    StudyChartView* Chart;

    void RunExecute();
    void CancelExecute();
    void SaveTableExecute();
    void SaveChartExecute();
    // Asks a running study to stop and waits until it has.
    void StopAndWait();

  signals:
    // A study has ended, completed or stopped; its results are all shown.
    void StudyEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    QGridLayout* BuildChoices();
    QHBoxLayout* BuildButtons();
    QSplitter* BuildResults();
    void QuantityChosen(int i);
    void FillQuantities();
    std::optional<std::vector<study::Variation>> ReadVariations();
    void StartStudy(std::vector<study::CaseRow> rows);
    void AddResult(const study::CaseResult& result);
    void FinishStudy(const study::StudyOutcome& outcome);
    void ShowProgress();
    void SetRunning(bool running);
    void SetUpTable();

    // The real message boxes and file dialogs stand on this window, not on
    // the main window; dialogs a test scripts are used as given.
    std::unique_ptr<UserDialogs> ownDialogs_;
    UserDialogs& dialogs_;
    InputCase base_;
    std::vector<Quantity> varied_;  // those of the study under way or last run
    bool bothMethods_ = false;
    std::vector<study::CaseResult> results_;
    study::SweepChart chart_;  // the results so far as the chart draws them
    std::unique_ptr<study::StudyControl> control_;
    std::thread worker_;
    int studyNumber_ = 0;  // of the study under way or last run
    QTimer progressTimer_;
};

}  // namespace pelorin
