#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>

#include "GraphDrawing.h"

class QAction;
class QLabel;
class QPushButton;

namespace pelorin {

class DesktopSession;
class UserDialogs;
struct FileDialogSpec;

// The profile, titles and tag last read from a report into the session.
graph::GraphRequest GraphRequestOf(const DesktopSession& session, bool inColour);

// The Graphics sheet: draws the water table of a report, saves it in colour or
// in black and white, and shows a graph picture opened from a file.
class GraphicsSheet : public QWidget {
  public:
    // What the sheet asks of the main window around it. Every hook may be left
    // empty; the sheet then does without.
    struct Hooks {
        std::function<void()> BringToFront;      // make this sheet the active page
        std::function<void()> MarkOutputShown;   // "See graph" counts as a shown report
        std::function<void()> HideFigureWindow;  // the companion window of the figure
        std::function<void()> HideOutputMemos;   // the report and the symbol legend
        // The main window's dialogs open in the folder of the file last chosen in them.
        std::function<void()> FollowChosenFolder;
        // Runs the main window's dialog for output files (empty when cancelled);
        // without it the sheet asks through its own dialogs.
        std::function<QString()> ChooseOutputFile;
        // The units the user chose: the graph's axes in metres or in feet.
        std::function<UnitSystem()> Units;
    };

    GraphicsSheet(pelorin::DesktopSession& session, pelorin::UserDialogs& dialogs,
                  std::function<void(const QString&)> showStatus, QWidget* parent = nullptr);

    void SetHooks(Hooks hooks);
    // The decorative picture shown while no graph has been shown.
    void SetJoulePicture(const QPixmap& picture);
    // "Open graph", for the File menu as well as the sheet's button (Ctrl+G).
    QAction* GraphOpenAction() const { return GraphOpen; }

    void Graphics_TabSheetShow();
    void GraphOpenExecute();
    void ViewGraphButtonClick();
    void MakeGraphics_ButtonClick();
    void SaveGraphButtonClick();
    void BlWhButtonClick();
    // Draws the profile of the session in the palette of GraphInColour;
    // false (after a message) when the profile cannot be drawn.
    bool DrawGraph();

    void SetGraphInColour(bool inColour) { graphInColour_ = inColour; }
    bool GraphInColour() const { return graphInColour_; }
    void SetGraphShown(bool shown) { graphShown_ = shown; }
    bool GraphShown() const { return graphShown_; }
    // The picture of GraphImage: what the save buttons write.
    const QImage& GraphPicture() const { return drawn_.Image; }
    // The scene that picture was painted from.
    const graph::GraphScene& GraphScene() const { return drawn_.Scene; }

  protected:
    // Enlarged, the graph area grows and the buttons keep below it.
    void resizeEvent(QResizeEvent* event) override;

  private:
    void CreateComponents();
    FileDialogSpec GraphDialog(const QString& title) const;
    // The save buttons are there exactly while a drawn graph is shown.
    void ShowSaveButtonsWithGraph();
    void ShowGraphPicture();
    QString ChooseReport();
    void SaveGraph(bool inColour);
    void ShowMessage(const QString& text);

    pelorin::DesktopSession& session_;
    pelorin::UserDialogs& dialogs_;
    std::function<void(const QString&)> showStatus_;
    Hooks hooks_;

    bool graphShown_ = false;
    bool graphInColour_ = false;
    // The graph drawn last: its picture and the scene that a drawing is made from.
    graph::GraphPicture drawn_;
    // Where the last graph was saved or opened: the graph dialogs_ open there.
    QString graphFolder_;
    // What the sheet shows: a picture file's name, or the graph of a report.
    QString shownSource_;

    QLabel* GraphImage = nullptr;
    QLabel* PictureImage = nullptr;
    QLabel* Joule_Image = nullptr;
    QPushButton* MakeGraphics_Button = nullptr;
    QPushButton* SaveGraphButton = nullptr;
    QPushButton* BlWhButton = nullptr;
    QPushButton* SeeGraphButton = nullptr;
    QAction* GraphOpen = nullptr;
};

}  // namespace pelorin
