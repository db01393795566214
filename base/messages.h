#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/file.h"

namespace pulsefir::base {

// Who the program's messages speak to. The windows show the texts their design gives in English
// ("Unable to write to %s", "Floating point overflow", "'%s' is not a valid floating point
// value") and Russian for everything else; the command-line tool speaks one language per run,
// the one its locale names, help, notes and errors alike.
enum class Audience { Windows, ConsoleRussian, ConsoleEnglish };

Audience audience();
void setAudience(Audience audience);
// The console language of the locale in the environment (LC_ALL, else LC_MESSAGES, else LANG):
// Russian for "ru..." and English otherwise.
Audience consoleAudienceFromEnvironment();
// Whether the messages are Russian (the windows, or a Russian console).
bool speaksRussian();
// The Russian text, or the English one on an English console.
std::string say(std::string_view russian, std::string_view english);

// A value quoted in a message: control characters (a NUL among them) and bytes that start no UTF-8
// character escaped as \xHH, a long value cut after 80 characters with an ellipsis, so that a
// megabyte of junk or a binary file never fills a message box with raw bytes.
std::string shownValue(std::string_view value);

// The one catalogue of the program's messages: each is built here and nowhere else.
struct Message {
    // ---- Files
    // Why a system call failed, in words ("No space left on device", "Нет места на устройстве").
    static std::string systemCause(int errorNumber);
    // Why a path cannot be a file to read or replace ("a FIFO, not a regular file").
    static std::string notRegularCause(PathKind kind);
    // The windows: "Unable to write to NAME." and the cause on a line of its own; a console: one line.
    static std::string unableToWrite(std::string_view file, std::string_view cause);
    static std::string unableToRead(std::string_view file, std::string_view cause);
    static std::string unableToWriteStandardOutput();
    // The bytes a file holds against the limit a reader takes.
    // A picture or table that could not be made in memory ("PNG", "SVG").
    static std::string encodingFailed(std::string_view format);
    static std::string fileTooLarge(std::string_view file, std::uintmax_t size, std::uintmax_t limit);

    // ---- Numbers typed or read as text
    static std::string invalidFloat(std::string_view text); // "'text' is not a valid floating point value."

    // ---- The core
    static std::string invalidOperation();
    static std::string divisionByZero();
    static std::string overflow();
    static std::string negativeRegularisation();
    static std::string zeroSignalLeastSquares();
    static std::string noTrainingPulses();
    static std::string pathDistanceNotPositive();
    static std::string singularLeastSquares();
    static std::string transformPlanFailed();
    static std::string tooManySpectrumPoints(int limit);
    // The spectra's grid reaches above half the sampling frequency (given in MHz, as text).
    static std::string gridAboveHalfSampling(std::string_view halfRate);
    static std::string outOfMemory();
    static std::string pointerSizeNotPositive();

    // ---- Project files
    static std::string projectTooLarge(std::string_view file);
    static std::string notAProjectFile(std::string_view file);
    static std::string projectFileMissing(std::string_view file); // "Не существует Файл " CR name
    static std::string projectOverwriteQuestion(std::string_view file);
    static std::string projectHasNoSections(std::string_view file);
    static std::string projectFileEmpty(std::string_view file); // a file of no byte: nothing loaded
    // Keys a load could not use, listed as "Section.Key" or "[Section]" and joined by ", ".
    static std::string projectUnusableKeys(std::string_view file, std::string_view keys);
    // Asked before the program ends with settings or buffers changed since the last save or load.
    static std::string saveChangesQuestion();

    // ---- Measured pulses in, taps out. `file` names the file; `line` or `byte` where reading stopped.
    static std::string inFile(std::string_view file, std::string_view what); // "FILE: what"
    static std::string atLine(std::size_t line, std::string_view what);      // "строка N: what"
    static std::string atByte(std::uintmax_t byte, std::string_view what);   // "байт N: what"
    static std::string unknownPulseExtension(std::string_view extension);
    static std::string pulseFileMissing();
    static std::string pulseFileNotRegular(PathKind kind);
    static std::string pulseFileTooLarge(std::uintmax_t size);
    static std::string pulseFileUnreadable(int errorNumber);
    static std::string emptyField();
    static std::string notANumber(std::string_view field);
    static std::string notFinite(std::string_view field);
    static std::string tooManyColumns(std::size_t columns);
    static std::string columnCountChanged(std::size_t columns, std::size_t expected);
    static std::string tooManySamples(std::size_t limit);
    static std::string fileEmpty(); // a file of no byte, whatever its format
    static std::string noNumbers();
    static std::string columnsText(std::size_t columns);
    static std::string separatorName(char separator); // ';', '\t', ' ' for blanks, ','
    // decimal: 0 the file leaves no doubt (not named), 1 a decimal point, 2 a decimal comma
    static std::string textLayout(std::size_t columns, char separator, int decimal);
    static std::string cutInHeader();
    static std::string notNpy();
    static std::string npyVersion(unsigned major);
    static std::string npyMissingKey(std::string_view key);
    static std::string npyBrokenHeader(std::string_view part); // "" or "descr", "shape"
    static std::string npyType(std::string_view descr);
    static std::string npyShape(std::string_view shape);
    static std::string npyEmpty();
    static std::string sampleCountAbove(std::uintmax_t count, std::size_t limit);
    static std::string fileCutShort(std::size_t expected, std::size_t present);
    static std::string sampleNotFinite(std::size_t index);
    static std::string npyDescription(bool doublePrecision);
    static std::string wavUnreadable(std::string_view reason);
    static std::string wavCutShort(std::uintmax_t declared, std::uintmax_t present);
    static std::string wavNoChannels();
    static std::string wavNoSamples();
    static std::string cutShort();
    static std::string wavDescription(std::string_view encoding, int channels);
    static std::string resampleRateNotPositive();
    static std::string resampleRatio(std::string_view from, std::string_view to); // rates as text, MHz
    static std::string resampledTooMany(std::size_t limit);
    static std::string resampleFailed(std::string_view reason);
    static std::string fileRateOutOfRange(std::string_view file, std::string_view rate, std::string_view minimum,
                                          std::string_view maximum); // rates as text, MHz
    static std::string placementOverflow();
    static std::string noSignalFile();
    static std::string coefficientBits(int bits);
    static std::string hdlFilterInvalid(); // word widths or taps outside the integer model's ranges
    // Reading text pulses as instruments write them.
    static std::string lineTooLong(std::size_t limit);
    static std::string headerTooLong(std::size_t limit);
    static std::string timeNotRising();
    static std::string timeStepIrregular(std::size_t sample);
    static std::string indexNotConsecutive();
    static std::string decimalUndecided();
    static std::string commaWithDecimalComma();
    static std::string columnMissing(int asked, std::size_t available);
    static std::string noUnitFits(std::string_view step);
    // unit: "с", "мс", "мкс", "нс"; how: 0 the file names it (`word`, as the file writes it), 1 chosen,
    // 2 automatic, 3 the instrument's layout writes seconds without naming them
    static std::string timeUnitTaken(std::string_view unit, int how, std::string_view word = {});
    static std::string unitName(int unit); // TimeUnit 1..4, 5 ps
    // Instrument layouts recognised and what they refuse.
    static std::string layoutRecognised(std::string_view layout);
    static std::string unknownTimeUnit(std::string_view unit);
    static std::string controlByte(unsigned byte);
    static std::string columnEndsEarly(std::size_t line);
    static std::string intervalFromHeader(std::string_view interval);
    static std::string columnTaken(int column, std::size_t columns, std::string_view label);
    static std::string indexColumn(long long first);
    static std::string noFirstTime();
    static std::string firstSampleTime(std::string_view microseconds);
    static std::string wavChannelMissing(int asked, int channels);
    static std::string wavChannelTaken(int channel, int channels);
    static std::string npyArrayRefused(std::string_view descr, std::string_view shape);
    static std::string npyTypeName(std::string_view descr);
    // Filter taps in.
    static std::string unknownTapExtension(std::string_view extension);
    static std::string tooManyTaps(std::size_t count, int limit);
    static std::string noTaps();
    static std::string tapsCentreOutside(long long centre, std::size_t count);
    static std::string tapsRead(std::size_t count, long long centre, int halfWidth);

    // ---- The fixed-point model
    static std::string noTapWidthQualifies();

    // ---- The command-line tool
    static std::string cliPrefix(); // "pulsefir-cli: "
    static std::string cliRateTaken(std::string_view key, std::string_view rate);
    static std::string cliResampled(std::string_view from, std::string_view to);
    static std::string cliDropped(std::size_t count);
    static std::string cliSetForm(std::string_view got);
    static std::string cliSetNeedsValue();
    static std::string cliProjectNeedsFile();
    static std::string cliStepNeedsFile(std::string_view step);
    static std::string cliUnknownKey(std::string_view key);
    static std::string cliUnknownStep(std::string_view step);
    static std::string cliNotANumber(std::string_view key, std::string_view text, bool whole);
    static std::string cliOutsideRange(std::string_view key, std::string_view text, std::string_view range);
    static std::string cliUnexpected();
    static std::string cliSearchResult(int epoch, std::string_view objective);
    static std::string cliLeastSquaresResult(std::string_view objective, std::string_view residual);
    static std::string cliMuChosen(std::string_view key, std::string_view mu);
    static std::string cliNoSetDesign();
    static std::string cliLatency(int samples, std::string_view microseconds);
    // What the integer filter's hardware costs; `microseconds` the latency in µs as text, or
    // empty where no sampling frequency is known.
    static std::string hdlResources(int multipliers, int adders, int registerBits, int latency,
                                    std::string_view microseconds);
    static std::string cliFixedPointResult(int shift, int outputBits, int fractionBits, std::string_view snrDb,
                                           std::string_view largestError, int saturated);
    static std::string cliNoFixedOutput();
    static std::string cliTapBitsChosen(std::string_view key, int bits);
    static std::string cliProgress(int epoch, int epochs, std::string_view objective);
};

} // namespace pulsefir::base
