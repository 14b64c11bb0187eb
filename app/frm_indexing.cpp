#include "frm_indexing.h"

#include <algorithm>

#include <QCheckBox>
#include <QHideEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/numtext.h"
#include "plot_view.h"
#include "reflections/catalogue.h"

namespace quorlin {

namespace {

QTableWidgetItem* ReadOnly(const std::string& text) {
  auto* item = new QTableWidgetItem(QString::fromStdString(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

QTableWidget* Table(QWidget* parent, const char* name, const QStringList& headers) {
  auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  t->setObjectName(name);
  t->setHorizontalHeaderLabels(headers);
  t->verticalHeader()->setVisible(false);
  t->horizontalHeader()->setStretchLastSection(true);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  return t;
}

}  // namespace

frmIndexing::frmIndexing(MainModel& model, QWidget* parent)
    : ToolWindow(model, "frmIndexing", "Powder Indexing", parent), indexing_(model) {
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  grdPeaks = Table(this, "grdPeaks", {"2-theta", "su", "d", "Height", "Note"});
  grdPeaks->horizontalHeader()->setDefaultSectionSize(62);  // five columns in view
  grdPeaks->setColumnWidth(0, 100);                          // the check box and the position
  left->addWidget(grdPeaks, 1);
  auto* peakButtons = new QHBoxLayout;
  cmdFindPeaks = new QPushButton("Find Peaks", this);
  cmdFindPeaks->setObjectName("cmdFindPeaks");
  cmdAddPeak = new QPushButton("Add Peak", this);
  cmdAddPeak->setObjectName("cmdAddPeak");
  cmdAddPeak->setCheckable(true);
  cmdAddPeak->setToolTip("While down, a click on the plot adds the peak there");
  cmdRemovePeak = new QPushButton("Remove Peak", this);
  cmdRemovePeak->setObjectName("cmdRemovePeak");
  peakButtons->addWidget(cmdFindPeaks);
  peakButtons->addWidget(cmdAddPeak);
  peakButtons->addWidget(cmdRemovePeak);
  left->addLayout(peakButtons);
  chkLeaveOutKnown = new QCheckBox("Leave out lines of stored and working phases", this);
  chkLeaveOutKnown->setObjectName("chkLeaveOutKnown");
  left->addWidget(chkLeaveOutKnown);

  auto* options = new QGridLayout;
  const char* names[8] = {"", "chkCubic", "chkHexagonal", "chkTrigonal", "chkTetragonal",
                          "chkOrthorhombic", "chkMonoclinic", "chkTriclinic"};
  for (int code = Cubic; code <= Triclinic; ++code) {
    QString text = QString::fromUtf8(CrystalSystemName(code).data(), static_cast<int>(CrystalSystemName(code).size()));
    text[0] = text[0].toUpper();
    auto* box = new QCheckBox(text, this);
    box->setObjectName(names[code]);
    chkSystem[static_cast<std::size_t>(code)] = box;
    options->addWidget(box, (code - 1) / 4, (code - 1) % 4);
    connect(box, &QCheckBox::toggled, this, [this, code](bool on) { indexing_.SetSystem(code, on); });
  }
  left->addLayout(options);
  auto* numbers = new QGridLayout;
  auto addOption = [&](const char* label, const char* name, IndexingOption which, int row, int col) {
    numbers->addWidget(new QLabel(label, this), row, col);
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    numbers->addWidget(box, row, col + 1);
    connect(box, &QLineEdit::textChanged, this, [this, which](const QString& text) {
      indexing_.SetOptionText(which, text.trimmed().toStdString());
    });
    return box;
  };
  txtMaxVolume = addOption("Maximum volume:", "txtMaxVolume", IndexingOption::MaxVolume, 0, 0);
  txtImpurities = addOption("Impurity lines:", "txtImpurities", IndexingOption::Impurities, 0, 2);
  txtZeroRange = addOption("Zero range:", "txtZeroRange", IndexingOption::ZeroRange, 1, 0);
  txtTolerance = addOption("Tolerance:", "txtTolerance", IndexingOption::Tolerance, 1, 2);
  txtSensitivity = addOption("Peak sensitivity:", "txtSensitivity", IndexingOption::Sensitivity, 2, 0);
  txtSensitivity->setToolTip("How far above the noise a peak must rise; Find Peaks uses it");
  left->addLayout(numbers);
  auto* run = new QHBoxLayout;
  cmdIndex = new QPushButton("Index", this);
  cmdIndex->setObjectName("cmdIndex");
  prgIndexing = new QProgressBar(this);
  prgIndexing->setObjectName("prgIndexing");
  prgIndexing->setRange(0, 100);
  cmdCancel = new QPushButton("Cancel", this);
  cmdCancel->setObjectName("cmdCancel");
  run->addWidget(cmdIndex);
  run->addWidget(prgIndexing, 1);
  run->addWidget(cmdCancel);
  left->addLayout(run);
  layout->addLayout(left, 2);

  auto* right = new QVBoxLayout;
  grdSolutions = Table(this, "grdSolutions",
                       {"Rank", "System", "Lattice", "Cell", "Volume", "M20", "F20", "Zero", "Indexed"});
  right->addWidget(grdSolutions, 3);
  grdExtinctions = Table(this, "grdExtinctions", {"Entry", "Space groups", "Absent observed", "Unobserved"});
  right->addWidget(grdExtinctions, 2);
  lblMessage = new QLabel(this);
  lblMessage->setObjectName("lblMessage");
  lblMessage->setWordWrap(true);
  right->addWidget(lblMessage);
  cmdApply = new QPushButton("Apply", this);
  cmdApply->setObjectName("cmdApply");
  right->addWidget(cmdApply);
  layout->addLayout(right, 3);

  timer_ = new QTimer(this);
  timer_->setInterval(50);
  connect(timer_, &QTimer::timeout, this, [this] { Poll(); });

  connect(grdPeaks, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (Refreshing() || item->column() != 0) return;
    indexing_.SetPeakUsed(item->row(), item->checkState() == Qt::Checked);
  });
  connect(cmdFindPeaks, &QPushButton::clicked, this, [this] {
    indexing_.FindPeaks();
    RefreshNow();
  });
  connect(cmdAddPeak, &QPushButton::toggled, this, [this](bool on) {
    if (plot_) plot_->SetPicking(on);
  });
  connect(cmdRemovePeak, &QPushButton::clicked, this, [this] {
    const int row = grdPeaks->currentRow();
    indexing_.RemovePeak(row);
    RefreshNow();
    if (grdPeaks->rowCount() > 0) grdPeaks->setCurrentCell(std::min(row, grdPeaks->rowCount() - 1), 0);
  });
  auto* remove = new QShortcut(QKeySequence::Delete, grdPeaks);
  remove->setContext(Qt::WidgetShortcut);
  connect(remove, &QShortcut::activated, cmdRemovePeak, &QPushButton::click);
  connect(chkLeaveOutKnown, &QCheckBox::toggled, this, [this](bool on) {
    indexing_.SetLeaveOutKnownLines(on);
    RefreshNow();
  });
  connect(cmdIndex, &QPushButton::clicked, this, [this] {
    if (indexing_.Start()) timer_->start();
    RefreshNow();
  });
  connect(cmdCancel, &QPushButton::clicked, this, [this] { indexing_.Cancel(); });
  connect(grdSolutions, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (Refreshing() || row == indexing_.Selected()) return;
    indexing_.Select(row);
    const QSignalBlocker block(grdExtinctions);
    RefreshExtinctions();
    cmdApply->setEnabled(indexing_.CanApply());
  });
  // A selection cleared (Ctrl+click) clears the preview.
  connect(grdSolutions, &QTableWidget::itemSelectionChanged, this, [this] {
    if (Refreshing() || !grdSolutions->selectedItems().isEmpty() || indexing_.Selected() < 0) return;
    indexing_.Select(-1);
    const QSignalBlocker block(grdExtinctions);
    RefreshExtinctions();
    cmdApply->setEnabled(indexing_.CanApply());
  });
  connect(grdExtinctions, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    if (Refreshing()) return;
    indexing_.SelectExtinction(row);
    cmdApply->setEnabled(indexing_.CanApply());
  });
  connect(cmdApply, &QPushButton::clicked, this, [this] {
    if (!indexing_.Apply()) RefreshNow();  // a success refreshes through the model
  });
  resize(980, 560);
}

void frmIndexing::SetPlot(PlotView* plot) {
  if (plot_ == plot) return;
  plot_ = plot;
  plot->SetPicking(cmdAddPeak->isChecked());
  connect(plot, &PlotView::Picked, this, [this](double x, double) {
    if (!isVisible() || !cmdAddPeak->isChecked()) return;
    int row = -1;
    const bool added = indexing_.AddPeak(x, &row);
    RefreshNow();
    if (added) grdPeaks->setCurrentCell(row, 0);
  });
}

void frmIndexing::showEvent(QShowEvent* event) {
  if (indexing_.Peaks().empty() || indexing_.PatternChanged()) indexing_.FindPeaks();
  indexing_.ShowTicks();
  ToolWindow::showEvent(event);
}

// Closed (not only minimised): the search stops, the plot loses the ticks
// and the preview, and plot clicks regain their own meaning.
void frmIndexing::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) {
    indexing_.Cancel();
    indexing_.HideTicks();
    cmdAddPeak->setChecked(false);
  }
  ToolWindow::hideEvent(event);
}

void frmIndexing::Poll() {
  prgIndexing->setValue(static_cast<int>(100 * indexing_.Progress()));
  if (!indexing_.Poll()) return;
  timer_->stop();
  RefreshNow();
}

void frmIndexing::RefreshPeaks() {
  const auto& peaks = indexing_.Peaks();
  grdPeaks->horizontalHeaderItem(0)->setText(indexing_.EnergyData() ? "Channel" : "2-theta");
  grdPeaks->setRowCount(static_cast<int>(peaks.size()));
  for (int i = 0; i < static_cast<int>(peaks.size()); ++i) {
    const auto& p = peaks[static_cast<std::size_t>(i)];
    auto* item = new QTableWidgetItem(QString::fromStdString(FixedText(p.position, 4)));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(p.used ? Qt::Checked : Qt::Unchecked);
    grdPeaks->setItem(i, 0, item);
    grdPeaks->setItem(i, 1, ReadOnly(p.su > 0 ? FixedText(p.su, 5) : ""));
    grdPeaks->setItem(i, 2, ReadOnly(FixedText(p.spacing, 5)));
    grdPeaks->setItem(i, 3, ReadOnly(FixedText(p.height, 0)));
    std::string note = p.added ? "added" : "";
    if (p.known) note += std::string(note.empty() ? "" : ", ") + "known phase";
    grdPeaks->setItem(i, 4, ReadOnly(note));
  }
}

void frmIndexing::RefreshSolutions() {
  const int n = static_cast<int>(indexing_.Solutions().size());
  grdSolutions->setRowCount(n);
  for (int i = 0; i < n; ++i) {
    const auto row = indexing_.SolutionRow(i);
    for (int c = 0; c < IndexingWindowModel::kSolutionColumns; ++c)
      grdSolutions->setItem(i, c, ReadOnly(row[static_cast<std::size_t>(c)]));
  }
  if (indexing_.Selected() >= 0) grdSolutions->setCurrentCell(indexing_.Selected(), 0);
}

void frmIndexing::RefreshExtinctions() {
  const auto& entries = indexing_.Extinctions();
  grdExtinctions->setRowCount(static_cast<int>(entries.size()));
  for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
    const auto row = IndexingWindowModel::ExtinctionRow(entries[static_cast<std::size_t>(i)]);
    for (int c = 0; c < 4; ++c) grdExtinctions->setItem(i, c, ReadOnly(row[static_cast<std::size_t>(c)]));
  }
  if (indexing_.SelectedExtinction() >= 0) grdExtinctions->setCurrentCell(indexing_.SelectedExtinction(), 0);
}

void frmIndexing::Refresh() {
  // Another pattern (or its wavelength or calibration): the peaks are found
  // on it again; another working or stored phase: they are marked again.
  // Both after this refresh, which must not change the model.
  if ((indexing_.PatternChanged() || indexing_.KnownLinesChanged()) && !indexing_.Running() && !requeued_) {
    requeued_ = true;
    QTimer::singleShot(0, this, [this] {
      requeued_ = false;
      if (indexing_.Running()) return;
      if (indexing_.PatternChanged())
        indexing_.FindPeaks();
      else if (indexing_.KnownLinesChanged())
        indexing_.UpdateKnownLines();
      else
        return;
      RefreshNow();
    });
  }
  RefreshPeaks();
  RefreshSolutions();
  RefreshExtinctions();
  const auto& systems = indexing_.Options().systems;
  for (int code = Cubic; code <= Triclinic; ++code)
    chkSystem[static_cast<std::size_t>(code)]->setChecked(systems[static_cast<std::size_t>(code)]);
  chkLeaveOutKnown->setChecked(indexing_.LeaveOutKnownLines());
  SetTextUnlessEditing(txtMaxVolume, QString::fromStdString(indexing_.OptionText(IndexingOption::MaxVolume)));
  SetTextUnlessEditing(txtImpurities, QString::fromStdString(indexing_.OptionText(IndexingOption::Impurities)));
  SetTextUnlessEditing(txtZeroRange, QString::fromStdString(indexing_.OptionText(IndexingOption::ZeroRange)));
  SetTextUnlessEditing(txtTolerance, QString::fromStdString(indexing_.OptionText(IndexingOption::Tolerance)));
  SetTextUnlessEditing(txtSensitivity, QString::fromStdString(indexing_.OptionText(IndexingOption::Sensitivity)));
  const bool running = indexing_.Running();
  cmdIndex->setEnabled(!running);
  cmdCancel->setEnabled(running);
  cmdFindPeaks->setEnabled(!running);
  if (!running) prgIndexing->setValue(indexing_.Solutions().empty() ? 0 : 100);
  cmdApply->setEnabled(indexing_.CanApply());
  lblMessage->setText(QString::fromStdString(indexing_.Message()));
}

}  // namespace quorlin
