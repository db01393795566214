#pragma once

#include <cstdint>

#include "desired_response.h"
#include "state.h"

namespace pulsefir::core {

// The field values of the start filter's kind (radio group item indices).
enum class StartFilterKindIndex { Zero = 0, Delta = 1 };
constexpr int index(StartFilterKindIndex kind) {
    return static_cast<int>(kind);
}

// What the caller of a search provides; called in this order in every epoch.
class SearchHost {
  public:
    virtual ~SearchHost() = default;
    virtual void processMessages() = 0;                   // any user action, StopSearch included
    virtual void showEpoch(std::int32_t epoch) = 0;       // "Эпоха N"
    virtual double randomStep() = 0;                      // current tap increment scale
    virtual void showBestObjective(long double best) = 0; // "Целевая функция ..."
    virtual std::int32_t epochLimit() = 0;
};

struct SearchOutcome {
    std::int32_t Epoch = 0;        // the last epoch run
    long double BestObjective = 0; // the lowest objective accepted in the run
};

// Clears FilterBuffer; with Delta sets tap 0 to 1. FilterHalfWidth is not changed.
void loadStartFilter(CoreState &state, int startFilterKind);

// Random search from the present FilterBuffer: every epoch perturbs every tap, applies the trial
// filter to the signal and keeps the perturbation when the objective beats the best of the run.
// Runs until the epoch number passes the host's EpochLimit or StopSearch is called from the
// host's ProcessMessages. A floating-point fault ends the run with the error; what was accepted
// so far stays in FilterBuffer.
SearchOutcome searchFilter(CoreState &state, const ResponseParameters &response, double samplingFrequency,
                           int filterHalfWidth, SearchHost &host);

// Ends a running search after its current epoch.
void stopSearch(CoreState &state);

// The objective of a trial output against the desired response: sample by sample before the
// centre, and from the centre on only the excess over the desired peak amplitude.
long double searchObjective(const CoreState &state, const double *trialOutput, int signalHalfWidth);

} // namespace pulsefir::core
