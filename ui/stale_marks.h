#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

class QTableWidget;

namespace pulsefir::ui {

// What a stale result's title ends with.
inline constexpr const char *StaleMarkText = " (устарело)";
// Shows the cells of a stale result grey, of a current one in the table's own colour; `row` -1 for
// every row.
void greyCells(QTableWidget *table, bool stale, int row = -1);

// What a result shown on screen can have been computed from.
enum class ResultSource {
    Signal,            // the signal buffer
    Filter,            // the filter buffer and its half-width
    Response,          // the desired response buffer
    Output,            // the filtered signal buffer
    SamplingFrequency, // MHz, the time and frequency axes of every metric
    SignalHalfWidth,   // the window of samples the curves are measured over
    PulseSet,          // the files of the pulse set and their roles
    FixedOutput,       // the integer filter's output buffer
    HardwareWords,     // the integer filter's converter, output word, rounding and shift
    TapWords,          // the integer filter's tap width
    Count
};

// The words a result's note uses for each source ("Рассчитано из: сигнал, фильтр").
const char *sourceWords(ResultSource source);

// A print of every source as it stands: equal prints, equal inputs.
using SourcePrints = std::array<std::uint64_t, static_cast<std::size_t>(ResultSource::Count)>;

// FNV-1a over bytes, continued from `hash`: equal contents give equal prints.
std::uint64_t fingerprintBytes(std::span<const unsigned char> bytes, std::uint64_t hash = 14695981039346656037ull);
std::uint64_t fingerprint(std::span<const double> values, std::uint64_t hash = 14695981039346656037ull);

// Every result on screen (a table row, a table, a report) named by a key, with the sources it
// is computed from. A result records the sources' prints when it is computed; it is stale as
// soon as one of them differs. A new result joins with one `define`.
class StaleMarks {
  public:
    void define(const std::string &result, std::vector<ResultSource> sources);
    // The result has just been computed from inputs with these prints.
    void computed(const std::string &result, const SourcePrints &prints);
    // Forgets the result's inputs: nothing shown, nothing stale.
    void cleared(const std::string &result);
    // The sources of a computed result whose prints differ from `now`; empty when it is current
    // or was never computed.
    std::vector<ResultSource> changedSources(const std::string &result, const SourcePrints &now) const;
    bool stale(const std::string &result, const SourcePrints &now) const {
        return !changedSources(result, now).empty();
    }
    // "Рассчитано из: сигнал, фильтр, частота дискретизации" and, when stale, what changed.
    std::string note(const std::string &result, const SourcePrints &now) const;

  private:
    struct Entry {
        std::vector<ResultSource> sources;
        SourcePrints taken{};
        bool computed = false;
    };
    const Entry &entry(const std::string &result) const;
    std::map<std::string, Entry> m_entries;
};

} // namespace pulsefir::ui
