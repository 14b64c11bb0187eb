// "Powder Indexing": the peak list of the loaded pattern with a check box per
// row, the search options, Index with its progress bar and Cancel, the
// solutions table, the extinction ranking of the selected solution, and
// Apply. The logic lives in IndexingWindowModel; this window builds, wires
// and refreshes, and polls the search running on its worker thread.
#pragma once

#include <array>

#include "mainwindow/indexing_window.h"
#include "tool_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace quorlin {

class PlotView;

class frmIndexing : public ToolWindow {
  Q_OBJECT

 public:
  frmIndexing(MainModel& model, QWidget* parent);
  IndexingWindowModel& Indexing() { return indexing_; }
  // The main plot, where a click adds a peak while "Add peak" is down.
  void SetPlot(PlotView* plot);

 protected:
  void Refresh() override;
  bool Wants(ModelChange what) const override { return Touches(what, ModelChange::Controls); }
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void RefreshPeaks();
  void RefreshSolutions();
  void RefreshExtinctions();
  void Poll();

  IndexingWindowModel indexing_;
  PlotView* plot_ = nullptr;
  QTableWidget* grdPeaks = nullptr;
  QPushButton* cmdFindPeaks = nullptr;
  QPushButton* cmdAddPeak = nullptr;
  QPushButton* cmdRemovePeak = nullptr;
  QCheckBox* chkLeaveOutKnown = nullptr;
  std::array<QCheckBox*, 8> chkSystem{};
  QLineEdit* txtMaxVolume = nullptr;
  QLineEdit* txtImpurities = nullptr;
  QLineEdit* txtZeroRange = nullptr;
  QLineEdit* txtTolerance = nullptr;
  QLineEdit* txtSensitivity = nullptr;
  QPushButton* cmdIndex = nullptr;
  QPushButton* cmdCancel = nullptr;
  QProgressBar* prgIndexing = nullptr;
  QTableWidget* grdSolutions = nullptr;
  QTableWidget* grdExtinctions = nullptr;
  QPushButton* cmdApply = nullptr;
  QLabel* lblMessage = nullptr;
  QTimer* timer_ = nullptr;
  bool requeued_ = false;  // a new peak search or marking is queued
};

}  // namespace quorlin
