#pragma once

#include "core/filter_search.h"
#include "core/filter_synthesis.h"
#include "core/fixed_point.h"
#include "core/signal_synthesis.h"
#include "core/spectra.h"
#include "project/settings.h"

namespace pulsefir::project {

// The core's parameters from the settings, one conversion per operation, the same for the
// windows and the command line.

// The tone burst of "Загрузить сигнал" and "Добавить сигнал со сдвигом" (AddSignal, LoadSignal).
core::ToneBurstParameters toneBurst(const SignalSettings &signal);
// The window method's filter (SynthesizeFilter).
core::FilterSynthesisParameters filterSynthesis(const FilterSettings &filter);
// The desired response of the search and the least squares (BuildResponse).
core::ResponseParameters desiredResponse(const FilterSettings &filter);
// The integer filter's word lengths and choices ("Расчет в фикс. точке", the exports).
core::FixedPointFormat fixedPoint(const FilterSettings &filter);
// The grid and the normalisations of the spectra (CalcSpectors).
core::SpectorParameters spectra(const SpectraSettings &spectra);

} // namespace pulsefir::project
