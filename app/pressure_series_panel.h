// "Compression series", the part of the Pressure window that refines the
// working phase over a list of patterns: the list, the scale, Follow, Run
// with its progress bar and Cancel, the table of cell, volume and pressure
// against the file, a plot of V or P against the file's place, Export CSV...
// and Apply. The logic lives in CompressionSeriesModel; the run goes on a
// worker thread that a timer polls, so the window stays responsive.
#pragma once

#include <QGroupBox>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

#include "mainwindow/compression_series.h"
#include "mainwindow/model_observer.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace quorlin {

// Points joined by lines, the value against the file's place in the list.
class SeriesPlot : public QWidget {
  Q_OBJECT

 public:
  explicit SeriesPlot(QWidget* parent);
  void SetPoints(std::vector<std::pair<int, double>> points, int count, const QString& quantity);
  const std::vector<std::pair<int, double>>& Points() const { return points_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<std::pair<int, double>> points_;
  int count_ = 0;
  QString quantity_;
};

class PressureSeriesPanel : public QGroupBox, public IModelObserver {
  Q_OBJECT

 public:
  PressureSeriesPanel(MainModel& model, QWidget* parent);
  ~PressureSeriesPanel() override;

  CompressionSeriesModel& Series() { return series_; }
  // The files "Add Files..." adds; a seam so that tests never block on a dialog.
  std::function<QStringList()> chooseFiles;

  void ModelChanged(ModelChange what) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Refresh();
  void RefreshStart();
  void RefreshFiles();
  void RefreshTable();
  void RefreshPlot();
  void RefreshRun();
  void Poll();

  MainModel& model_;
  CompressionSeriesModel series_;
  bool observing_ = false;
  QTimer* timer_ = nullptr;
  QListWidget* lstSeriesFiles = nullptr;
  QPushButton* cmdSeriesAdd = nullptr;
  QPushButton* cmdSeriesRemove = nullptr;
  QPushButton* cmdSeriesUp = nullptr;
  QPushButton* cmdSeriesDown = nullptr;
  QLabel* lblSeriesStart = nullptr;
  QComboBox* cboSeriesScale = nullptr;
  QCheckBox* chkSeriesFollow = nullptr;
  QCheckBox* chkSeriesZero = nullptr;
  QPushButton* cmdSeriesRun = nullptr;
  QProgressBar* prgSeries = nullptr;
  QPushButton* cmdSeriesCancel = nullptr;
  QTableWidget* grdSeries = nullptr;
  QComboBox* cboSeriesPlot = nullptr;
  SeriesPlot* picSeriesPlot = nullptr;
  QPushButton* cmdSeriesExport = nullptr;
  QPushButton* cmdSeriesApply = nullptr;
  QLabel* lblSeriesMessage = nullptr;
};

}  // namespace quorlin
