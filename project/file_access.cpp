#include "file_access.h"

#include "base/file.h"
#include "base/messages.h"

namespace pulsefir::project {

std::string readProjectBytes(const std::string &fileName) {
    try {
        return base::readFileWhole(fileName, MaxProjectFileBytes);
    } catch (const base::FileReadError &error) {
        switch (error.fault()) {
        case base::ReadFault::NotRegular:
            throw base::Error(base::Message::notAProjectFile(fileName));
        case base::ReadFault::TooLarge:
            throw base::Error(base::Message::projectTooLarge(fileName));
        case base::ReadFault::Missing:
        case base::ReadFault::Unreadable:
            break;
        }
        throw;
    }
}

std::string nothingLoadedMessage(const std::string &fileName, std::string_view shownName) {
    bool empty = false;
    try {
        empty = readProjectBytes(fileName).empty();
    } catch (const std::exception &) {
        // Gone or changed since it was loaded: the message the load itself gives.
    }
    return empty ? base::Message::projectFileEmpty(shownName) : base::Message::projectHasNoSections(shownName);
}

} // namespace pulsefir::project
