#include "messages.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/number_text.h"

namespace pulsefir::base {

namespace {

std::atomic<Audience> current{Audience::Windows};

constexpr std::size_t QuotedLimit = 80; // characters of a value shown in a message

std::string integer(long long value) {
    return formatInteger(value);
}

std::string concat(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view p : parts)
        text += p;
    return text;
}

// Russian plural of a count: 1 столбец, 2 столбца, 5 столбцов.
std::string_view russianPlural(std::uintmax_t n, std::string_view one, std::string_view few, std::string_view many) {
    const std::uintmax_t tens = n % 100;
    const std::uintmax_t units = n % 10;
    if (tens >= 11 && tens <= 14)
        return many;
    if (units == 1)
        return one;
    if (units >= 2 && units <= 4)
        return few;
    return many;
}

// Causes the program meets often, in both languages; glibc's own English text for the rest.
struct Cause {
    int number;
    const char *russian;
    const char *english;
};
constexpr Cause Causes[] = {
    {ENOSPC, "нет места на устройстве", "No space left on device"},
    {EDQUOT, "превышена дисковая квота", "Disk quota exceeded"},
    {EROFS, "файловая система только для чтения", "Read-only file system"},
    {EACCES, "нет доступа", "Permission denied"},
    {EPERM, "операция не разрешена", "Operation not permitted"},
    {ENOENT, "нет такого файла или папки", "No such file or directory"},
    {ENOTDIR, "часть пути не является папкой", "Not a directory"},
    {EISDIR, "это папка", "Is a directory"},
    {ELOOP, "слишком много символических ссылок", "Too many levels of symbolic links"},
    {ENAMETOOLONG, "слишком длинное имя файла", "File name too long"},
    {EFBIG, "файл слишком велик", "File too large"},
    {EIO, "ошибка ввода-вывода", "Input/output error"},
    {EMFILE, "открыто слишком много файлов", "Too many open files"},
    {ENFILE, "открыто слишком много файлов в системе", "Too many open files in system"},
    {ENOMEM, "недостаточно памяти", "Cannot allocate memory"},
    {EBUSY, "устройство или ресурс занят", "Device or resource busy"},
    {ETXTBSY, "файл занят", "Text file busy"},
    {EXDEV, "ссылка между разными файловыми системами", "Invalid cross-device link"},
    {EINVAL, "недопустимый аргумент", "Invalid argument"},
    {EAGAIN, "ресурс временно недоступен", "Resource temporarily unavailable"},
};

} // namespace

Audience audience() {
    return current.load(std::memory_order_relaxed);
}

void setAudience(Audience audience) {
    current.store(audience, std::memory_order_relaxed);
}

Audience consoleAudienceFromEnvironment() {
    // The first of these that is set and not empty names the messages' locale, as the C library
    // decides LC_MESSAGES.
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(name);
        if (value && *value)
            return std::strncmp(value, "ru", 2) == 0 ? Audience::ConsoleRussian : Audience::ConsoleEnglish;
    }
    return Audience::ConsoleEnglish;
}

bool speaksRussian() {
    return audience() != Audience::ConsoleEnglish;
}

std::string say(std::string_view russian, std::string_view english) {
    return std::string(speaksRussian() ? russian : english);
}

namespace {

// The length of the well-formed UTF-8 character at the start of `text`, or 0 where its first byte
// starts none (a stray continuation byte, an overlong form, a surrogate, a code above U+10FFFF or
// a character cut short).
std::size_t utf8Length(std::string_view text) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = b(0);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the bounds of the second byte, which exclude the overlong forms,
    unsigned char high = 0xBF; // the surrogates and the codes above U+10FFFF
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || b(1) < low || b(1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((b(k) & 0xC0) != 0x80)
            return 0;
    return length;
}

void appendEscaped(std::string &shown, unsigned char c) {
    static constexpr char Hex[] = "0123456789abcdef";
    shown += "\\x";
    shown += Hex[c >> 4];
    shown += Hex[c & 15];
}

} // namespace

std::string shownValue(std::string_view value) {
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t k = 0; k < value.size();) {
        if (characters == QuotedLimit)
            return shown + "\u2026";
        ++characters;
        const std::size_t length = utf8Length(value.substr(k));
        const auto c = static_cast<unsigned char>(value[k]);
        // A control character (C0, DEL, or C1 written as U+0080..U+009F) or a byte that starts no
        // character is shown by its bytes, so that a binary file's content reads as what it is.
        const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(value[k + 1]) < 0xA0;
        if (length == 0 || c < 0x20 || c == 0x7F || c1) {
            for (std::size_t j = 0; j < std::max<std::size_t>(length, 1); ++j)
                appendEscaped(shown, static_cast<unsigned char>(value[k + j]));
        } else {
            shown.append(value.substr(k, length));
        }
        k += std::max<std::size_t>(length, 1);
    }
    return shown;
}

// ---- Files ------------------------------------------------------------------------------------

std::string Message::systemCause(int errorNumber) {
    for (const Cause &c : Causes)
        if (c.number == errorNumber)
            return say(c.russian, c.english);
    // strerrordesc_np is the C library's English text whatever the locale.
    const char *english = ::strerrordesc_np(errorNumber);
    const std::string text = english ? english : "error " + integer(errorNumber);
    return say("системная ошибка " + integer(errorNumber) + " (" + text + ")", text);
}

std::string Message::notRegularCause(PathKind kind) {
    switch (kind) {
    case PathKind::Directory:
        return say("это папка, а не обычный файл", "a folder, not a regular file");
    case PathKind::Fifo:
        return say("это канал (FIFO), а не обычный файл", "a FIFO, not a regular file");
    case PathKind::Device:
        return say("это устройство, а не обычный файл", "a device, not a regular file");
    case PathKind::Socket:
        return say("это сокет, а не обычный файл", "a socket, not a regular file");
    case PathKind::Missing:
        return systemCause(ENOENT);
    case PathKind::Regular:
    case PathKind::Other:
        break;
    }
    return say("это не обычный файл", "not a regular file");
}

std::string Message::unableToWrite(std::string_view file, std::string_view cause) {
    switch (audience()) {
    case Audience::Windows:
        return concat({"Unable to write to ", file, ".\n", cause});
    case Audience::ConsoleRussian:
        return concat({"не удаётся записать ", file, ": ", cause});
    case Audience::ConsoleEnglish:
        break;
    }
    return concat({"Unable to write to ", file, ": ", cause});
}

std::string Message::unableToRead(std::string_view file, std::string_view cause) {
    switch (audience()) {
    case Audience::Windows:
        return concat({"Unable to read ", file, ".\n", cause});
    case Audience::ConsoleRussian:
        return concat({"не удаётся прочитать ", file, ": ", cause});
    case Audience::ConsoleEnglish:
        break;
    }
    return concat({"Unable to read ", file, ": ", cause});
}

std::string Message::unableToWriteStandardOutput() {
    return audience() == Audience::ConsoleRussian ? "не удаётся записать в стандартный вывод"
                                                  : "Unable to write to standard output.";
}

std::string Message::encodingFailed(std::string_view format) {
    return say(concat({"не удалось подготовить ", format}), concat({"the ", format, " could not be made"}));
}

std::string Message::fileTooLarge(std::string_view file, std::uintmax_t size, std::uintmax_t limit) {
    return say(
        concat({file, ": файл больше допустимого (", integer(size), " байт, можно не больше ", integer(limit), ")"}),
        concat({file, ": the file is too large (", integer(size), " bytes, at most ", integer(limit), ")"}));
}

// ---- Numbers ----------------------------------------------------------------------------------

std::string Message::invalidFloat(std::string_view text) {
    if (audience() == Audience::ConsoleRussian)
        return concat({"'", shownValue(text), "' — не число с плавающей точкой"});
    return concat({"'", shownValue(text), "' is not a valid floating point value."});
}

// ---- The core ---------------------------------------------------------------------------------

std::string Message::invalidOperation() {
    return audience() == Audience::ConsoleRussian ? "недопустимая операция с плавающей точкой"
                                                  : "Invalid floating point operation";
}

std::string Message::divisionByZero() {
    return audience() == Audience::ConsoleRussian ? "деление на ноль с плавающей точкой"
                                                  : "Floating point division by zero";
}

std::string Message::overflow() {
    return audience() == Audience::ConsoleRussian ? "переполнение с плавающей точкой" : "Floating point overflow";
}

std::string Message::negativeRegularisation() {
    return say("Регуляризация МНК должна быть неотрицательным числом.",
               "The least-squares regularisation must not be negative.");
}

std::string Message::zeroSignalLeastSquares() {
    return say("Сигнал равен нулю: МНК-фильтр не определён.",
               "The signal is zero: the least-squares filter is undefined.");
}

std::string Message::noTrainingPulses() {
    return say("В наборе нет импульса для расчёта: все отмечены «для проверки».",
               "The set has no training pulse: every one is held out for checking.");
}

std::string Message::pathDistanceNotPositive() {
    return say("Расстояние тракта должно быть больше нуля.", "The path's distance must be above zero.");
}

std::string Message::singularLeastSquares() {
    return say("Система уравнений МНК вырождена: увеличьте регуляризацию.",
               "The least-squares equations are singular: raise the regularisation.");
}

std::string Message::transformPlanFailed() {
    return say("Не удалось подготовить преобразование Фурье.", "FFT plan could not be created.");
}

std::string Message::tooManySpectrumPoints(int limit) {
    return say("Количество точек не должно превышать " + integer(limit),
               "The number of points must not exceed " + integer(limit));
}

std::string Message::gridAboveHalfSampling(std::string_view halfRate) {
    return say(
        concat({"сетка частот выходит за половину частоты дискретизации (", halfRate,
                " МГц); там спектры повторяют нижние частоты зеркально, и нормировка может взять пик отражения"}),
        concat({"the grid reaches above half the sampling frequency (", halfRate,
                " MHz); there the spectra repeat lower frequencies mirrored, and a normalisation may take an "
                "alias' peak"}));
}

std::string Message::outOfMemory() {
    return say("Недостаточно памяти для этой операции", "Not enough memory for this operation");
}

std::string Message::pointerSizeNotPositive() {
    return audience() == Audience::ConsoleRussian ? "размер точки должен быть больше нуля"
                                                  : "Pointer size must be greater than zero";
}

// ---- Project files ----------------------------------------------------------------------------

std::string Message::projectTooLarge(std::string_view file) {
    return say(concat({"Файл ", file, " слишком велик для файла проекта"}),
               concat({file, " is too large for a project file"}));
}

std::string Message::notAProjectFile(std::string_view file) {
    return say(concat({"Файл ", file, " не является файлом проекта"}), concat({file, " is not a project file"}));
}

std::string Message::projectFileMissing(std::string_view file) {
    return say(concat({"Не существует Файл \r", file}), concat({"The file ", file, " does not exist"}));
}

std::string Message::projectUnusableKeys(std::string_view file, std::string_view keys) {
    return say(concat({"Из файла ", file, " не загружено (значения остались прежними):\n", keys}),
               concat({file, ": these keys could not be used and kept their values: ", keys}));
}

std::string Message::projectFileEmpty(std::string_view file) {
    return say(concat({"Файл ", file, " пуст, ничего не изменено"}), concat({file, " is empty: it set nothing"}));
}

std::string Message::saveChangesQuestion() {
    return say("Сохранить изменения в проекте?", "Save the changes to the project?");
}

std::string Message::projectOverwriteQuestion(std::string_view file) {
    return say(concat({"Файл с именем \r", file, "\rуже существует\rЗаписать в него?"}),
               concat({"A file named ", file, " already exists. Write over it?"}));
}

std::string Message::projectHasNoSections(std::string_view file) {
    return say(concat({file, ": нет ни одного из разделов MainForm, SignalForm, FilterForm, SpectorForm, ничего не "
                             "изменено"}),
               concat({file, " has none of the sections MainForm, SignalForm, FilterForm, SpectorForm: it set "
                             "nothing"}));
}

// ---- Measured pulses in, taps out -------------------------------------------------------------

std::string Message::inFile(std::string_view file, std::string_view what) {
    return concat({file, ": ", what});
}

std::string Message::atLine(std::size_t line, std::string_view what) {
    // Line numbers start at 1: no line is named where reading stopped before the first one.
    if (line == 0)
        return std::string(what);
    return say(concat({"строка ", integer(line), ": ", what}), concat({"line ", integer(line), ": ", what}));
}

std::string Message::atByte(std::uintmax_t byte, std::string_view what) {
    return say(concat({"байт ", integer(byte), ": ", what}), concat({"byte ", integer(byte), ": ", what}));
}

std::string Message::unknownPulseExtension(std::string_view extension) {
    return say(concat({"неизвестный тип файла '", shownValue(extension),
                       "': нужен .csv, .tsv, .txt, .dat, .wav, .w64, .rf64 или .npy"}),
               concat({"unknown file type '", shownValue(extension),
                       "': use .csv, .tsv, .txt, .dat, .wav, .w64, .rf64 or .npy"}));
}

std::string Message::pulseFileMissing() {
    return say("файл не найден", "no such file");
}

std::string Message::pulseFileNotRegular(PathKind kind) {
    return notRegularCause(kind);
}

std::string Message::pulseFileTooLarge(std::uintmax_t size) {
    return say(concat({"файл больше 64 МиБ (", integer(size), " байт), не читается"}),
               concat({"the file is larger than 64 MiB (", integer(size), " bytes) and is not read"}));
}

std::string Message::pulseFileUnreadable(int errorNumber) {
    return say(concat({"файл не читается: ", systemCause(errorNumber)}),
               concat({"the file cannot be read: ", systemCause(errorNumber)}));
}

std::string Message::emptyField() {
    return say("пустое поле вместо числа", "an empty field instead of a number");
}

std::string Message::notANumber(std::string_view field) {
    return say(concat({"'", shownValue(field), "' не число"}), concat({"'", shownValue(field), "' is not a number"}));
}

std::string Message::notFinite(std::string_view field) {
    return say(concat({"'", shownValue(field), "' не конечное число"}),
               concat({"'", shownValue(field), "' is not a finite number"}));
}

std::string Message::tooManyColumns(std::size_t columns) {
    return say(columnsText(columns) + ", нужен один (отсчёты) или два (время [мкс], отсчёт)",
               columnsText(columns) + ", need one (samples) or two (time [µs], sample)");
}

std::string Message::columnCountChanged(std::size_t columns, std::size_t expected) {
    return say(columnsText(columns) + " вместо " + integer(expected),
               columnsText(columns) + " instead of " + integer(expected));
}

std::string Message::tooManySamples(std::size_t limit) {
    return say("больше " + integer(limit) + " отсчётов, файл не читается",
               "more than " + integer(limit) + " samples, the file is not read");
}

std::string Message::fileEmpty() {
    return say("файл пуст", "the file is empty");
}

std::string Message::noNumbers() {
    return say("в файле нет ни одного числа", "the file holds no number");
}

std::string Message::columnsText(std::size_t columns) {
    if (!speaksRussian())
        return integer(columns) + (columns == 1 ? " column" : " columns");
    return integer(columns) + " " + std::string(russianPlural(columns, "столбец", "столбца", "столбцов"));
}

std::string Message::separatorName(char separator) {
    switch (separator) {
    case ';':
        return "';'";
    case '\t':
        return say("табуляция", "tab");
    case ' ':
        return say("пробелы", "blanks");
    default:
        break;
    }
    return "','";
}

std::string Message::textLayout(std::size_t columns, char separator, int decimal) {
    static constexpr const char *Russian[] = {"", ", десятичная точка", ", десятичная запятая"};
    static constexpr const char *English[] = {"", ", decimal point", ", decimal comma"};
    const int k = decimal < 0 || decimal > 2 ? 0 : decimal;
    return say(columnsText(columns) + ", разделитель " + separatorName(separator) + Russian[k],
               columnsText(columns) + ", separator " + separatorName(separator) + English[k]);
}

std::string Message::cutInHeader() {
    return say("файл обрывается в заголовке", "the file ends inside its header");
}

std::string Message::notNpy() {
    return say("не файл NumPy (.npy)", "not a NumPy file (.npy)");
}

std::string Message::npyVersion(unsigned major) {
    return say("версия формата " + integer(major) + " не поддерживается",
               "format version " + integer(major) + " is not supported");
}

std::string Message::npyMissingKey(std::string_view key) {
    return say(concat({"в заголовке нет ", key}), concat({"the header has no ", key}));
}

std::string Message::npyBrokenHeader(std::string_view part) {
    const std::string suffix = part.empty() ? std::string() : concat({" (", part, ")"});
    return say("испорченный заголовок" + suffix, "a broken header" + suffix);
}

std::string Message::npyType(std::string_view descr) {
    return say(
        concat({"тип отсчётов '", shownValue(descr),
                "' не поддерживается: нужен float16/32/64 или целый int/uint 8..64 бит ('<f8', '>i2', '|u1')"}),
        concat({"sample type '", shownValue(descr),
                "' is not supported: use float16/32/64 or an integer int/uint of 8..64 bits ('<f8', '>i2', '|u1')"}));
}

std::string Message::npyShape(std::string_view shape) {
    return say(concat({"форма массива (", shownValue(shape), "): нужен одномерный массив отсчётов"}),
               concat({"array shape (", shownValue(shape), "): a one-dimensional array of samples is needed"}));
}

std::string Message::npyEmpty() {
    return say("массив пуст: нет ни одного отсчёта", "the array is empty: no sample");
}

std::string Message::sampleCountAbove(std::uintmax_t count, std::size_t limit) {
    return say(integer(count) + " отсчётов: больше " + integer(limit) + ", файл не читается",
               integer(count) + " samples: more than " + integer(limit) + ", the file is not read");
}

std::string Message::fileCutShort(std::size_t expected, std::size_t present) {
    return say("файл обрывается: ожидалось " + integer(expected) + " отсчётов, есть " + integer(present),
               "the file is cut short: " + integer(expected) + " samples expected, " + integer(present) + " present");
}

std::string Message::sampleNotFinite(std::size_t index) {
    return say("отсчёт " + integer(index) + " не конечное число", "sample " + integer(index) + " is not finite");
}

std::string Message::npyDescription(bool doublePrecision) {
    return doublePrecision ? "NumPy float64" : "NumPy float32";
}

std::string Message::wavUnreadable(std::string_view reason) {
    return say(concat({"не читается как WAV: ", reason}), concat({"cannot be read as WAV: ", reason}));
}

std::string Message::wavCutShort(std::uintmax_t declared, std::uintmax_t present) {
    return say("файл обрывается: в заголовке " + integer(static_cast<long long>(declared)) +
                   " байт отсчётов, в файле " + integer(static_cast<long long>(present)),
               "the file is cut short: the header states " + integer(static_cast<long long>(declared)) +
                   " bytes of samples, the file holds " + integer(static_cast<long long>(present)));
}

std::string Message::wavNoChannels() {
    return say("в файле нет каналов", "the file has no channel");
}

std::string Message::wavNoSamples() {
    return say("в файле нет отсчётов", "the file holds no sample");
}

std::string Message::cutShort() {
    return say("файл обрывается", "the file is cut short");
}

std::string Message::wavDescription(std::string_view encoding, int channels) {
    return say(concat({encoding, ", ", integer(channels), " ",
                       russianPlural(static_cast<std::uintmax_t>(channels), "канал", "канала", "каналов")}),
               concat({encoding, ", ", integer(channels), channels == 1 ? " channel" : " channels"}));
}

std::string Message::resampleRateNotPositive() {
    return say("пересчёт частоты невозможен: частота должна быть больше нуля",
               "cannot resample: the rate must be above zero");
}

std::string Message::resampleRatio(std::string_view from, std::string_view to) {
    return say(concat({"пересчёт частоты ", from, " МГц → ", to, " МГц невозможен: отношение частот вне 1/256..256"}),
               concat({"cannot resample ", from, " MHz → ", to, " MHz: the ratio lies outside 1/256..256"}));
}

std::string Message::resampledTooMany(std::size_t limit) {
    return say("после пересчёта частоты больше " + integer(limit) + " отсчётов",
               "more than " + integer(limit) + " samples after resampling");
}

std::string Message::resampleFailed(std::string_view reason) {
    return say(concat({"пересчёт частоты: ", reason}), concat({"resampling: ", reason}));
}

std::string Message::fileRateOutOfRange(std::string_view file, std::string_view rate, std::string_view minimum,
                                        std::string_view maximum) {
    return say(concat({file, ": частота файла ", rate, " МГц вне допустимых ", minimum, "..", maximum,
                       " МГц; выберите пересчёт"}),
               concat({file, ": the file's rate ", rate, " MHz lies outside ", minimum, "..", maximum,
                       " MHz; choose resampling"}));
}

std::string Message::noSignalFile() {
    return say("Не указан файл сигнала", "No signal file given");
}

std::string Message::coefficientBits(int bits) {
    return say("разрядность коэффициентов " + integer(bits) + " бит вне 4..32",
               "coefficient width " + integer(bits) + " bits lies outside 4..32");
}

std::string Message::hdlFilterInvalid() {
    return say("разрядности или коэффициенты вне допустимых для аппаратной реализации",
               "word widths or taps lie outside what the hardware export allows");
}

std::string Message::lineTooLong(std::size_t limit) {
    return say("строка длиннее " + integer(static_cast<long long>(limit)) + " байт, файл не читается",
               "a line longer than " + integer(static_cast<long long>(limit)) + " bytes, the file is not read");
}

std::string Message::headerTooLong(std::size_t limit) {
    return say("заголовок длиннее " + integer(static_cast<long long>(limit)) + " байт, файл не читается",
               "a header longer than " + integer(static_cast<long long>(limit)) + " bytes, the file is not read");
}

std::string Message::timeNotRising() {
    return say("время не возрастает: столбец времени должен расти равномерным шагом",
               "the time does not rise: a time column must rise at a regular step");
}

std::string Message::timeStepIrregular(std::size_t sample) {
    return say("шаг времени перед отсчётом " + integer(static_cast<long long>(sample)) +
                   " отличается от медианного больше чем на 0.1 %",
               "the time step before sample " + integer(static_cast<long long>(sample)) +
                   " differs from the median step by more than 0.1 %");
}

std::string Message::indexNotConsecutive() {
    return say("столбец index должен идти подряд: 0, 1, 2, …", "an index column must count on by one: 0, 1, 2, …");
}

std::string Message::decimalUndecided() {
    return say("запятая здесь может быть и десятичной, и разделителем столбцов; выберите «Десятичный разделитель»: "
               "«точка» или «запятая» (SignalForm.FileDecimalRadioGroup)",
               "a comma here may be a decimal comma or a column separator; choose the decimal separator, point or "
               "comma (SignalForm.FileDecimalRadioGroup=1 or 2)");
}

std::string Message::commaWithDecimalComma() {
    return say("выбрана десятичная запятая, но запятая и разделяет столбцы; разделите столбцы ';' или табуляцией",
               "a decimal comma is chosen but the comma also separates columns; separate the columns by ';' or tabs");
}

std::string Message::columnMissing(int asked, std::size_t available) {
    return say("нет столбца значений " + integer(asked) + ": в файле их " + integer(static_cast<long long>(available)),
               "no value column " + integer(asked) + ": the file has " + integer(static_cast<long long>(available)));
}

std::string Message::noUnitFits(std::string_view step) {
    return say(
        concat({"шаг времени ", step,
                " ни в с, ни в мс, ни в мкс, ни в нс не даёт частоту в пределах поля; выберите единицу времени"}),
        concat({"a time step of ", step,
                " in s, ms, µs or ns gives no rate within the field's range; choose the time unit"}));
}

std::string Message::unitName(int unit) {
    switch (unit) {
    case 1:
        return say("с", "s");
    case 2:
        return say("мс", "ms");
    case 4:
        return say("нс", "ns");
    case 5:
        return say("пс", "ps");
    default:
        break;
    }
    return say("мкс", "µs");
}

std::string Message::timeUnitTaken(std::string_view unit, int how, std::string_view word) {
    static constexpr const char *Russian[] = {" (указано в файле", " (выбрано)", " (авто: частота в пределах поля)",
                                              " (так пишет этот прибор)"};
    static constexpr const char *English[] = {" (the file says so", " (chosen)", " (auto: the rate fits the field)",
                                              " (as this instrument writes it)"};
    const int k = how < 0 || how > 3 ? 2 : how;
    // The file's own word closes the first reason: "(указано в файле: 'Sekunden')".
    const std::string named = k != 0 ? std::string() : word.empty() ? ")" : concat({": '", shownValue(word), "')"});
    return say(concat({"; время в ", unit, Russian[k], named}), concat({"; time in ", unit, English[k], named}));
}

std::string Message::layoutRecognised(std::string_view layout) {
    return say(concat({"; формат: ", layout}), concat({"; layout: ", layout}));
}

std::string Message::unknownTimeUnit(std::string_view unit) {
    return say(concat({"единица времени '", shownValue(unit),
                       "' не известна (известны с, мс, мкс, нс, пс на английском, немецком, французском и русском); "
                       "файл не читается, чтобы не ошибиться в частоте"}),
               concat({"the time unit '", shownValue(unit),
                       "' is not known (s, ms, µs, ns, ps in English, German, French and Russian are); the file is "
                       "not read rather than read at a wrong rate"}));
}

std::string Message::controlByte(unsigned byte) {
    const std::string shown = shownValue(std::string(1, static_cast<char>(byte)));
    return say(concat({"управляющий байт ", shown, " внутри строки"}),
               concat({"a control byte ", shown, " inside the line"}));
}

std::string Message::columnEndsEarly(std::size_t line) {
    return say(
        "столбец значений кончился в строке " + integer(static_cast<long long>(line)) + ", а ниже снова есть значения",
        "the value column ends at line " + integer(static_cast<long long>(line)) + " but values follow below it");
}

std::string Message::intervalFromHeader(std::string_view interval) {
    return say(concat({"; шаг из заголовка: ", interval}), concat({"; sample interval from the header: ", interval}));
}

std::string Message::columnTaken(int column, std::size_t columns, std::string_view label) {
    const std::string named = label.empty() ? std::string() : concat({" '", shownValue(label), "'"});
    return say("; взят столбец значений " + integer(column) + named + " из " + integer(static_cast<long long>(columns)),
               "; value column " + integer(column) + named + " of " + integer(static_cast<long long>(columns)) +
                   " taken");
}

std::string Message::indexColumn(long long first) {
    return say("; столбец index, первый отсчёт в индексе " + integer(first),
               "; an index column, the first sample at index " + integer(first));
}

std::string Message::noFirstTime() {
    return say("файл не указывает время отсчётов", "the file states no time for its samples");
}

std::string Message::firstSampleTime(std::string_view microseconds) {
    if (!speaksRussian())
        return concat({"; first sample: ", microseconds, " µs"});
    std::string shown(microseconds);
    if (!shown.empty() && shown[0] == '-')
        shown.replace(0, 1, "−");
    return concat({"; первый отсчёт: ", shown, " мкс"});
}

std::string Message::wavChannelMissing(int asked, int channels) {
    return say("нет канала " + integer(asked) + ": в файле " + integer(channels),
               "no channel " + integer(asked) + ": the file has " + integer(channels));
}

std::string Message::wavChannelTaken(int channel, int channels) {
    return say("; каналов " + integer(channels) + ", взят " + integer(channel),
               "; " + integer(channels) + " channels, channel " + integer(channel) + " taken");
}

std::string Message::npyArrayRefused(std::string_view descr, std::string_view shape) {
    return say(concat({"массив типа '", shownValue(descr), "' формы (", shownValue(shape),
                       ") не читается: нужен одномерный массив чисел, (N), (N,1) или (1,N)"}),
               concat({"an array of type '", shownValue(descr), "' and shape (", shownValue(shape),
                       ") is not read: use a one-dimensional array of numbers, (N), (N,1) or (1,N)"}));
}

std::string Message::npyTypeName(std::string_view descr) {
    return concat({"NumPy '", shownValue(descr), "'"});
}

std::string Message::unknownTapExtension(std::string_view extension) {
    return say(
        concat({"неизвестный тип файла фильтра '", shownValue(extension),
                "': нужен .csv, .txt, .dat, .npy, .h, .coe или .m"}),
        concat({"unknown filter file type '", shownValue(extension), "': use .csv, .txt, .dat, .npy, .h, .coe or .m"}));
}

std::string Message::tooManyTaps(std::size_t count, int limit) {
    return say("фильтр из " + integer(static_cast<long long>(count)) + " отсчётов: больше " + integer(limit),
               "a filter of " + integer(static_cast<long long>(count)) + " taps: more than " + integer(limit));
}

std::string Message::noTaps() {
    return say("в файле нет ни одного отсчёта фильтра", "the file holds no filter tap");
}

std::string Message::tapsCentreOutside(long long centre, std::size_t count) {
    return say("центр фильтра " + integer(centre) + " вне его " + integer(static_cast<long long>(count)) + " отсчётов",
               "the filter's centre " + integer(centre) + " lies outside its " +
                   integer(static_cast<long long>(count)) + " taps");
}

std::string Message::tapsRead(std::size_t count, long long centre, int halfWidth) {
    return say("прочитано отсчётов фильтра: " + integer(static_cast<long long>(count)) + ", центр — отсчёт " +
                   integer(centre) + ", FilterHalfWidth = " + integer(halfWidth),
               integer(static_cast<long long>(count)) + " filter taps read, centre at tap " + integer(centre) +
                   ", FilterHalfWidth = " + integer(halfWidth));
}

// ---- The command-line tool --------------------------------------------------------------------

std::string Message::cliPrefix() {
    return "pulsefir-cli: ";
}

std::string Message::cliRateTaken(std::string_view key, std::string_view rate) {
    return say(concat({key, " = ", rate, " МГц, частота файла"}), concat({key, " = ", rate, " MHz, the file's rate"}));
}

std::string Message::cliResampled(std::string_view from, std::string_view to) {
    return say(concat({"пересчитано с ", from, " на ", to, " МГц"}),
               concat({"resampled from ", from, " to ", to, " MHz"}));
}

std::string Message::cliDropped(std::size_t count) {
    return say(integer(count) + " отсчётов вне -10000..10000 отброшено",
               integer(count) + " samples fall outside -10000..10000 and were dropped");
}

std::string Message::cliSetForm(std::string_view got) {
    return say(concat({"--set ждёт Раздел.Ключ=ЗНАЧЕНИЕ, получено '", shownValue(got), "'"}),
               concat({"--set wants Section.Key=VALUE, got '", shownValue(got), "'"}));
}

std::string Message::cliSetNeedsValue() {
    return say("--set нужно Раздел.Ключ=ЗНАЧЕНИЕ", "--set needs Section.Key=VALUE");
}

std::string Message::cliProjectNeedsFile() {
    return say("--project нужен ФАЙЛ", "--project needs a FILE");
}

std::string Message::cliStepNeedsFile(std::string_view step) {
    return say(concat({step, " нужен ФАЙЛ"}), concat({step, " needs a FILE"}));
}

std::string Message::cliUnknownKey(std::string_view key) {
    return say(concat({"неизвестный ключ ", shownValue(key)}), concat({"unknown key ", shownValue(key)}));
}

std::string Message::cliUnknownStep(std::string_view step) {
    return say(concat({"неизвестный шаг '", shownValue(step), "'"}), concat({"unknown step '", shownValue(step), "'"}));
}

std::string Message::cliNotANumber(std::string_view key, std::string_view text, bool whole) {
    return say(concat({key, ": '", shownValue(text), whole ? "' не целое число" : "' не число"}),
               concat({key, ": '", shownValue(text), whole ? "' is not a whole number" : "' is not a number"}));
}

std::string Message::cliOutsideRange(std::string_view key, std::string_view text, std::string_view range) {
    return say(concat({key, ": ", shownValue(text), " вне ", range}),
               concat({key, ": ", shownValue(text), " is outside ", range}));
}

std::string Message::cliUnexpected() {
    return say("непредвиденная ошибка", "unexpected error");
}

std::string Message::cliSearchResult(int epoch, std::string_view objective) {
    return say(concat({"эпоха ", integer(epoch), " целевая функция ", objective}),
               concat({"epoch ", integer(epoch), " objective ", objective}));
}

std::string Message::cliLeastSquaresResult(std::string_view objective, std::string_view residual) {
    return say(concat({"целевая функция ", objective, " невязка ", residual}),
               concat({"objective ", objective, " residual ", residual}));
}

std::string Message::cliLatency(int samples, std::string_view microseconds) {
    return say(concat({"задержка фильтра ", integer(samples), " отсчётов (", microseconds, " мкс)"}),
               concat({"filter latency ", integer(samples), " samples (", microseconds, " µs)"}));
}

std::string Message::hdlResources(int multipliers, int adders, int registerBits, int latency,
                                  std::string_view microseconds) {
    const bool time = !microseconds.empty();
    return say(concat({"умножителей ", integer(multipliers), ", сумматоров ", integer(adders), ", регистров ",
                       integer(registerBits), " бит; задержка ", integer(latency), " тактов", time ? " = " : "",
                       microseconds, time ? " мкс" : ""}),
               concat({integer(multipliers), " multipliers, ", integer(adders), " adders, ", integer(registerBits),
                       " register bits; latency ", integer(latency), " clocks", time ? " = " : "", microseconds,
                       time ? " µs" : ""}));
}

std::string Message::cliFixedPointResult(int shift, int outputBits, int fractionBits, std::string_view snrDb,
                                         std::string_view largestError, int saturated) {
    return say(concat({"сдвиг выхода ", integer(shift), ", выход ", integer(outputBits), " бит, МЗР = FS*2^",
                       integer(-fractionBits), "; ОСШ ", snrDb, " дБ, наибольшая ошибка ", largestError,
                       ", насыщено отсчётов ", integer(saturated)}),
               concat({"output shift ", integer(shift), ", output ", integer(outputBits), " bits, LSB = FS*2^",
                       integer(-fractionBits), "; SNR ", snrDb, " dB, largest error ", largestError,
                       ", saturated samples ", integer(saturated)}));
}

std::string Message::cliNoFixedOutput() {
    return say("нет результата в фиксированной точке: сначала apply-fixed",
               "no fixed-point output: run apply-fixed first");
}

std::string Message::cliTapBitsChosen(std::string_view key, int bits) {
    return say(concat({"разрядность выбрана: ", key, "=", integer(bits)}),
               concat({"tap width chosen: ", key, "=", integer(bits)}));
}

std::string Message::noTapWidthQualifies() {
    return say("Ни одна разрядность от 4 до 32 бит не удерживает уровень боковых лепестков (1 дБ), длительность "
               "(2 %) и ОСШ (60 дБ); разрядность не изменена",
               "No tap width from 4 to 32 bits keeps the side level (1 dB), the duration (2 %) and the SNR (60 dB); "
               "the width is left as it was");
}

std::string Message::cliMuChosen(std::string_view key, std::string_view mu) {
    return say(concat({"регуляризация выбрана по набору: ", key, "=", mu}),
               concat({"regularisation chosen over the set: ", key, "=", mu}));
}

std::string Message::cliNoSetDesign() {
    return say("нет результата МНК-фильтра по набору: сначала шаг least-squares",
               "no least-squares design over the set yet: run the step least-squares first");
}

std::string Message::cliProgress(int epoch, int epochs, std::string_view objective) {
    return say(concat({"эпоха ", integer(epoch), "/", integer(epochs), " целевая функция ", objective}),
               concat({"epoch ", integer(epoch), "/", integer(epochs), " objective ", objective}));
}

} // namespace pulsefir::base
