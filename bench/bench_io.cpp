#include <benchmark/benchmark.h>

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/number_text.h"
#include "core/state.h"
#include "io/pulse_import.h"
#include "io/pulse_reader.h"

using namespace pulsefir::io;

namespace {

constexpr std::size_t Samples = 1'000'000;

double sample(std::size_t k) {
    return 0.8 * std::sin(0.0314 * static_cast<double>(k)) * std::exp(-1e-6 * static_cast<double>(k));
}

std::filesystem::path path(const char *name) {
    return std::filesystem::temp_directory_path() /
           ("pulsefir-bench-" + pulsefir::base::formatInteger(::getpid()) + "-" + name);
}

// One column, 17 significant digits: the largest text a 10^6-sample pulse makes.
const std::filesystem::path &textFile() {
    static const std::filesystem::path file = [] {
        const auto p = path("pulse.txt");
        std::ostringstream out;
        out << "value\n";
        for (std::size_t k = 0; k < Samples; ++k)
            out << pulsefir::base::formatSignificant(sample(k), 17) << '\n';
        pulsefir::base::writeFileWhole(p.string(), out.view());
        return p;
    }();
    return file;
}

// Two columns, time in µs and value, ';' separated with decimal commas, as a Russian
// spreadsheet writes them.
const std::filesystem::path &spreadsheetFile() {
    static const std::filesystem::path file = [] {
        const auto p = path("pulse.csv");
        std::ostringstream out;
        out << "время;сигнал\n";
        for (std::size_t k = 0; k < Samples; ++k) {
            std::string line = pulsefir::base::formatShortest(static_cast<double>(k) * 1.25) + ';' +
                               pulsefir::base::formatSignificant(sample(k), 9) + '\n';
            std::replace(line.begin(), line.end(), '.', ',');
            out << line;
        }
        pulsefir::base::writeFileWhole(p.string(), out.view());
        return p;
    }();
    return file;
}

std::filesystem::path wavFile(int subtype, const char *name) {
    const auto p = path(name);
    SF_INFO info{};
    info.samplerate = 800000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE *f = sf_open(p.c_str(), SFM_WRITE, &info);
    std::vector<double> values(Samples);
    for (std::size_t k = 0; k < Samples; ++k)
        values[k] = sample(k);
    sf_writef_double(f, values.data(), static_cast<sf_count_t>(Samples));
    sf_close(f);
    return p;
}

const std::filesystem::path &wav16() {
    static const auto p = wavFile(SF_FORMAT_PCM_16, "pulse16.wav");
    return p;
}

const std::filesystem::path &wavFloat() {
    static const auto p = wavFile(SF_FORMAT_FLOAT, "pulsef.wav");
    return p;
}

// Baseline: only bringing the file's bytes into memory.
void readBytes(benchmark::State &state, const std::filesystem::path &file) {
    for (auto _ : state) {
        const std::string bytes = pulsefir::base::readFileWhole(file.string(), pulsefir::io::MaxPulseFileBytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(file)));
}

void readPulse(benchmark::State &state, const std::filesystem::path &file) {
    for (auto _ : state) {
        const PulseData data = readPulseFile(file.string());
        if (data.samples.size() != Samples)
            state.SkipWithError("wrong sample count");
        benchmark::DoNotOptimize(data.samples.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * Samples));
}

void bmTextOneColumnReadBytesOnly(benchmark::State &state) {
    readBytes(state, textFile());
}
void bmTextOneColumnReadPulseFile(benchmark::State &state) {
    readPulse(state, textFile());
}
void bmTextSemicolonDecimalCommaReadBytesOnly(benchmark::State &state) {
    readBytes(state, spreadsheetFile());
}
void bmTextSemicolonDecimalCommaReadPulseFile(benchmark::State &state) {
    readPulse(state, spreadsheetFile());
}
void bmWav16ReadBytesOnly(benchmark::State &state) {
    readBytes(state, wav16());
}
void bmWav16ReadPulseFile(benchmark::State &state) {
    readPulse(state, wav16());
}
void bmWavFloatReadBytesOnly(benchmark::State &state) {
    readBytes(state, wavFloat());
}
void bmWavFloatReadPulseFile(benchmark::State &state) {
    readPulse(state, wavFloat());
}

// A 10^6-sample float WAV at 0.8 MHz brought to 1 MHz, of which 20 001 samples land in the
// signal buffer (offset -10000): the import converts only those, with the converter's reach.
void bmResampleImportLandingPart(benchmark::State &state) {
    auto core = std::make_unique<pulsefir::core::CoreState>();
    PulseImportRequest request;
    request.fileName = wavFloat().string();
    request.samplingFrequency = 1.0;
    request.rate = RateChoice::Resample;
    request.placement.offset = -10000;
    for (auto _ : state) {
        const PulseImportOutcome outcome = importPulse(*core, request);
        if (outcome.placed.written != 20001)
            state.SkipWithError("wrong landing count");
        benchmark::DoNotOptimize(core->SignalBuffer[0]);
    }
}

// Baseline: the same file read and converted whole, as the import did before.
void bmResampleWholeFileBaseline(benchmark::State &state) {
    for (auto _ : state) {
        const PulseData data = readPulseFile(wavFloat().string());
        const std::vector<double> all = resamplePulse(data.samples, 0.8, 1.0);
        benchmark::DoNotOptimize(all.data());
    }
}

} // namespace

BENCHMARK(bmResampleImportLandingPart)->Unit(benchmark::kMillisecond);
BENCHMARK(bmResampleWholeFileBaseline)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(bmTextOneColumnReadBytesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(bmTextOneColumnReadPulseFile)->Unit(benchmark::kMillisecond);
BENCHMARK(bmTextSemicolonDecimalCommaReadBytesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(bmTextSemicolonDecimalCommaReadPulseFile)->Unit(benchmark::kMillisecond);
BENCHMARK(bmWav16ReadBytesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(bmWav16ReadPulseFile)->Unit(benchmark::kMillisecond);
BENCHMARK(bmWavFloatReadBytesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(bmWavFloatReadPulseFile)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto &p : {textFile(), spreadsheetFile(), wav16(), wavFloat()})
        std::filesystem::remove(p);
    return 0;
}
