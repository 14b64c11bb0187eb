// The powder pattern of a crystal structure: one line per d-spacing, with
// |F|^2 from the IT92 form factors and the displacement parameters, the
// multiplicity and the Lorentz-polarisation factor.
#pragma once

#include <cstdint>
#include <vector>

#include "structure/crystal_structure.h"

namespace quorlin {

enum class Polarisation {
  Unpolarised,  // laboratory tube: (1 + cos^2 2theta) / 2
  Synchrotron,  // beam polarised in the horizontal plane, diffraction in the vertical: 1
};

struct PowderOptions {
  double wavelength = 1.540562;  // Angstrom (Cu K-alpha1)
  double twoThetaMin = 5.0, twoThetaMax = 120.0;  // degrees
  Polarisation polarisation = Polarisation::Unpolarised;
  // 2-theta of a monochromator crystal in the diffracted beam (degrees);
  // 0: none. Only with an unpolarised beam.
  double monochromatorTwoTheta = 0.0;
  bool anomalous = false;  // f' and f'' (Cromer-Liberman) at the wavelength
};

struct PowderLine {
  std::int16_t h = 0, k = 0, l = 0;  // the label, as a person writes it
  double d = 0.0;
  double twoTheta = 0.0;
  int multiplicity = 0;  // every hkl summed into the line
  double f2 = 0.0;       // multiplicity-weighted mean |F|^2 (electrons^2)
  double intensity = 0.0;  // the strongest line is 100
};

// Lines by falling d. Reflections of equal d are summed into one line.
std::vector<PowderLine> PowderPattern(const CrystalStructure& s, const PowderOptions& options);

// Energy-dispersive lines at a fixed detector angle over an energy range
// (keV): the same |F|^2 and multiplicity, with the energy-dispersive
// factor described in powder_pattern.cpp. twoTheta of each line holds its
// energy.
std::vector<PowderLine> EnergyDispersivePattern(const CrystalStructure& s, double detectorTwoTheta, double eMin,
                                                double eMax);

}  // namespace quorlin
