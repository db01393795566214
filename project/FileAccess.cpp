#include "FileAccess.h"

#include <QFile>

#include <string>

#include "base/file.h"
#include "base/messages.h"

namespace pulsefir::project {

namespace {

std::string nativeName(const QString &fileName) {
    return QFile::encodeName(fileName).toStdString();
}

} // namespace

QByteArray ReadProjectBytes(const QString &fileName) {
    const std::string name = nativeName(fileName);
    try {
        const std::string bytes = base::readFileWhole(name, MaxProjectFileBytes);
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    } catch (const base::FileReadError &error) {
        switch (error.fault()) {
        case base::ReadFault::NotRegular:
            throw base::Error(base::Message::notAProjectFile(fileName.toStdString()));
        case base::ReadFault::TooLarge:
            throw base::Error(base::Message::projectTooLarge(fileName.toStdString()));
        case base::ReadFault::Missing:
        case base::ReadFault::Unreadable:
            break;
        }
        throw;
    }
}

void WriteProjectBytes(const QString &fileName, const QByteArray &content) {
    base::writeFileWhole(nativeName(fileName),
                         std::string_view(content.constData(), static_cast<std::size_t>(content.size())));
}

bool PathExists(const QString &fileName) {
    return base::kindOfPath(nativeName(fileName)) != base::PathKind::Missing;
}

} // namespace pulsefir::project
