// libFuzzer target: any bytes as a project file, through the INI reader, the window loader and
// the command line's parameter reader. None may crash or read outside its memory, and the
// reader's own output must read back to the same text.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
#include "fake_windows.h"
#include "project/SaveLoadPrjUnit.h"
#include "project/ini_file.h"
#include "project/project_settings.h"
#include "project/work_sections.h"

using namespace pulsefir;
using namespace pulsefir::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    IniDocument doc = IniDocument::parse(bytes);
    const std::string once = doc.serialize();
    if (IniDocument::parse(once).serialize() != once)
        std::abort();

    auto windows = makeProgramWindows();
    try {
        for (auto &w : windows)
            loadWindowSettings(doc, *w);
    } catch (const base::Error &) {
    }
    Settings settings;
    try {
        readProjectSettings(doc, settings);
    } catch (const base::Error &) {
    }

    // The work's sections, whatever they hold, are read or refused without harm.
    static auto state = std::make_unique<core::CoreState>(1);
    WorkSections work(*state);
    std::vector<std::string> unusable;
    if (const auto apply = work.plan(doc, unusable))
        apply();

    // Saving over whatever was read keeps it readable and puts the sections back as written.
    const std::string saved = composeProject(bytes, pointers(windows), ',');
    const IniDocument reread = IniDocument::parse(saved);
    if (reread.readInteger("SignalForm", "Top", -1) != windows[1]->frameRect.top)
        std::abort();
    doc.writeString("MainForm", "Top", "5");
    if (doc.readString("MainForm", "Top", {}) != "5")
        std::abort();
    return 0;
}
