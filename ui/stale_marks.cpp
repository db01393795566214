#include "stale_marks.h"

#include <QTableWidget>

#include <bit>
#include <stdexcept>

namespace pulsefir::ui {

void greyCells(QTableWidget *table, bool stale, int row) {
    const int first = row < 0 ? 0 : row;
    const int last = row < 0 ? table->rowCount() - 1 : row;
    for (int r = first; r <= last; ++r)
        for (int column = 0; column < table->columnCount(); ++column)
            if (QTableWidgetItem *item = table->item(r, column))
                item->setForeground(stale ? QBrush(Qt::gray) : QBrush());
}

const char *sourceWords(ResultSource source) {
    switch (source) {
    case ResultSource::Signal:
        return "сигнал";
    case ResultSource::Filter:
        return "фильтр";
    case ResultSource::Response:
        return "желаемый отклик";
    case ResultSource::Output:
        return "сигнал после фильтрации";
    case ResultSource::SamplingFrequency:
        return "частота дискретизации";
    case ResultSource::SignalHalfWidth:
        return "полуширина массива сигнала";
    case ResultSource::PulseSet:
        return "набор импульсов";
    case ResultSource::FixedOutput:
        return "сигнал после фильтрации в фикс. точке";
    case ResultSource::HardwareWords:
        return "разрядности АЦП и выхода, округление, сдвиг";
    case ResultSource::TapWords:
        return "разрядность коэффициентов";
    case ResultSource::Count:
        break;
    }
    return "?";
}

std::uint64_t fingerprintBytes(std::span<const unsigned char> bytes, std::uint64_t hash) {
    for (const unsigned char b : bytes) {
        hash ^= b;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::uint64_t fingerprint(std::span<const double> values, std::uint64_t hash) {
    for (const double v : values) {
        hash ^= std::bit_cast<std::uint64_t>(v);
        hash *= 1099511628211ull;
    }
    return hash;
}

void StaleMarks::define(const std::string &result, std::vector<ResultSource> sources) {
    m_entries[result] = Entry{std::move(sources), {}, false};
}

const StaleMarks::Entry &StaleMarks::entry(const std::string &result) const {
    const auto found = m_entries.find(result);
    if (found == m_entries.end())
        throw std::logic_error("no result named " + result);
    return found->second;
}

void StaleMarks::computed(const std::string &result, const SourcePrints &prints) {
    Entry &e = const_cast<Entry &>(entry(result));
    e.taken = prints;
    e.computed = true;
}

void StaleMarks::cleared(const std::string &result) {
    const_cast<Entry &>(entry(result)).computed = false;
}

std::vector<ResultSource> StaleMarks::changedSources(const std::string &result, const SourcePrints &now) const {
    const Entry &e = entry(result);
    std::vector<ResultSource> changed;
    if (!e.computed)
        return changed;
    for (const ResultSource s : e.sources)
        if (e.taken[static_cast<std::size_t>(s)] != now[static_cast<std::size_t>(s)])
            changed.push_back(s);
    return changed;
}

std::string StaleMarks::note(const std::string &result, const SourcePrints &now) const {
    const Entry &e = entry(result);
    const auto list = [](const std::vector<ResultSource> &sources) {
        std::string text;
        for (const ResultSource s : sources)
            text += (text.empty() ? "" : ", ") + std::string(sourceWords(s));
        return text;
    };
    if (!e.computed)
        return "Не рассчитано";
    std::string text = "Рассчитано из: " + list(e.sources);
    const std::vector<ResultSource> changed = changedSources(result, now);
    if (!changed.empty())
        text += "; с тех пор изменились: " + list(changed);
    return text;
}

} // namespace pulsefir::ui
