#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// Files the io tests write and read back.

constexpr double TwoPi = 6.283185307179586;

// A path in the temporary folder, unique to this test process.
std::filesystem::path tempPath(const std::string &name);
void writeBytes(const std::filesystem::path &path, const std::string &bytes);
std::string readBytes(const std::filesystem::path &path);

// The sine every test WAV holds on channel 0: amplitude 0.75, 40 samples a period.
double testSine(std::size_t k);
// A WAV written by libsndfile itself: channel 0 the sine, channel 1 its negation.
void writeWav(const std::filesystem::path &path, int subtype, int rate, std::size_t frames);
// The bytes of such a WAV, written through a temporary file named `name`.
std::string wavBytes(const std::string &name, int subtype, int rate, std::size_t frames);
