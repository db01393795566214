#include "pulse_set_section.h"

#include <algorithm>

#include "base/number_text.h"

namespace pulsefir::project {

namespace {

// A set this long is far beyond what a design uses; a corrupt count does not allocate for it.
constexpr int MaxEntries = 10000;

std::string entryKey(std::string_view stem, int k) {
    return std::string(stem) + base::formatInteger(k, 10, 4);
}

std::string floatText(double value) {
    return base::formatShortest(value); // reads back as the same double
}

// An unreadable number reads as the default, as a missing key does.
double readFloat(const IniDocument &document, const std::string &key, double fallback) {
    return base::parseProjectFloat(document.readString(PulseSetSectionName, key, {})).value_or(fallback);
}

} // namespace

void writePulseSet(IniDocument &document, const PulseSetList &list) {
    document.eraseSection(PulseSetSectionName);
    document.writeInteger(PulseSetSectionName, "Count", static_cast<int>(list.size()));
    for (std::size_t k = 0; k < list.size(); ++k) {
        document.writeString(PulseSetSectionName, entryKey("File", static_cast<int>(k)), list[k].fileName);
        document.writeBool(PulseSetSectionName, entryKey("Check", static_cast<int>(k)), list[k].check);
        if (const auto &path = list[k].path) {
            document.writeString(PulseSetSectionName, entryKey("PathDistance", static_cast<int>(k)),
                                 floatText(path->distance));
            document.writeString(PulseSetSectionName, entryKey("PathTemperature", static_cast<int>(k)),
                                 floatText(path->temperature));
            document.writeString(PulseSetSectionName, entryKey("PathHumidity", static_cast<int>(k)),
                                 floatText(path->humidity));
        }
    }
}

std::optional<PulseSetList> readPulseSet(const IniDocument &document) {
    if (!document.hasSection(PulseSetSectionName))
        return std::nullopt;
    const int count = std::clamp(document.readInteger(PulseSetSectionName, "Count", 0), 0, MaxEntries);
    PulseSetList list;
    for (int k = 0; k < count; ++k) {
        const std::string fileKey = entryKey("File", k);
        if (!document.hasKey(PulseSetSectionName, fileKey))
            break;
        PulseSetEntry entry;
        entry.fileName = document.readString(PulseSetSectionName, fileKey, {});
        entry.check = document.readBool(PulseSetSectionName, entryKey("Check", k), false);
        if (document.hasKey(PulseSetSectionName, entryKey("PathDistance", k))) {
            PathConditions path;
            path.distance = readFloat(document, entryKey("PathDistance", k), path.distance);
            path.temperature = readFloat(document, entryKey("PathTemperature", k), path.temperature);
            path.humidity = readFloat(document, entryKey("PathHumidity", k), path.humidity);
            entry.path = path;
        }
        list.push_back(std::move(entry));
    }
    return list;
}

} // namespace pulsefir::project
