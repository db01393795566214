#pragma once

#include <QString>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "project/project_interfaces.h"
#include "ui/widgets/chart.h"

namespace pulsefir::ui {

// Whether each chart shows its legend, kept in a project section of its own, "ChartLegends", one
// key per chart ("MainForm.Chart=1"); a project without the section leaves the legends as they are.
class ChartLegendSections : public project::ProjectSections {
  public:
    using Charts = std::vector<std::pair<std::string, widgets::TChart *>>;
    explicit ChartLegendSections(Charts charts) : m_charts(std::move(charts)) {}
    void write(project::IniDocument &document) const override;
    std::function<void()> plan(const project::IniDocument &document, std::vector<std::string> &unusable) override;
    // The legends as they stand, one flag per chart, to tell whether they changed.
    std::vector<bool> states() const;

  private:
    Charts m_charts;
};

inline constexpr const char *ChartLegendsSection = "ChartLegends";

} // namespace pulsefir::ui
