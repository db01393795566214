#include "ProjectParameters.h"

#include <QFile>

#include <algorithm>
#include <cmath>

#include "core/errors.h"
#include "project/FileAccess.h"
#include "project/IniFile.h"
#include "project/ValueFormat.h"

namespace pulsefir::project {

bool ReadProjectParameters(const IniDocument &doc, ParameterValues &values) {
    ParameterValues read = values;
    bool anySection = false;
    for (const ParameterDefinition &d : ParameterDefinitions()) {
        const QString section = QString::fromUtf8(d.section.data(), static_cast<int>(d.section.size()));
        const QString key = QString::fromUtf8(d.key.data(), static_cast<int>(d.key.size()));
        anySection = anySection || doc.hasSection(section);
        if (!doc.hasKey(section, key))
            continue;
        const double current = values.get(d.section, d.key);
        switch (d.kind) {
        case ParameterKind::Float: {
            const QString text = doc.readString(section, key, QString());
            const auto value = ParseProjectFloat(text);
            if (!value)
                throw CoreError(InvalidFloatMessage(text).toStdString());
            read.set(d.section, d.key, *value);
            break;
        }
        case ParameterKind::Integer: {
            const int v = doc.readInteger(section, key, static_cast<int>(std::lround(current)));
            read.set(d.section, d.key, std::clamp<double>(v, d.minimum, d.maximum));
            break;
        }
        case ParameterKind::Radio: {
            const int v = doc.readInteger(section, key, static_cast<int>(std::lround(current)));
            read.set(d.section, d.key, std::clamp<double>(v, -1, d.maximum));
            break;
        }
        case ParameterKind::Check:
            read.set(d.section, d.key, doc.readBool(section, key, current != 0) ? 1 : 0);
            break;
        }
    }
    values = read;
    return anySection;
}

bool ReadProjectParameters(const QString &fileName, ParameterValues &values) {
    return ReadProjectParameters(IniDocument::parse(ReadProjectBytes(fileName)), values);
}

} // namespace pulsefir::project
