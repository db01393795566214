#include "chart_legends.h"

#include "base/number_text.h"
#include "project/ini_file.h"

namespace pulsefir::ui {

void ChartLegendSections::write(project::IniDocument &doc) const {
    std::vector<std::pair<std::string, std::string>> keys;
    for (const auto &[key, chart] : m_charts)
        keys.emplace_back(key, chart->legendVisible() ? "1" : "0");
    doc.replaceSection(ChartLegendsSection, keys);
}

std::function<void()> ChartLegendSections::plan(const project::IniDocument &doc, std::vector<std::string> &unusable) {
    if (!doc.hasSection(ChartLegendsSection))
        return {};
    std::vector<std::pair<widgets::TChart *, bool>> shown;
    for (const auto &[key, chart] : m_charts) {
        if (!doc.hasKey(ChartLegendsSection, key))
            continue;
        const auto value = base::parseProjectInteger(doc.readString(ChartLegendsSection, key, {}));
        if (value)
            shown.emplace_back(chart, *value != 0);
        else
            unusable.push_back(std::string(ChartLegendsSection) + "." + key);
    }
    return [shown] {
        for (const auto &[chart, visible] : shown)
            chart->setLegendVisible(visible);
    };
}

std::vector<bool> ChartLegendSections::states() const {
    std::vector<bool> result;
    for (const auto &[key, chart] : m_charts)
        result.push_back(chart->legendVisible());
    return result;
}

} // namespace pulsefir::ui
