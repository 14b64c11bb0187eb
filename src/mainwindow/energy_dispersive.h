// The model behind the energy-dispersive tools window: scans of the detector
// angle, of the cubic cell edge and of one peak's channel window, the
// bisection Lorentzian fit, the whole-pattern fit of the edge, the pressure
// of the chosen standard, and the choice of card reflections. The texts are
// the window's boxes; the window copies them in and out.
//
// Every operation checks its inputs first. A refusal shows one message
// through the platform and changes nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "energy/pressure_scale.h"
#include "mainwindow/main_model.h"

namespace quorlin {

class EnergyDispersiveModel {
 public:
  // Reads the opening values from the model (2-theta and the edge a).
  explicit EnergyDispersiveModel(MainModel& model);

  // What the picture box shows and what a click on it does: 0 nothing,
  // 1 a 2-theta scan, 2 the card lines for choosing, 3 an edge or peak scan.
  std::int16_t PlotMode = 0;

  // The boxes, by control name.
  int optPressureStandard = 0;  // 0 CsCl, 1 W, 2 MgO, 3 Au, 4 NaCl
  std::string txtT = "25";
  std::string txtP;
  std::string PressureNote;  // shown beside the pressure
  std::string txt2ThetaScanRange = ".2";
  std::string txt2ThetaNumberOfPoints = "40";
  std::string txtTwoTheta;
  std::string txtLPScanRange = ".2";
  std::string txtLPNumberOfPoints = "40";
  std::string txtLatticeParameter;
  std::string txth, txtk, txtl;
  std::string txtD;
  std::vector<std::string> cboPeakList;

  // The most recent scan, and the model curve drawn over it (empty when none).
  std::vector<float> ScanX, ScanY;
  float Best = 0, Worst = 0, BestX = 0;
  std::vector<float> CurveY;
  // The unit of the scan's x values, as its axis is titled: "2θ (°)",
  // "Lattice parameter (Å)" or "Channel"; empty before the first scan.
  std::string ScanAxisTitle;

  float OldTwoTheta() const { return oldTwoTheta_; }
  const std::string& OldLatticeParameter() const { return oldLatticeParameter_; }

  // --- scans and fits (false: refused, nothing changed) --------------------
  bool Scan2Theta();
  bool ScanLP();
  bool ScanPeak(std::int16_t h, std::int16_t k, std::int16_t l);
  bool Fit2Theta();
  bool FitLP();
  bool FitSinglePeak();
  bool FitPattern();
  bool GetPressure();
  // After another standard is chosen: the pressure on it, or none when the
  // lattice parameter or temperature box holds no number (never the old one).
  void StandardChanged();

  // Bisection on the sign of one partial derivative at a time, five passes
  // over x0, w, B, H (those flagged), on the current scan. Returns x0.
  float FitOneLorentzian(float& Bkd, float& Pkhght, float& pkpos, float& Halfwidth, bool FitBkd, bool FitHght,
                         bool FitPos, bool FitWidth);
  float EstimateHalfWidth() const;
  void DrawLorentzian(float B, float H, float w, float x0);
  static float Lorentzian(float x, float B, float H, float w, float x0);

  // --- reflections -----------------------------------------------------------
  void FillPeakList();
  // Item `item` of cboPeakList: scans that reflection and draws its stored shape.
  bool ChoosePeak(int item);
  void Deselect();
  void SelectAll();
  void UnselectAll();

  // --- applying and reverting ------------------------------------------------
  bool SaveNew2Theta();
  void RevertToOld2Theta();
  bool SaveNewLatticeParameter();
  void RevertToOldLatticeParameter();

  // Mouse released over the picture at x (the plot's scale).
  void PlotMouseUp(float x);

  PressureStandard SelectedStandard() const;

 private:
  bool Refuse(const std::string& message);
  bool CheckEnergyData();
  bool CheckIncludedPeaks();
  // The number of points of a scan from its box (n = value + 1); 0 when refused.
  int PointCount(const std::string& text, const char* what);
  bool ScanRange(const std::string& text, const char* what, float& range);
  void Record(int i, float x, float y);
  void StartScan(int n, float worst);
  bool SetEdge(float a);
  float EdgeGradient();
  void FitPeakShapes(bool fromStored);

  MainModel& m_;
  float oldTwoTheta_ = 0;
  std::string oldLatticeParameter_;
};

}  // namespace quorlin
