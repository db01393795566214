#include "io_test_files.h"

#include <gtest/gtest.h>

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

std::filesystem::path tempPath(const std::string &name) {
    return std::filesystem::temp_directory_path() / ("pulsefir-io-" + std::to_string(::getpid()) + "-" + name);
}

void writeBytes(const std::filesystem::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::filesystem::path &path) {
    std::ifstream stream(path, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

double testSine(std::size_t k) {
    return 0.75 * std::sin(TwoPi * static_cast<double>(k) / 40.0);
}

void writeWav(const std::filesystem::path &path, int subtype, int rate, std::size_t frames) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | subtype;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<double> interleaved;
    for (std::size_t k = 0; k < frames; ++k) {
        interleaved.push_back(testSine(k));
        interleaved.push_back(-testSine(k));
    }
    sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
}

std::string wavBytes(const std::string &name, int subtype, int rate, std::size_t frames) {
    const auto path = tempPath(name);
    writeWav(path, subtype, rate, frames);
    std::string bytes = readBytes(path);
    std::filesystem::remove(path);
    return bytes;
}
