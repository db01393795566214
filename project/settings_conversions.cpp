#include "settings_conversions.h"

namespace pulsefir::project {

core::ToneBurstParameters toneBurst(const SignalSettings &s) {
    core::ToneBurstParameters p;
    p.Amplitude = s.amplitude;
    p.Frequency = s.frequency;
    p.PhaseDeg = s.phaseDeg;
    p.FrontTimeConstant = s.frontTimeConstant;
    p.ExcitationTime = s.excitationTime;
    p.Shift = s.shift;
    return p;
}

core::FilterSynthesisParameters filterSynthesis(const FilterSettings &s) {
    core::FilterSynthesisParameters p;
    p.FilterHalfWidth = s.halfWidth;
    p.K = s.gain;
    p.F0 = s.centreFrequency;
    p.DF = s.peakOffset;
    p.PhazeShift = s.phaseShift;
    p.FilterType = s.filterType;
    p.WinType = s.windowType;
    return p;
}

core::ResponseParameters desiredResponse(const FilterSettings &s) {
    core::ResponseParameters r;
    r.Ar1 = s.peakAmplitude;
    r.Tr1 = s.peakDuration;
    r.ResponseShape = s.responseShape;
    return r;
}

core::SpectorParameters spectra(const SpectraSettings &s) {
    core::SpectorParameters p;
    p.LowFrequency = s.lowFrequency;
    p.HighFrequency = s.highFrequency;
    p.PointCount = s.pointCount;
    p.NormalizeSignal = s.normalizeSignal;
    p.NormalizeFilter = s.normalizeFilter;
    p.NormalizeOutput = s.normalizeOutput;
    return p;
}

core::FixedPointFormat fixedPoint(const FilterSettings &filter) {
    core::FixedPointFormat f;
    f.inputBits = filter.adcBits;
    f.fullScale = filter.adcFullScale;
    f.tapBits = filter.coeBits;
    f.outputBits = filter.outBits;
    f.rounding = static_cast<core::Rounding>(filter.rounding);
    f.automaticShift = filter.outShiftAuto;
    f.shift = filter.outShift;
    return f;
}

} // namespace pulsefir::project
