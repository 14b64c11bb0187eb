#include "settings_windows.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "widget_names.h"

namespace quorlin {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* Box(const QString& name, QWidget* parent, int width = 80) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setFixedWidth(width);
  return e;
}

QLabel* Note(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setWordWrap(true);
  return l;
}

// Checks one button of an exclusive set, or none.
template <class Buttons>
void CheckOnly(const Buttons& buttons, int index) {
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
    buttons[i]->setAutoExclusive(false);
    buttons[i]->setChecked(i == index);
    buttons[i]->setAutoExclusive(true);
  }
}

// Line i of the wavelength table in yellow when it is the primary line.
void Paint(QWidget* w, bool primary) {
  w->setStyleSheet(primary ? "background-color: #FFFF00;" : "background-color: #FFFFFF;");
}

}  // namespace

// --- X-ray Wavelengths ----------------------------------------------------------

frmChangeWavelength::frmChangeWavelength(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmChangeWavelength", "X-ray Wavelengths", parent), dialog_(model) {
  auto* v = new QVBoxLayout(this);
  auto* header = new QGridLayout;
  header->addWidget(new QLabel("Wavelength (Angstroms)", this), 0, 1);
  header->addWidget(new QLabel("Source intensity (0 to 1)", this), 0, 2);
  auto* energy = new QLabel("Energy (keV)", this);
  energy->setObjectName("lblEnergyHeader");
  header->addWidget(energy, 0, 3);
  header->setColumnMinimumWidth(0, 110);
  v->addLayout(header);
  const char* const groups[3] = {"Copper", "Molybdenum", "Others"};
  for (int g = 0; g < 3; ++g) {
    auto* frame = new QGroupBox(groups[g], this);
    auto* grid = new QGridLayout(frame);
    int first = g * 3, last = g == 2 ? WavelengthDialog::kLines - 1 : g * 3 + 2;
    for (int i = first; i <= last; ++i) {
      WavelengthRow row = dialog_.Row(i);
      chkWavelength[i] = new QCheckBox(Q(row.caption), frame);
      chkWavelength[i]->setObjectName(Indexed("chkWavelength", i));
      chkWavelength[i]->setMinimumWidth(100);
      txtWavelength[i] = Box(Indexed("txtWavelength", i), frame, 100);
      txtIntensity[i] = Box(Indexed("txtIntensity", i), frame, 100);
      lblEnergy[i] = new QLabel(frame);
      lblEnergy[i]->setObjectName(Indexed("lblEnergy", i));
      lblEnergy[i]->setMinimumWidth(70);
      grid->addWidget(chkWavelength[i], i - first, 0);
      grid->addWidget(txtWavelength[i], i - first, 1);
      grid->addWidget(txtIntensity[i], i - first, 2);
      grid->addWidget(lblEnergy[i], i - first, 3);

      connect(chkWavelength[i], &QCheckBox::clicked, this, [this, i](bool on) { dialog_.CheckClicked(i, on); });
      connect(txtWavelength[i], &QLineEdit::editingFinished, this, [this, i] {
        if (!dialog_.WavelengthEntered(i, txtWavelength[i]->text().toStdString())) {
          QSignalBlocker block(txtWavelength[i]);
          txtWavelength[i]->setText(Q(dialog_.Row(i).wavelength));
        }
      });
      connect(txtIntensity[i], &QLineEdit::editingFinished, this, [this, i] {
        if (!dialog_.IntensityEntered(i, txtIntensity[i]->text().toStdString())) {
          QSignalBlocker block(txtIntensity[i]);
          txtIntensity[i]->setText(Q(dialog_.Row(i).intensity));
        }
      });
    }
    v->addWidget(frame);
  }
  auto* primary = new QHBoxLayout;
  primary->addWidget(Note("Primary wavelength (used in calculation of two theta and d-spacings)", this), 1);
  Text1 = Box("Text1", this, 100);
  Text1->setReadOnly(true);
  primary->addWidget(Text1);
  v->addLayout(primary);
  v->addWidget(Note("Note: Use the checkboxes to select wavelengths. The primary wavelength is highlighted in "
                    "yellow, and can be changed with the \"Move Primary Wavelength...\" button.",
                    this));
  cmdSelectWavelength = Button("cmdSelectWavelength", "Move Primary Wavelength to Next Available", this);
  Command1 = Button("Command1", "Replot", this);
  Command2 = Button("Command2", "Exit", this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdSelectWavelength);
  buttons->addWidget(Command1);
  buttons->addWidget(Command2);
  v->addLayout(buttons);

  connect(cmdSelectWavelength, &QPushButton::clicked, this, [this] { dialog_.MovePrimaryToNextAvailable(); });
  connect(Command1, &QPushButton::clicked, this, [this] { dialog_.Replot(); });
  connect(Command2, &QPushButton::clicked, this, &QWidget::close);
}

void frmChangeWavelength::Refresh() {
  for (int i = 0; i < WavelengthDialog::kLines; ++i) {
    WavelengthRow row = dialog_.Row(i);
    chkWavelength[i]->setChecked(row.on);
    SetTextUnlessEditing(txtWavelength[i], Q(row.wavelength));
    SetTextUnlessEditing(txtIntensity[i], Q(row.intensity));
    lblEnergy[i]->setText(Q(row.energy));
    for (QWidget* w : {static_cast<QWidget*>(chkWavelength[i]), static_cast<QWidget*>(txtWavelength[i]),
                       static_cast<QWidget*>(txtIntensity[i])})
      Paint(w, row.primary);
  }
  Text1->setText(Q(dialog_.PrimaryWavelength()));
}

void frmChangeWavelength::hideEvent(QHideEvent* event) {
  dialog_.Leave();
  ToolWindow::hideEvent(event);
}

void frmChangeWavelength::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) dialog_.Leave();
  ToolWindow::changeEvent(event);
}

// --- h,k,l limits --------------------------------------------------------------------

frmChangeLimits::frmChangeLimits(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmChangeLimits", "Change h,k,l limits", parent), dialog_(model) {
  auto* v = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  const char* const labels[6] = {"h min", "k min", "l min", "h max", "k max", "l max"};
  for (int i = 0; i < 6; ++i) {
    Text[i] = Box(QString("Text%1").arg(i + 1), this, 60);
    int column = i < 3 ? 0 : 2;
    grid->addWidget(new QLabel(labels[i], this), i % 3, column);
    grid->addWidget(Text[i], i % 3, column + 1);
  }
  v->addLayout(grid);
  chkIrreducibleWedge = new QCheckBox("Use only the irreducible wedge", this);
  chkIrreducibleWedge->setObjectName("chkIrreducibleWedge");
  v->addWidget(chkIrreducibleWedge);
  Command4 = Button("Command4", "(+1)", this);
  Command5 = Button("Command5", "(-1)", this);
  cmdFitLimitsToWindow = Button("cmdFitLimitsToWindow", "Fit to plot window", this);
  Command1 = Button("Command1", "OK", this);
  Command3 = Button("Command3", "Apply", this);
  CancelButton = Button("CancelButton", "Cancel", this);
  auto* steps = new QHBoxLayout;
  steps->addWidget(Command4);
  steps->addWidget(Command5);
  steps->addWidget(cmdFitLimitsToWindow);
  v->addLayout(steps);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command1);
  buttons->addWidget(Command3);
  buttons->addWidget(CancelButton);
  v->addLayout(buttons);

  connect(chkIrreducibleWedge, &QCheckBox::clicked, this, [this](bool on) { dialog_.SetIrreducibleWedge(on); });
  connect(Command4, &QPushButton::clicked, this, [this] {
    if (auto t = dialog_.Widen(Boxes(), 1)) Show(*t);
  });
  connect(Command5, &QPushButton::clicked, this, [this] {
    if (auto t = dialog_.Widen(Boxes(), -1)) Show(*t);
  });
  connect(cmdFitLimitsToWindow, &QPushButton::clicked, this, [this] {
    if (dialog_.FitToPlotWindow()) Show(dialog_.Texts());
  });
  connect(Command3, &QPushButton::clicked, this, [this] {
    if (dialog_.Apply(Boxes())) Show(dialog_.Texts());
  });
  connect(Command1, &QPushButton::clicked, this, [this] {
    if (dialog_.Apply(Boxes())) close();
  });
  connect(CancelButton, &QPushButton::clicked, this, [this] {
    dialog_.Cancel();
    close();
  });
}

LimitTexts frmChangeLimits::Boxes() const {
  LimitTexts t;
  for (int i = 0; i < 6; ++i) t[i] = Text[i]->text().toStdString();
  return t;
}

// After a button the boxes show what the model took, even the focused one.
void frmChangeLimits::Show(const LimitTexts& texts) {
  for (int i = 0; i < 6; ++i) {
    QSignalBlocker block(Text[i]);
    Text[i]->setText(Q(texts[i]));
  }
}

void frmChangeLimits::Refresh() {
  LimitTexts t = dialog_.Texts();
  for (int i = 0; i < 6; ++i) SetTextUnlessEditing(Text[i], Q(t[i]));
  chkIrreducibleWedge->setChecked(dialog_.IrreducibleWedge());
}

void frmChangeLimits::showEvent(QShowEvent* event) {
  dialog_.Open();
  ToolWindow::showEvent(event);
}

// --- scroll ranges ---------------------------------------------------------------------

frmCellScaleChange::frmCellScaleChange(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmCellScaleChange", "Lattice parameter range", parent), dialog_(model) {
  auto* v = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  const char* const labels[6] = {"Minimum cell edge",  "Maximum cell edge",  "Divisions per Angstrom",
                                 "Minimum cell angle", "Maximum cell angle", "Divisions per degree"};
  for (int i = 0; i < 6; ++i) {
    Text[i] = Box(QString("Text%1").arg(i + 1), this);
    grid->addWidget(new QLabel(labels[i], this), i, 0);
    grid->addWidget(Text[i], i, 1);
  }
  v->addLayout(grid);
  v->addWidget(Note("Put in the values for the cell minimum, maximum and the fineness of the scrollbar scale. "
                    "Choose the direct lattice on the main form to enable this option.",
                    this));
  OKCommand = Button("OKCommand", "Apply", this);
  Exit = Button("Exit", "Exit", this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(OKCommand);
  buttons->addWidget(Exit);
  v->addLayout(buttons);

  connect(OKCommand, &QPushButton::clicked, this, [this] {
    ScaleTexts t;
    for (int i = 0; i < 6; ++i) t[i] = Text[i]->text().toStdString();
    // Accepted or refused, the boxes then show the values in force.
    dialog_.Apply(t);
    ScaleTexts now = dialog_.Texts();
    for (int i = 0; i < 6; ++i) {
      QSignalBlocker block(Text[i]);
      Text[i]->setText(Q(now[i]));
    }
  });
  connect(Exit, &QPushButton::clicked, this, &QWidget::close);
}

void frmCellScaleChange::Refresh() {
  ScaleTexts t = dialog_.Texts();
  for (int i = 0; i < 6; ++i) SetTextUnlessEditing(Text[i], Q(t[i]));
  OKCommand->setEnabled(dialog_.Enabled());
}

// --- d-spacing calculator ---------------------------------------------------------------

frmDSpacing::frmDSpacing(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmDSpacing", "D-spacing calculation", parent), dialog_(model) {
  auto* v = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  const char* const labels[3] = {"h", "k", "l"};
  for (int i = 0; i < 3; ++i) {
    Text[i] = Box(QString("Text%1").arg(i + 1), this, 50);
    row->addWidget(new QLabel(labels[i], this));
    row->addWidget(Text[i]);
  }
  Command1 = Button("Command1", "Calculate->", this);
  row->addWidget(Command1);
  row->addWidget(new QLabel("D-spacing", this));
  Text[3] = Box("Text4", this, 90);
  Text[3]->setReadOnly(true);
  row->addWidget(Text[3]);
  Label7 = new QLabel("Forbidden", this);
  Label7->setObjectName("Label7");
  row->addWidget(Label7);
  v->addLayout(row);
  v->addWidget(Note("Instructions: Type the h, k, l values as integers in the boxes on the left, then click "
                    "\"Calculate.\" The program will calculate the d-spacing of the line, and determine if "
                    "the reflection is allowed or forbidden.",
                    this));
  OKCommand = Button("OKCommand", "OK", this);
  v->addWidget(OKCommand, 0, Qt::AlignRight);

  connect(Command1, &QPushButton::clicked, this, [this] {
    auto r = dialog_.Calculate(Text[0]->text().toStdString(), Text[1]->text().toStdString(),
                               Text[2]->text().toStdString(), Model().Platform());
    if (r) Show(*r);
  });
  connect(OKCommand, &QPushButton::clicked, this, &QWidget::close);
}

void frmDSpacing::Show(const DSpacingResult& r) {
  Text[3]->setText(Q(r.dSpacing));
  Label7->setText(r.allowed ? "Allowed" : "Forbidden");
}

void frmDSpacing::Refresh() {
  if (auto r = dialog_.Recalculate()) Show(*r);
}

// --- volume tracking -------------------------------------------------------------------

frmVolumeTracking::frmVolumeTracking(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmVolumeTracking", "Volume Tracking", parent), dialog_(model) {
  auto* v = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Reference volume for tracking.", this));
  Text1 = Box("Text1", this, 100);
  row->addWidget(Text1);
  v->addLayout(row);
  v->addWidget(Note("Use a reference volume, usually of a known phase of the same composition, to track the "
                    "volume of the unit cell. When the mouse is clicked on the pattern, the volume divided by "
                    "this reference volume will be displayed. Sometimes this can be used as a constraint by "
                    "which bad cells can be rejected.",
                    this));
  Command2 = Button("Command2", "Use Current Cell Volume", this);
  OKCommand = Button("OKCommand", "OK", this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command2);
  buttons->addWidget(OKCommand);
  v->addLayout(buttons);

  connect(Command2, &QPushButton::clicked, this, [this] {
    dialog_.UseCurrentVolume();
    QSignalBlocker block(Text1);
    Text1->setText(Q(dialog_.Text()));
  });
  connect(OKCommand, &QPushButton::clicked, this, [this] {
    if (dialog_.Accept(Text1->text().toStdString())) {
      close();
    } else {
      QSignalBlocker block(Text1);
      Text1->setText(Q(dialog_.Text()));
    }
  });
}

void frmVolumeTracking::Refresh() { SetTextUnlessEditing(Text1, Q(dialog_.Text())); }

// --- colours and widths ------------------------------------------------------------------

frmColors::frmColors(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmColors", "Color scheme for the main x-ray pattern", parent), dialog_(model) {
  auto* grid = new QGridLayout(this);
  auto* lines = new QGroupBox("Line Colors", this);
  auto* lv = new QVBoxLayout(lines);
  const char* const schemes[ColorsDialog::kSchemes] = {"All lines blue.",
                                                       "Order Blend (R+G+B <-> h + k + l).",
                                                       "Direction blend (R,G,B <-> a,b,c).",
                                                       "Direction/Order blend (R,G,B <-> h,k,l).",
                                                       "Basal planes R, G, B; others white.",
                                                       "Number of Zeroes blend.",
                                                       "Seven Colors.",
                                                       "User-defined color."};
  for (int i = 0; i < ColorsDialog::kSchemes; ++i) {
    ColorChoice[i] = new QRadioButton(schemes[i], lines);
    ColorChoice[i]->setObjectName(Indexed("ColorChoice", i));
    lv->addWidget(ColorChoice[i]);
    connect(ColorChoice[i], &QRadioButton::clicked, this, [this, i] { dialog_.ChooseScheme(i); });
  }
  grid->addWidget(lines, 0, 0, 3, 1);

  auto* user = new QGroupBox("User-defined color", this);
  cmdChooseColor = Button("cmdChooseColor", "Choose line color", user);
  (new QVBoxLayout(user))->addWidget(cmdChooseColor);
  grid->addWidget(user, 0, 1);

  auto* absence = new QGroupBox("Absence Color", this);
  auto* av = new QVBoxLayout(absence);
  const char* const absences[2] = {"Show absent lines in red.", "Show absent lines in black."};
  for (int i = 0; i < 2; ++i) {
    AbsenceChoice[i] = new QCheckBox(absences[i], absence);
    AbsenceChoice[i]->setObjectName(Indexed("AbsenceChoice", i));
    av->addWidget(AbsenceChoice[i]);
    connect(AbsenceChoice[i], &QCheckBox::clicked, this, [this, i](bool on) { dialog_.AbsenceClicked(i, on); });
  }
  grid->addWidget(absence, 1, 1);

  auto widths = [this](const char* caption, const char* name, std::array<QRadioButton*, 5>& buttons,
                       void (ColorsDialog::*set)(int)) {
    auto* frame = new QGroupBox(caption, this);
    auto* h = new QHBoxLayout(frame);
    for (int i = 0; i < 5; ++i) {
      buttons[i] = new QRadioButton(QString::number(i + 1), frame);
      buttons[i]->setObjectName(Indexed(name, i));
      h->addWidget(buttons[i]);
      connect(buttons[i], &QRadioButton::clicked, this, [this, set, i] { (dialog_.*set)(i); });
    }
    return frame;
  };
  grid->addWidget(widths("Line Width (pixels)", "optLineWidth", optLineWidth, &ColorsDialog::SetLineWidth), 2, 1);

  auto* back = new QGroupBox("Background color for plot", this);
  cmdChooseBackgroundColor = Button("cmdChooseBackgroundColor", "Choose background color", back);
  (new QVBoxLayout(back))->addWidget(cmdChooseBackgroundColor);
  grid->addWidget(back, 3, 0);
  auto* dataFrame = new QGroupBox("X-ray data color", this);
  cmdChooseDataColor = Button("cmdChooseDataColor", "Choose x-ray data color", dataFrame);
  (new QVBoxLayout(dataFrame))->addWidget(cmdChooseDataColor);
  grid->addWidget(dataFrame, 3, 1);
  grid->addWidget(widths("Data width (pixels)", "optDataWidth", optDataWidth, &ColorsDialog::SetDataWidth), 4, 1);
  OKCommand = Button("OKCommand", "OK", this);
  grid->addWidget(OKCommand, 4, 0, Qt::AlignLeft);

  connect(cmdChooseColor, &QPushButton::clicked, this, [this] { dialog_.ChooseLineColor(); });
  connect(cmdChooseBackgroundColor, &QPushButton::clicked, this, [this] { dialog_.ChooseBackgroundColor(); });
  connect(cmdChooseDataColor, &QPushButton::clicked, this, [this] { dialog_.ChooseDataColor(); });
  connect(OKCommand, &QPushButton::clicked, this, &QWidget::close);
}

void frmColors::Refresh() {
  CheckOnly(ColorChoice, dialog_.SchemeIndex());
  auto ticks = dialog_.AbsenceTicks();
  for (int i = 0; i < 2; ++i) AbsenceChoice[i]->setChecked(ticks[i]);
  CheckOnly(optLineWidth, dialog_.LineWidthIndex());
  CheckOnly(optDataWidth, dialog_.DataWidthIndex());
}

}  // namespace quorlin
