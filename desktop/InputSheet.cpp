#include "InputSheet.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QSettings>
#include <QSignalBlocker>

#include "Calculate.h"
#include "FieldNumbers.h"
#include "QtText.h"
#include "SoilTexture.h"
#include "StatusLineWindow.h"

namespace pelorin {

namespace {

constexpr int kRowTop = 132;
constexpr int kCaptionTop = 135;
constexpr int kRowStep = 20;

QLabel* Caption(QWidget* parent, const QString& text, int left, int top, const char* name,
                int width = 70) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(left, top, width, 17);
    return label;
}

// 20 pixels high: the rows are 20 pixels apart and must not overlap.
QLineEdit* Edit(QWidget* parent, int left, int top, int width, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(left, top, width, 20);
    return edit;
}

template <std::size_t N>
QStringList Choices(const std::array<const char*, N>& texts) {
    QStringList items;
    for (const char* text : texts) items << QString::fromLatin1(text);
    return items;
}

QComboBox* SelectionBox(QWidget* parent, const QStringList& items, int top, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setEditable(false);
    box->setGeometry(112, top, 393, 20);
    return box;
}

QPushButton* Button(QWidget* parent, const QString& caption, const QRect& place, const char* name,
                    int pixelSize = 0) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    button->setFont(pixelSize > 0 ? DesignFont(QStringLiteral("Courier New"), pixelSize, true)
                                  : QApplication::font());
    return button;
}

// The user's settings of the desktop program.
QSettings Settings() { return QSettings(QStringLiteral("Pelorin"), QStringLiteral("pelorin")); }

}  // namespace

InputSheet::InputSheet(DesktopSession& session, UserDialogs& dialogs, SheetHost& host,
                       char decimalSeparator, QWidget* parent)
    : QWidget(parent),
      session_(session),
      dialogs_(dialogs),
      host_(host),
      separator_(decimalSeparator) {
    setFont(DesignFont(QStringLiteral("Courier New"), 13, true));
    BuildHeader();
    BuildRows();
    BuildButtons();
    BuildPresets();
    SetTabOrder();
    LayoutRows();
    CopyRowsToFields();
}

// Tab goes from the titles through the choices and down the rows to
// Save/Run, then to the presets and the other buttons. The file name is shown, not typed.
void InputSheet::SetTabOrder() {
    FileName_Edit->setFocusPolicy(Qt::ClickFocus);
    QList<QWidget*> order{Title1_Edit, Title2_Edit, CalcAim_Combobox, Units_ComboBox,
                          Method_ComboBox};
    for (QLineEdit* field : ValueEdits) order << field;
    // The presets come after Save/Run: a case typed row by row goes on to
    // its run without passing them.
    order << Filesave_Button << Texture_ComboBox;
    for (QCheckBox* box : PresetBoxes) order << box;
    order << Fill_Button << Fileopen_Button << DesignStudy_Button << RechargeButton << HelpButton
          << FigureButton1 << CancelRun_Button;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void InputSheet::BuildHeader() {
    Filename_Label = Caption(this, QStringLiteral("File"), 32, 14, "Filename_Label");
    FileName_Edit = Edit(this, 112, 10, 577, "FileName_Edit");
    FileName_Edit->setReadOnly(true);
    Filename_Label->hide();
    FileName_Edit->hide();
    Title1_Label = Caption(this, QStringLiteral("Title1"), 32, 36, "Title1_Label");
    Title1_Edit = Edit(this, 112, 30, 577, "Title1_Edit");
    Title2_Label = Caption(this, QStringLiteral("Title2"), 32, 56, "Title2_Label");
    Title2_Edit = Edit(this, 112, 53, 577, "Title2_Edit");
    Options_Label = Caption(this, QStringLiteral("Options"), 32, 80, "Options_Label");
    // Beside the aim: the units of the rows, as the user last chose them.
    Units_Label = Caption(this, QStringLiteral("Units"), 520, 80, "Units_Label", 50);
    Units_ComboBox = new QComboBox(this);
    Units_ComboBox->setObjectName(QStringLiteral("Units_ComboBox"));
    Units_ComboBox->addItems({QStringLiteral("SI"), QStringLiteral("US customary")});
    Units_ComboBox->setGeometry(572, 77, 117, 20);
    Units_ComboBox->setToolTip(
        QStringLiteral("SI: m, m/day, day/m. US customary: ft, in/day, ft/day, day/ft. "
                       "Input files and reports stay in metres and days."));
    shownUnits_ = UnitSystemFromName(Settings()
                                         .value(QStringLiteral("units"), QStringLiteral("si"))
                                         .toString()
                                         .toStdString())
                      .value_or(UnitSystem::SI);
    Units_ComboBox->setCurrentIndex(shownUnits_ == UnitSystem::US ? 1 : 0);
    CalcAim_Combobox = SelectionBox(this, Choices(kAimChoices), 77, "CalcAim_Combobox");
    Method_Label = Caption(this, QStringLiteral("Method"), 32, 99, "Method_Label");
    Method_Label->setToolTip(QStringLiteral("Select calculation method"));
    Method_ComboBox = SelectionBox(this, Choices(kMethodChoices), 97, "Method_ComboBox");
    connect(CalcAim_Combobox, &QComboBox::currentIndexChanged, this,
            &InputSheet::CalcAim_ComboboxChange);
    connect(Method_ComboBox, &QComboBox::currentIndexChanged, this,
            &InputSheet::Method_ComboBoxChange);
    connect(Units_ComboBox, &QComboBox::currentIndexChanged, this,
            &InputSheet::Units_ComboBoxChange);
}

void InputSheet::BuildRows() {
    for (int i = 0; i < kRowCount; ++i) {
        const QByteArray labelName = "Label" + QByteArray::number(i + 1);
        RowLabels[i] =
            Caption(this, QString(), 32, kCaptionTop + kRowStep * i, labelName.constData(), 464);
        const QByteArray editName = "MaskEdit" + QByteArray::number(i + 1);
        ValueEdits[i] = Edit(this, 512, kRowTop + kRowStep * i, 121, editName.constData());
        ValueEdits[i]->installEventFilter(this);
    }
    Footnote_Label = Caption(this, QString::fromLatin1(kFootnoteCaption), 32, 400, "Label14", 200);
    QPalette grey = Footnote_Label->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    Footnote_Label->setPalette(grey);

    // The progress of a run and its Cancel button stand in the free band
    // between the footnote and the buttons, so that they cover no field.
    WaitMemo = new QPlainTextEdit(this);
    WaitMemo->setObjectName(QStringLiteral("WaitMemo"));
    WaitMemo->setGeometry(240, 398, 344, 66);
    WaitMemo->setReadOnly(true);
    WaitMemo->setStyleSheet(QStringLiteral("QPlainTextEdit { background: blue; color: yellow; }"));
    WaitMemo->hide();
    CancelRun_Button =
        Button(this, QStringLiteral("Cancel"), QRect(596, 398, 93, 25), "CancelRun_Button");
    CancelRun_Button->setToolTip(
        QStringLiteral("Stop the calculation; the previous output stays as it was"));
    CancelRun_Button->hide();
    connect(CancelRun_Button, &QPushButton::clicked, this, [this] {
        CancelRun_Button->setEnabled(false);
        emit CancelRunRequested();
    });
}

void InputSheet::BuildButtons() {
    RechargeButton =
        Button(this, QStringLiteral("Help (R)"), QRect(208, 472, 75, 25), "RechargeButton");
    HelpButton = Button(this, QStringLiteral("Help (E)"), QRect(296, 470, 75, 25), "HelpButton");
    FigureButton1 =
        Button(this, QStringLiteral("Figure"), QRect(384, 470, 75, 25), "FigureButton1", 16);
    Filesave_Button =
        Button(this, QStringLiteral("&Save/Run"), QRect(472, 470, 98, 25), "Filesave_Button", 16);
    Fileopen_Button =
        Button(this, QStringLiteral("Open input"), QRect(584, 470, 108, 25), "Fileopen_Button", 16);
    DesignStudy_Button =
        Button(this, QStringLiteral("Design study"), QRect(96, 470, 100, 25), "DesignStudy_Button");
    DesignStudy_Button->setToolTip(QStringLiteral("Run this case over ranges of its quantities"));
    connect(RechargeButton, &QPushButton::clicked, this, &InputSheet::RechargeButtonClick);
    connect(HelpButton, &QPushButton::clicked, this, &InputSheet::HelpButtonClick);
    connect(FigureButton1, &QPushButton::clicked, this, &InputSheet::FigureButton1Click);
}

// The presets stand left of the progress box, below the footnote, so that a
// run's progress covers none of them; the boxes and marks use the free
// column right of the fields.
void InputSheet::BuildPresets() {
    Texture_Label = Caption(this, QStringLiteral("&Texture"), 32, 423, "Texture_Label", 62);
    Texture_ComboBox = new QComboBox(this);
    Texture_ComboBox->setObjectName(QStringLiteral("Texture_ComboBox"));
    for (const TextureClass& texture : kTextureClasses)
        Texture_ComboBox->addItem(QString::fromLatin1(texture.name));
    Texture_ComboBox->setGeometry(96, 420, 136, 20);
    Texture_ComboBox->setFont(QApplication::font());
    Texture_ComboBox->setToolTip(
        QStringLiteral("Typical conductivities by soil-texture class, averages from ") +
        QString::fromLatin1(kTextureSource) +
        QStringLiteral(" A measured conductivity is always better."));
    Texture_Label->setBuddy(Texture_ComboBox);
    Fill_Button = Button(this, QStringLiteral("Fi&ll"), QRect(96, 443, 60, 22), "Fill_Button");
    Fill_Button->setToolTip(
        QStringLiteral("Fill the ticked conductivities with the typical value of the class"));
    connect(Fill_Button, &QPushButton::clicked, this, &InputSheet::Fill_ButtonClick);
    for (std::size_t k = 0; k < PresetBoxes.size(); ++k) {
        const char* symbol = TextsOf(kPresetQuantities[k]).symbol;
        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("Preset_") + QString::fromLatin1(symbol));
        box->setChecked(true);
        box->setToolTip(QStringLiteral("Fill ") + QString::fromLatin1(symbol) +
                        QStringLiteral(" from the texture class"));
        box->hide();
        PresetBoxes[k] = box;
    }
    for (int i = 0; i < kRowCount; ++i) {
        const QByteArray name = "Typical" + QByteArray::number(i + 1);
        TypicalMarks[i] = Caption(this, QStringLiteral("typ."), 656, kCaptionTop + kRowStep * i,
                                  name.constData(), 48);
        TypicalMarks[i]->hide();
        QLineEdit* field = ValueEdits[i];
        // Only the user's own typing takes the mark away, not a text the
        // program sets.
        connect(field, &QLineEdit::textEdited, TypicalMarks[i], &QLabel::hide);
    }
}

int InputSheet::RowOfQuantity(Quantity q) const {
    for (int row = 1; row <= kRowCount; ++row) {
        if (RowQuantity(row) == q && !ValueEdits[row - 1]->isHidden()) return row;
    }
    return 0;
}

void InputSheet::PlacePresetBoxes() {
    for (std::size_t k = 0; k < PresetBoxes.size(); ++k) {
        const int row = RowOfQuantity(kPresetQuantities[k]);
        PresetBoxes[k]->setVisible(row != 0);
        if (row != 0) PresetBoxes[k]->setGeometry(638, kRowTop + kRowStep * (row - 1) + 2, 16, 16);
    }
}

void InputSheet::ClearTypicalMarks() {
    for (QLabel* mark : TypicalMarks) mark->hide();
}

// Each ticked conductivity the aim shows gets the class's typical value in
// the chosen units, shown back as the number the input file will hold.
void InputSheet::Fill_ButtonClick() {
    const int index = Texture_ComboBox->currentIndex();
    if (index < 0) return;
    const TextureClass& texture = kTextureClasses[static_cast<std::size_t>(index)];
    const QString note = QString::fromStdString(TypicalNote(texture));
    for (std::size_t k = 0; k < PresetBoxes.size(); ++k) {
        const Quantity q = kPresetQuantities[k];
        const int row = RowOfQuantity(q);
        if (row == 0 || !PresetBoxes[k]->isChecked()) continue;
        const double value = TextureConductivity(texture.name, shownUnits_).value_or(0.0);
        ValueEdits[row - 1]->setText(FieldText(value, q, shownUnits_));
        TypicalMarks[row - 1]->setToolTip(note);
        TypicalMarks[row - 1]->show();
    }
}

void InputSheet::AttachActions(QAction* inputSave, QAction* inputOpen) {
    inputSave_ = inputSave;
    connect(Filesave_Button, &QPushButton::clicked, inputSave, &QAction::trigger);
    connect(Fileopen_Button, &QPushButton::clicked, inputOpen, &QAction::trigger);
    // The button follows the action: Save/Run only while this sheet is shown.
    connect(inputSave, &QAction::enabledChanged, Filesave_Button, &QPushButton::setEnabled);
    Filesave_Button->setEnabled(inputSave->isEnabled());
}

CalcAim InputSheet::SelectedAim() const {
    return static_cast<CalcAim>(std::max(0, CalcAim_Combobox->currentIndex()));
}

CalcMethod InputSheet::RunMethod() const {
    return Method_ComboBox->currentIndex() == 1 ? CalcMethod::Darcy : CalcMethod::EnergyBalance;
}

std::array<std::string, kRowCount> InputSheet::RowTexts() const {
    std::array<std::string, kRowCount> texts;
    for (int i = 0; i < kRowCount; ++i) texts[i] = ValueEdits[i]->text().toStdString();
    return texts;
}

void InputSheet::Input_TabSheetShow() {
    host_.ShowStatus(QStringLiteral(
        "Enter data or use \"Open\" to see examples under \"Data\" or to edit existing files. "
        "Thereafter use \"Save/Run\"."));
    host_.SetInputSaveEnabled(true);
    // The starting values of the case follow the boxes, whatever they show.
    session_.Input.AimCode = AimCodeOf(SelectedAim());
    session_.Input.MethodCode = MethodCodeOf(RunMethod());
}

void InputSheet::Input_TabSheetExit() { host_.SetInputSaveEnabled(false); }

void InputSheet::CalcAim_ComboboxChange() {
    rows_.CurrentAim = SelectedAim();
    ClearTypicalMarks();
    LayoutRows();
    session_.Input.AimCode = AimCodeOf(rows_.CurrentAim);
    FillRowsForAim();
    RechargeButton->setEnabled(rows_.CurrentAim != CalcAim::Discharge);
}

void InputSheet::Method_ComboBoxChange() { session_.Input.MethodCode = MethodCodeOf(RunMethod()); }

UnitSystem InputSheet::Units() const { return shownUnits_; }

// Every number of the sheet, shown and remembered, goes over to the other
// units as the number the input file would hold for it; a text that is no
// number stays as it is. The choice is kept for the next session.
void InputSheet::Units_ComboBoxChange() {
    const UnitSystem from = shownUnits_;
    const UnitSystem to = Units_ComboBox->currentIndex() == 1 ? UnitSystem::US : UnitSystem::SI;
    if (to == from) return;
    const CalcAim aim = rows_.CurrentAim;
    const auto convert = [&](const std::string& text, Quantity q) {
        try {
            const double typed = StringToFloat(text, separator_);
            return StoredFieldText(StoredSiValue(typed, q, from, FileDecimals(aim, q)), q, to, aim,
                                   separator_);
        } catch (const ConversionError&) {
            return text;
        }
    };
    CopyRowsFromFields();
    for (int row = 1; row <= kRowCount; ++row) {
        if (const std::optional<Quantity> q = RowQuantity(row))
            rows_.Row(row) = convert(rows_.Row(row), *q);
    }
    for (int k = 0; k < kQuantityCount; ++k) {
        const auto q = static_cast<Quantity>(k);
        // "-1" marks the quantity an opened file left unknown, in any units.
        if (!rows_.M(q).empty() && rows_.M(q) != "-1") rows_.M(q) = convert(rows_.M(q), q);
    }
    shownUnits_ = to;
    CopyRowsToFields();
    LayoutRows();
    Settings().setValue(QStringLiteral("units"), QString::fromLatin1(UnitSystemName(to)));
}

std::optional<Quantity> InputSheet::RowQuantity(int row) const {
    const SheetRow& shown = LayoutOf(rows_.CurrentAim).sheet[static_cast<std::size_t>(row - 1)];
    if (shown.shows != SheetRow::Shows::Quantity) return std::nullopt;
    return shown.quantity;
}

QString InputSheet::FieldText(double typed, std::optional<Quantity> q, UnitSystem units) const {
    if (units == UnitSystem::SI || !q)
        return QString::fromStdString(FormatFieldNumber(typed, separator_));
    const int decimals = FileDecimals(rows_.CurrentAim, *q);
    return QString::fromStdString(StoredFieldText(StoredSiValue(typed, *q, units, decimals), *q,
                                                  units, rows_.CurrentAim, separator_));
}

void InputSheet::LayoutRows() {
    const RowLayout layout = pelorin::LayoutRows(rows_.CurrentAim, shownUnits_);
    for (int i = 0; i < kRowCount; ++i) {
        RowLabels[i]->setText(QString::fromLatin1(layout.Captions[i]));
        RowLabels[i]->setVisible(layout.CaptionVisible[i]);
        ValueEdits[i]->setVisible(layout.FieldVisible[i]);
    }
    Footnote_Label->setText(QString::fromLatin1(kFootnoteCaption));
    Footnote_Label->setVisible(layout.FootnoteVisible);
    PlacePresetBoxes();
}

void InputSheet::CopyRowsFromFields() { rows_.Rows = RowTexts(); }

void InputSheet::CopyRowsToFields() {
    for (int i = 0; i < kRowCount; ++i)
        ValueEdits[i]->setText(QString::fromStdString(rows_.Rows[i]));
}

void InputSheet::FillRowsForAim() {
    CopyRowsFromFields();
    pelorin::FillRowsForAim(rows_);
    CopyRowsToFields();
}

void InputSheet::RememberFieldTexts() {
    CopyRowsFromFields();
    pelorin::RememberFieldTexts(rows_);
    CopyRowsToFields();
}

bool InputSheet::NormaliseField(int row) {
    QLineEdit* field = ValueEdits[row - 1];
    try {
        const double value = StringToFloat(field->text().toStdString(), separator_);
        field->setText(FieldText(value, RowQuantity(row), shownUnits_));
        return true;
    } catch (const ConversionError&) {
        dialogs_.ShowMessage(field->text() + QStringLiteral(" is not a valid real number"));
        field->setText(QStringLiteral("0"));
        return false;
    }
}

void InputSheet::MaskEdit1Exit(int row) { NormaliseField(row); }

void InputSheet::MaskEdit2Exit(int row) {
    if (!NormaliseField(row)) return;
    try {
        const double d1 = StringToFloat(ValueEdits[1]->text().toStdString(), separator_);
        const double d2 = StringToFloat(ValueEdits[2]->text().toStdString(), separator_);
        if (session_.Input.AimCode != "Con" && d1 == d2 && d2 > 0) {
            dialogs_.ShowMessage(QStringLiteral(
                "When D1 and D2 are equal, there is only one layer. The values of Kb2 and Kv2 "
                "are immaterial."));
        }
    } catch (const ConversionError&) {
        // The other row is left for its own exit handler to mend.
    }
}

bool InputSheet::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !runLocked_) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching windows or opening a menu does not leave the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (int i = 0; i < kRowCount; ++i) {
                if (watched != ValueEdits[i]) continue;
                const int row = i + 1;
                if (row == 2 || row == 3) {
                    MaskEdit2Exit(row);
                } else {
                    MaskEdit1Exit(row);
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void InputSheet::InputOpenExecute() {
    const QString chosen = host_.ChooseFile(MainDialog::InputOpen);
    if (chosen.isEmpty()) {
        dialogs_.ShowMessage(QStringLiteral("No input file was selected"));
        return;
    }
    if (!QFileInfo::exists(chosen)) {
        dialogs_.ShowMessage(QStringLiteral("File does not exist, please select another one,"));
        return;
    }
    const std::string previousFileName = session_.CurrentFileName;
    session_.CurrentFileName = FileNameToStd(chosen);
    const InputReadResult read = session_.ReadInputFile();
    for (const std::string& message : read.Messages) dialogs_.ShowMessage(FromFileText(message));
    if (read.Status != FileStatus::Ok) {
        // A file that cannot be used changes neither the sheet nor the case.
        session_.CurrentFileName = previousFileName;
        return;
    }
    if (const std::string missing = MissingNumbersMessage(read.Case.NumbersRead); !missing.empty())
        dialogs_.ShowMessage(FromFileText(missing));
    ShowOpenedCase();
    inputLoaded_ = true;
    currentInputFile_ = chosen;
    emit CaseOpened();
    host_.ShowOutputPicture();
    host_.FollowChosenFolder();
    host_.BringToFront(Sheet::Input);
}

void InputSheet::ShowOpenedCase() {
    FileName_Edit->setText(FileNameFromStd(session_.CurrentFileName));
    FileName_Edit->show();
    Filename_Label->show();
    const CalcAim aim = AimFromCode(session_.Input.AimCode).value_or(CalcAim::Spacing);
    {
        const QSignalBlocker quiet(CalcAim_Combobox);
        CalcAim_Combobox->setCurrentIndex(static_cast<int>(aim));
    }
    rows_.CurrentAim = aim;
    ClearTypicalMarks();
    RechargeButton->setEnabled(aim != CalcAim::Discharge);
    {
        const QSignalBlocker quiet(Method_ComboBox);
        Method_ComboBox->setCurrentIndex(
            MethodFromCode(session_.Input.MethodCode) == CalcMethod::Darcy ? 1 : 0);
    }
    // The rows in file order first; in US units each number the file holds
    // is shown as what it is in those units.
    const AimLayout& file = LayoutOf(aim);
    for (int i = 0; i < kRowCount; ++i) {
        const double value =
            i < static_cast<int>(session_.Input.Values.size()) ? session_.Input.Values[i] : 0.0;
        const std::optional<Quantity> q = file.file[static_cast<std::size_t>(i)];
        ValueEdits[i]->setText(
            shownUnits_ == UnitSystem::US && q
                ? QString::fromStdString(StoredFieldText(value, *q, shownUnits_, aim, separator_))
                : QString::fromStdString(FormatFieldNumber(value, separator_)));
    }
    LayoutRows();
    RememberFieldTexts();
    Title1_Edit->setText(FromFileText(session_.Input.Title1));
    Title2_Edit->setText(FromFileText(session_.Input.Title2));
}

void InputSheet::ShowWaitMemo() {
    WaitMemo->clear();
    WaitMemo->show();
    CancelRun_Button->setEnabled(true);
    CancelRun_Button->show();
}

void InputSheet::AddWaitLine(const QString& line) {
    WaitMemo->appendPlainText(line);
    WaitMemo->repaint();
}

void InputSheet::HideWaitMemo() {
    WaitMemo->hide();
    CancelRun_Button->hide();
}

void InputSheet::SetRunLock(bool locked) {
    runLocked_ = locked;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == WaitMemo || child == CancelRun_Button) continue;
        child->setEnabled(!locked);
    }
    if (locked) {
        CancelRun_Button->setFocus();
        return;
    }
    // As a showing of the sheet leaves them: Help (R) follows the aim and
    // Save/Run its action.
    RechargeButton->setEnabled(SelectedAim() != CalcAim::Discharge);
    if (inputSave_ != nullptr) Filesave_Button->setEnabled(inputSave_->isEnabled());
    CancelRun_Button->hide();
}

}  // namespace pelorin
