#include "commands.h"

#include <cmath>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "project/file_access.h"
#include "project/ini_file.h"
#include "project/project_settings.h"
#include "project/pulse_set_section.h"
#include "project/settings_table.h"
#include "pulse_set.h"
#include "reports.h"
#include "session.h"
#include "steps.h"

namespace pulsefir::cli {

namespace {

// A step of the command line that does not name its own parameters.
struct UsageError {
    std::string message;
};

std::string rangeText(const project::SettingDefinition &d) {
    return formatNumber(d.minimum) + ".." + formatNumber(d.maximum);
}

void applySet(Session &session, const std::string &assignment) {
    const auto eq = assignment.find('=');
    const auto dot = assignment.find('.');
    if (eq == std::string::npos || dot == std::string::npos || dot > eq)
        throw UsageError{base::Message::cliSetForm(assignment)};
    const std::string section = assignment.substr(0, dot);
    const std::string key = assignment.substr(dot + 1, eq - dot - 1);
    const std::string text = assignment.substr(eq + 1);
    const project::SettingDefinition *d = project::findSetting(section, key);
    if (!d)
        throw UsageError{base::Message::cliUnknownKey(section + "." + key)};
    const auto value = base::parseCommandLineNumber(text);
    const bool whole = value && std::floor(*value) == *value;
    if (!value || (d->kind != project::SettingKind::Float && !whole))
        throw UsageError{
            base::Message::cliNotANumber(section + "." + key, text, d->kind != project::SettingKind::Float)};
    if (*value < d->minimum || *value > d->maximum)
        throw UsageError{base::Message::cliOutsideRange(section + "." + key, text, rangeText(*d))};
    d->set(session.settings, *value);
}

std::string kindText(project::SettingKind kind) {
    switch (kind) {
    case project::SettingKind::Float:
        return base::say("число", "number");
    case project::SettingKind::Integer:
        return base::say("целое", "integer");
    case project::SettingKind::Check:
        return base::say("0 или 1", "0 or 1");
    case project::SettingKind::Radio:
        return base::say("номер пункта", "item index");
    }
    return "";
}

} // namespace

void printUsage(std::ostream &out) {
    const bool russian = base::speaksRussian();
    const std::string file = russian ? " ФАЙЛ" : " FILE";
    out << (russian ? "Использование: pulsefir-cli [--set Раздел.Ключ=ЗНАЧЕНИЕ | --project ФАЙЛ | ШАГ]...\n"
                      "Рассчитывает корректирующий КИХ-фильтр для ультразвуковых импульсов без окон.\n"
                      "Параметры и шаги выполняются по порядку над одним состоянием; в ЗНАЧЕНИИ годится '.' или "
                      "','.\n"
                      "--project ФАЙЛ берёт все ключи файла проекта (*.flt) там, где он стоит.\n"
                      "--manual выводит страницу руководства pulsefir-cli(1).\n\n"
                      "Шаги:\n"
                    : "Usage: pulsefir-cli [--set Section.Key=VALUE | --project FILE | STEP]...\n"
                      "Designs an FIR correction filter for ultrasonic pulses without the windows.\n"
                      "Options and steps run in the order given on one state; VALUE takes '.' or ','.\n"
                      "--project FILE takes every key of a project file (*.flt) where it stands.\n"
                      "--manual prints the manual page pulsefir-cli(1).\n\n"
                      "Steps:\n");
    // Columns by characters, not bytes: a Cyrillic letter takes two bytes of UTF-8.
    const auto pad = [](const std::string &text, std::size_t width) {
        std::size_t characters = 0;
        for (unsigned char c : text)
            characters += (c & 0xC0) != 0x80;
        return std::string(characters < width ? width - characters : 1, ' ');
    };
    for (const auto &step : steps()) {
        std::string name = step.name;
        if (step.takesFile)
            name += file;
        out << "  " << name << pad(name, 22) << (russian ? step.helpRussian : step.help) << '\n';
    }
    out << (russian
                ? "  (ФАЙЛ - — стандартный вывод; CSV со строкой заголовка, '.' — десятичный разделитель)\n\n"
                  "Фаза: atan2(C, S) в радианах, C и S — суммы x[i] cos и x[i] sin от omega t: отсчитывается от\n"
                  "синуса, то есть равна arg(сумма x[i] exp(-i omega t)) + pi/2; симметричный фильтр показывает\n"
                  "+-pi/2 там, где программы, отсчитывающие от косинуса, показывают 0 или pi. Групповая задержка —\n"
                  "вещественная часть суммы t x[i] exp(-i omega t) / сумма x[i] exp(-i omega t),\n"
                  "в микросекундах, t = i / FNmSuperSpin.\n\n"
                  "Ключи:\n"
                : "  (FILE - is standard output; CSV with a header line, '.' as decimal separator)\n\n"
                  "Phase: atan2(C, S) in radians, C and S the sums of x[i] cos and x[i] sin of omega t: measured "
                  "against\n"
                  "a sine, so it is arg(sum x[i] exp(-i omega t)) + pi/2; a symmetric filter shows +-pi/2 where tools\n"
                  "that measure against a cosine show 0 or pi. The group delay is the real part of\n"
                  "sum t x[i] exp(-i omega t) / sum x[i] exp(-i omega t) in microseconds, t = i / FNmSuperSpin.\n\n"
                  "Keys:\n");
    for (const auto &d : project::SettingDefinitions) {
        std::string name = std::string(d.section) + "." + std::string(d.key);
        out << "  " << name << pad(name, 38) << kindText(d.kind) << ' ' << rangeText(d)
            << (russian ? ", по умолчанию " : ", default ") << formatNumber(d.defaultValue()) << '\n';
    }
    out << (russian ? "\nПеременные окружения:\n"
                      "  PULSEFIR_SCALAR=1                     переносимые скалярные ядра вместо векторных\n"
                      "                                        (результаты те же до бита)\n"
                      "  PULSEFIR_THREADS=N                    потоков для вычислений, 1..64 (по умолчанию по\n"
                      "                                        одному на ядро, не больше 8)\n"
                    : "\nEnvironment:\n"
                      "  PULSEFIR_SCALAR=1                     portable scalar kernels instead of the vector ones\n"
                      "                                        (the results are the same bit for bit)\n"
                      "  PULSEFIR_THREADS=N                    threads for the computations, 1..64 (default: one\n"
                      "                                        per core, at most 8)\n");
}

namespace {
// Text as roff shows it: backslashes and hyphens escaped, a line never taken for a request.
std::string roff(const std::string &text) {
    std::string result;
    for (const char c : text) {
        if (c == '\\')
            result += "\\e";
        else if (c == '-')
            result += "\\-";
        else
            result += c;
    }
    if (!result.empty() && (result.front() == '.' || result.front() == '\''))
        result.insert(0, "\\&");
    return result;
}
} // namespace

void printManual(std::ostream &out) {
    const bool russian = base::speaksRussian();
    out << ".TH PULSEFIR\\-CLI 1 \"\" \"pulsefir\" \"" << (russian ? "Команды" : "User Commands") << "\"\n"
        << ".SH " << (russian ? "ИМЯ" : "NAME") << "\n"
        << "pulsefir\\-cli \\- "
        << roff(russian ? "корректирующий КИХ-фильтр для ультразвуковых импульсов из командной строки"
                        : "design FIR correction filters for ultrasonic pulses from the command line")
        << "\n.SH " << (russian ? "СИНТАКСИС" : "SYNOPSIS") << "\n"
        << ".B pulsefir\\-cli\n[\\fB\\-\\-set\\fR \\fISection.Key\\fB=\\fIVALUE\\fR | \\fB\\-\\-project\\fR "
           "\\fIFILE\\fR | \\fISTEP\\fR]...\n"
        << ".SH " << (russian ? "ОПИСАНИЕ" : "DESCRIPTION") << "\n"
        << roff(russian ? "Выполняет расчёты программы pulsefir без окон. Параметры и шаги выполняются по порядку "
                          "над одним состоянием, так что --set между двумя шагами меняет поле, как пользователь "
                          "между двумя нажатиями; в ЗНАЧЕНИИ годится '.' или ','."
                        : "Runs the computations of pulsefir without its windows. Options and steps run in the "
                          "order given on one state, so a --set between two steps changes a field as a user "
                          "would between two clicks; VALUE takes '.' or ','.")
        << "\n.SH " << (russian ? "ПАРАМЕТРЫ" : "OPTIONS") << "\n"
        << ".TP\n\\fB\\-\\-set\\fR \\fISection.Key\\fB=\\fIVALUE\\fR\n"
        << roff(russian ? "задать поле окна (ключи ниже)" : "set a field of a window (the keys below)") << "\n"
        << ".TP\n\\fB\\-\\-project\\fR \\fIFILE\\fR\n"
        << roff(russian ? "взять все ключи файла проекта (*.flt)" : "take every key of a project file (*.flt)")
        << "\n.TP\n\\fB\\-\\-help\\fR, \\fB\\-h\\fR\n"
        << roff(russian ? "список шагов и ключей" : "list the steps and keys") << "\n"
        << ".TP\n\\fB\\-\\-manual\\fR\n"
        << roff(russian ? "эта страница руководства в формате roff" : "this manual page, in roff") << "\n"
        << ".SH " << (russian ? "ШАГИ" : "STEPS") << "\n";
    for (const auto &step : steps()) {
        out << ".TP\n\\fB" << roff(step.name) << "\\fR";
        if (step.takesFile)
            out << " \\fI" << (russian ? "ФАЙЛ" : "FILE") << "\\fR";
        out << '\n' << roff(russian ? step.helpRussian : step.help) << '\n';
    }
    out << ".PP\n"
        << roff(russian ? "ФАЙЛ - — стандартный вывод; CSV со строкой заголовка, '.' — десятичный разделитель."
                        : "FILE - is standard output; CSV with a header line, '.' as decimal separator.")
        << "\n.SH " << (russian ? "КЛЮЧИ" : "KEYS") << "\n";
    for (const auto &d : project::SettingDefinitions) {
        out << ".TP\n\\fB" << roff(std::string(d.section) + "." + std::string(d.key)) << "\\fR\n"
            << roff(kindText(d.kind) + ' ' + rangeText(d) + (russian ? ", по умолчанию " : ", default ") +
                    formatNumber(d.defaultValue()))
            << '\n';
    }
    out << ".SH " << (russian ? "ОКРУЖЕНИЕ" : "ENVIRONMENT") << "\n"
        << ".TP\n\\fBPULSEFIR_SCALAR\\fR=1\n"
        << roff(russian ? "переносимые скалярные ядра вместо векторных (результаты те же до бита)"
                        : "portable scalar kernels instead of the vector ones (the results are the same bit for bit)")
        << "\n.TP\n\\fBPULSEFIR_THREADS\\fR=\\fIN\\fR\n"
        << roff(russian ? "потоков для вычислений, 1..64 (по умолчанию по одному на ядро, не больше 8)"
                        : "threads for the computations, 1..64 (default: one per core, at most 8)")
        << "\n.SH " << (russian ? "ПРИМЕРЫ" : "EXAMPLES") << "\n"
        << ".nf\npulsefir\\-cli load\\-signal least\\-squares apply metrics \\-\n"
        << "pulsefir\\-cli load\\-signal start\\-filter search write\\-trace trace.csv\n.fi\n"
        << ".SH " << (russian ? "СМ. ТАКЖЕ" : "SEE ALSO") << "\n\\fBpulsefir\\fR(1)\n";
}

int run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    try {
        Session session;
        // As the main window does when it is created.
        session.draw();
        for (std::size_t k = 0; k < args.size(); ++k) {
            const std::string &arg = args[k];
            if (arg == "--help" || arg == "-h") {
                printUsage(out);
                checkWritten(out);
                return ExitOk;
            }
            if (arg == "--manual") {
                printManual(out);
                checkWritten(out);
                return ExitOk;
            }
            if (arg == "--set") {
                if (k + 1 >= args.size())
                    throw UsageError{base::Message::cliSetNeedsValue()};
                applySet(session, args[++k]);
                continue;
            }
            if (arg == "--project") {
                if (k + 1 >= args.size())
                    throw UsageError{base::Message::cliProjectNeedsFile()};
                const std::string &file = args[++k];
                // The pulse set's files are read with the placement keys just taken from the project.
                project::PulseSetProjectSection set(
                    [&session] { return setList(session); },
                    [&session](const project::PulseSetList &list) { replaceSet(session, list); });
                if (!project::readProject(file, session.settings, *session.state, session.projectSource, {&set}))
                    err << base::Message::cliPrefix() << project::nothingLoadedMessage(file, file) << '\n';
                continue;
            }
            if (arg.rfind("--set=", 0) == 0) {
                applySet(session, arg.substr(6));
                continue;
            }
            const Step *step = findStep(arg);
            if (!step)
                throw UsageError{base::Message::cliUnknownStep(arg)};
            std::string file;
            if (step->takesFile) {
                if (k + 1 >= args.size())
                    throw UsageError{base::Message::cliStepNeedsFile(step->name)};
                file = args[++k];
            }
            step->action(session, file, out);
        }
        checkWritten(out);
    } catch (const UsageError &error) {
        err << base::Message::cliPrefix() << error.message << "\n\n";
        printUsage(err);
        return ExitUsage;
    } catch (const base::Error &error) {
        err << base::Message::cliPrefix() << error.what() << '\n';
        return ExitCoreError;
    } catch (const std::bad_alloc &) {
        err << base::Message::cliPrefix() << base::Message::outOfMemory() << '\n';
        return ExitCoreError;
    } catch (const std::exception &error) {
        // Whatever else went wrong: a message, never an abort.
        err << base::Message::cliPrefix() << base::Message::cliUnexpected() << " (" << error.what() << ")\n";
        return ExitCoreError;
    } catch (...) {
        err << base::Message::cliPrefix() << base::Message::cliUnexpected() << '\n';
        return ExitCoreError;
    }
    return ExitOk;
}

} // namespace pulsefir::cli
