#include "settings_table.h"

namespace pulsefir::project {

const SettingDefinition *findSetting(std::string_view section, std::string_view key) {
    for (const SettingDefinition &d : SettingDefinitions)
        if (d.section == section && d.key == key)
            return &d;
    return nullptr;
}

} // namespace pulsefir::project
