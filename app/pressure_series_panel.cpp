#include "pressure_series_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "mainwindow/main_model.h"
#include "mainwindow/pressure_standard.h"

namespace quorlin {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  return b;
}

QTableWidgetItem* ReadOnly(const std::string& text) {
  auto* item = new QTableWidgetItem(Q(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

SeriesPlot::SeriesPlot(QWidget* parent) : QWidget(parent) {
  setMinimumSize(220, 160);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
}

void SeriesPlot::SetPoints(std::vector<std::pair<int, double>> points, int count, const QString& quantity) {
  points_ = std::move(points);
  count_ = count;
  quantity_ = quantity;
  update();
}

void SeriesPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics fm(font());
  // Room for the title above the box and for the value labels beside its corners.
  const int left = fm.horizontalAdvance("-000.000") + 8, bottom = fm.height() + 8, top = 2 * fm.height() + 2;
  const QRect box(left, top, std::max(10, width() - left - 10), std::max(10, height() - top - bottom));
  p.setPen(palette().color(QPalette::Text));
  p.drawRect(box);
  p.drawText(QRect(box.left(), 0, box.width(), fm.height() + 2), Qt::AlignCenter, quantity_ + " against the file");
  if (points_.empty() || count_ < 1) return;
  auto [lo, hi] = std::minmax_element(points_.begin(), points_.end(),
                                      [](const auto& a, const auto& b) { return a.second < b.second; });
  double yMin = lo->second, yMax = hi->second;
  const double pad = yMax > yMin ? 0.05 * (yMax - yMin) : std::max(1.0, std::fabs(yMax) * 0.01);
  yMin -= pad;
  yMax += pad;
  // File places 1..count spread over the box, half a step in from each side.
  auto at = [&](int index, double y) {
    const double fx = (index - 0.5) / count_;
    return QPointF(box.left() + fx * box.width(), box.bottom() - (y - yMin) / (yMax - yMin) * box.height());
  };
  const int step = std::max(1, count_ / 10);
  for (int i = 1; i <= count_; i += step) {
    const QPointF t = at(i, yMin);
    p.drawLine(t, t - QPointF(0, 4));
    p.drawText(QRectF(t.x() - 20, box.bottom() + 2, 40, fm.height()), Qt::AlignHCenter, QString::number(i));
  }
  p.drawText(QRect(0, box.top() - fm.height() / 2, left - 4, fm.height()), Qt::AlignRight,
             QString::number(yMax - pad, 'f', 3));
  p.drawText(QRect(0, box.bottom() - fm.height() / 2, left - 4, fm.height()), Qt::AlignRight,
             QString::number(yMin + pad, 'f', 3));
  QPen line(palette().color(QPalette::Highlight), 1.5);
  p.setPen(line);
  for (std::size_t i = 1; i < points_.size(); ++i)
    p.drawLine(at(points_[i - 1].first, points_[i - 1].second), at(points_[i].first, points_[i].second));
  p.setBrush(palette().color(QPalette::Highlight));
  for (const auto& [index, y] : points_) p.drawEllipse(at(index, y), 3.5, 3.5);
}

PressureSeriesPanel::PressureSeriesPanel(MainModel& model, QWidget* parent)
    : QGroupBox("Compression series", parent), model_(model), series_(model) {
  setObjectName("fraCompressionSeries");
  setMinimumSize(760, 420);
  chooseFiles = [this] {
    return QFileDialog::getOpenFileNames(this, "Add Patterns", Q(model_.DataDirectory),
                                         "Patterns (*.xy *.gsa *.cpi *.chi *.dat);;All Files (*.*)");
  };
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  lstSeriesFiles = new QListWidget(this);
  lstSeriesFiles->setObjectName("lstSeriesFiles");
  lstSeriesFiles->setMaximumHeight(130);
  top->addWidget(lstSeriesFiles, 2);
  auto* listButtons = new QVBoxLayout;
  cmdSeriesAdd = Button("Add Files...", "cmdSeriesAdd", this);
  cmdSeriesRemove = Button("Remove", "cmdSeriesRemove", this);
  cmdSeriesUp = Button("Up", "cmdSeriesUp", this);
  cmdSeriesDown = Button("Down", "cmdSeriesDown", this);
  for (QPushButton* b : {cmdSeriesAdd, cmdSeriesRemove, cmdSeriesUp, cmdSeriesDown}) listButtons->addWidget(b);
  listButtons->addStretch(1);
  top->addLayout(listButtons);
  auto* choices = new QVBoxLayout;
  lblSeriesStart = new QLabel(this);
  lblSeriesStart->setObjectName("lblSeriesStart");
  lblSeriesStart->setWordWrap(true);
  choices->addWidget(lblSeriesStart);
  auto* scaleRow = new QHBoxLayout;
  scaleRow->addWidget(new QLabel("Scale:", this));
  cboSeriesScale = new QComboBox(this);
  cboSeriesScale->setObjectName("cboSeriesScale");
  cboSeriesScale->addItem("(none)", QString());
  for (const std::string& name : PressureModel::ScaleNames()) cboSeriesScale->addItem(Q(name), Q(name));
  scaleRow->addWidget(cboSeriesScale, 1);
  choices->addLayout(scaleRow);
  chkSeriesFollow = new QCheckBox("Follow (each from the last cell)", this);
  chkSeriesFollow->setObjectName("chkSeriesFollow");
  chkSeriesZero = new QCheckBox("Refine zero", this);
  chkSeriesZero->setObjectName("chkSeriesZero");
  choices->addWidget(chkSeriesFollow);
  choices->addWidget(chkSeriesZero);
  auto* run = new QHBoxLayout;
  cmdSeriesRun = Button("Run", "cmdSeriesRun", this);
  prgSeries = new QProgressBar(this);
  prgSeries->setObjectName("prgSeries");
  prgSeries->setRange(0, 100);
  cmdSeriesCancel = Button("Cancel", "cmdSeriesCancel", this);
  run->addWidget(cmdSeriesRun);
  run->addWidget(prgSeries, 1);
  run->addWidget(cmdSeriesCancel);
  choices->addLayout(run);
  choices->addStretch(1);
  top->addLayout(choices, 2);
  layout->addLayout(top);

  auto* results = new QHBoxLayout;
  grdSeries = new QTableWidget(0, CompressionSeriesModel::kTableColumns, this);
  grdSeries->setObjectName("grdSeries");
  QStringList header;
  for (const char* h : CompressionSeriesModel::TableHeader()) header << h;
  grdSeries->setHorizontalHeaderLabels(header);
  grdSeries->verticalHeader()->setVisible(false);
  grdSeries->horizontalHeader()->setStretchLastSection(true);
  grdSeries->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdSeries->setSelectionMode(QAbstractItemView::SingleSelection);
  grdSeries->setWordWrap(false);
  results->addWidget(grdSeries, 3);
  auto* plotColumn = new QVBoxLayout;
  cboSeriesPlot = new QComboBox(this);
  cboSeriesPlot->setObjectName("cboSeriesPlot");
  cboSeriesPlot->addItems({"V", "P"});
  plotColumn->addWidget(cboSeriesPlot);
  picSeriesPlot = new SeriesPlot(this);
  picSeriesPlot->setObjectName("picSeriesPlot");
  plotColumn->addWidget(picSeriesPlot, 1);
  results->addLayout(plotColumn, 2);
  layout->addLayout(results, 1);

  auto* bottom = new QHBoxLayout;
  cmdSeriesExport = Button("Export CSV...", "cmdSeriesExport", this);
  cmdSeriesApply = Button("Apply", "cmdSeriesApply", this);
  lblSeriesMessage = new QLabel(this);
  lblSeriesMessage->setObjectName("lblSeriesMessage");
  bottom->addWidget(cmdSeriesExport);
  bottom->addWidget(cmdSeriesApply);
  bottom->addWidget(lblSeriesMessage, 1);
  layout->addLayout(bottom);

  timer_ = new QTimer(this);
  timer_->setInterval(50);
  connect(timer_, &QTimer::timeout, this, [this] { Poll(); });

  connect(cmdSeriesAdd, &QPushButton::clicked, this, [this] {
    std::vector<std::string> paths;
    for (const QString& path : chooseFiles()) paths.push_back(QFileInfo(path).absoluteFilePath().toStdString());
    series_.AddFiles(paths);
    RefreshFiles();
  });
  connect(cmdSeriesRemove, &QPushButton::clicked, this, [this] {
    series_.RemoveFile(lstSeriesFiles->currentRow());
    RefreshFiles();
  });
  auto move = [this](int step) {
    const int row = lstSeriesFiles->currentRow();
    if (!series_.MoveFile(row, step)) return;
    RefreshFiles();
    lstSeriesFiles->setCurrentRow(row + step);
  };
  connect(cmdSeriesUp, &QPushButton::clicked, this, [move] { move(-1); });
  connect(cmdSeriesDown, &QPushButton::clicked, this, [move] { move(1); });
  connect(cboSeriesScale, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) series_.SetScaleName(cboSeriesScale->itemData(index).toString().toStdString());
  });
  connect(chkSeriesFollow, &QCheckBox::toggled, this, [this](bool on) { series_.SetFollow(on); });
  connect(chkSeriesZero, &QCheckBox::toggled, this, [this](bool on) { series_.SetRefineZero(on); });
  connect(cmdSeriesRun, &QPushButton::clicked, this, [this] {
    if (series_.Start()) timer_->start();
    RefreshTable();
    RefreshPlot();
    RefreshRun();
  });
  connect(cmdSeriesCancel, &QPushButton::clicked, this, [this] { series_.Cancel(); });
  connect(cboSeriesPlot, &QComboBox::currentIndexChanged, this, [this] { RefreshPlot(); });
  connect(grdSeries, &QTableWidget::currentCellChanged, this, [this] { RefreshRun(); });
  connect(cmdSeriesExport, &QPushButton::clicked, this, [this] { series_.ExportCsv(); });
  connect(cmdSeriesApply, &QPushButton::clicked, this, [this] {
    series_.Apply(grdSeries->currentRow());
    RefreshRun();
  });
  Refresh();
}

PressureSeriesPanel::~PressureSeriesPanel() {
  if (observing_) model_.RemoveObserver(this);
}

void PressureSeriesPanel::showEvent(QShowEvent* event) {
  if (!observing_) {
    model_.AddObserver(this);
    observing_ = true;
  }
  Refresh();
  QGroupBox::showEvent(event);
}

void PressureSeriesPanel::hideEvent(QHideEvent* event) {
  if (observing_) {
    model_.RemoveObserver(this);
    observing_ = false;
  }
  QGroupBox::hideEvent(event);
}

// Only the start cell and the scale come from the main model: a drag's many
// changes leave the list and the table alone.
void PressureSeriesPanel::ModelChanged(ModelChange what) {
  if (isVisible() && Touches(what, ModelChange::Controls)) RefreshStart();
}

void PressureSeriesPanel::RefreshStart() {
  lblSeriesStart->setText(Q(series_.StartText()));
  const QSignalBlocker block(cboSeriesScale);
  cboSeriesScale->setCurrentIndex(std::max(0, cboSeriesScale->findData(Q(series_.ScaleName()))));
}

void PressureSeriesPanel::Refresh() {
  RefreshStart();
  {
    const QSignalBlocker block(chkSeriesFollow);
    chkSeriesFollow->setChecked(series_.Follow());
  }
  {
    const QSignalBlocker block(chkSeriesZero);
    chkSeriesZero->setChecked(series_.RefineZero());
  }
  RefreshFiles();
  RefreshTable();
  RefreshPlot();
  RefreshRun();
}

void PressureSeriesPanel::RefreshFiles() {
  const int row = lstSeriesFiles->currentRow();
  lstSeriesFiles->clear();
  for (const std::string& path : series_.Files()) {
    auto* item = new QListWidgetItem(QFileInfo(Q(path)).fileName(), lstSeriesFiles);
    item->setToolTip(Q(path));
  }
  lstSeriesFiles->setCurrentRow(std::min(row, lstSeriesFiles->count() - 1));
  cmdSeriesRun->setEnabled(!series_.Running() && !series_.Files().empty());
}

void PressureSeriesPanel::RefreshTable() {
  const QSignalBlocker block(grdSeries);
  const int current = grdSeries->currentRow();
  const int n = static_cast<int>(series_.Rows().size());
  grdSeries->setRowCount(n);
  for (int i = 0; i < n; ++i) {
    const auto row = series_.TableRow(i);
    for (int c = 0; c < CompressionSeriesModel::kTableColumns; ++c)
      grdSeries->setItem(i, c, ReadOnly(row[static_cast<std::size_t>(c)]));
  }
  grdSeries->resizeColumnsToContents();
  if (current >= 0 && current < n) grdSeries->setCurrentCell(current, 0);
}

void PressureSeriesPanel::RefreshPlot() {
  const bool pressure = cboSeriesPlot->currentIndex() == 1;
  picSeriesPlot->SetPoints(series_.PlotPoints(pressure ? SeriesQuantity::Pressure : SeriesQuantity::Volume),
                           static_cast<int>(series_.Files().size()),
                           pressure ? "P (GPa)" : QString::fromUtf8("V (\u00c5\u00b3)"));
}

void PressureSeriesPanel::RefreshRun() {
  const bool running = series_.Running();
  cmdSeriesRun->setEnabled(!running && !series_.Files().empty());
  cmdSeriesCancel->setEnabled(running);
  for (QWidget* w : std::initializer_list<QWidget*>{cmdSeriesAdd, cmdSeriesRemove, cmdSeriesUp, cmdSeriesDown})
    w->setEnabled(!running);
  prgSeries->setValue(static_cast<int>(std::lround(100 * series_.Progress())));
  const int row = grdSeries->currentRow();
  cmdSeriesApply->setEnabled(!running && row >= 0 && row < static_cast<int>(series_.Rows().size()) &&
                             series_.Rows()[static_cast<std::size_t>(row)].ok);
  cmdSeriesExport->setEnabled(!running && !series_.Rows().empty());
  lblSeriesMessage->setText(Q(series_.Message()));
}

void PressureSeriesPanel::Poll() {
  if (series_.Poll()) {
    RefreshTable();
    RefreshPlot();
  }
  if (!series_.Running()) timer_->stop();
  RefreshRun();
}

}  // namespace quorlin
