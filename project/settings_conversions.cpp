#include "settings_conversions.h"

namespace pulsefir::project {

ToneBurstParameters toneBurst(const SignalSettings &s) {
    ToneBurstParameters p;
    p.Amplitude = s.amplitude;
    p.Frequency = s.frequency;
    p.PhaseDeg = s.phaseDeg;
    p.FrontTimeConstant = s.frontTimeConstant;
    p.ExcitationTime = s.excitationTime;
    p.Shift = s.shift;
    return p;
}

FilterSynthesisParameters filterSynthesis(const FilterSettings &s) {
    FilterSynthesisParameters p;
    p.FilterHalfWidth = s.halfWidth;
    p.K = s.gain;
    p.F0 = s.centreFrequency;
    p.DF = s.peakOffset;
    p.PhazeShift = s.phaseShift;
    p.FilterType = s.filterType;
    p.WinType = s.windowType;
    return p;
}

ResponseParameters desiredResponse(const FilterSettings &s) {
    ResponseParameters r;
    r.Ar1 = s.peakAmplitude;
    r.Tr1 = s.peakDuration;
    r.ResponseShape = s.responseShape;
    return r;
}

SpectorParameters spectra(const SpectraSettings &s) {
    SpectorParameters p;
    p.LowFrequency = s.lowFrequency;
    p.HighFrequency = s.highFrequency;
    p.PointCount = s.pointCount;
    p.NormalizeSignal = s.normalizeSignal;
    p.NormalizeFilter = s.normalizeFilter;
    p.NormalizeOutput = s.normalizeOutput;
    return p;
}

} // namespace pulsefir::project
