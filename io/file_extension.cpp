#include "file_extension.h"

#include <algorithm>
#include <filesystem>

namespace pulsefir::io {

std::string lowerExtension(const std::string &fileName) {
    std::string ext = std::filesystem::path(fileName).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); });
    return ext;
}

} // namespace pulsefir::io
