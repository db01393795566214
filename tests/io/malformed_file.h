#pragma once

#include <gtest/gtest.h>

#include <string>

// A file the import refuses, with a part of the message the user sees. The test itself stands
// with the import (test_pulse_import.cpp); each format's rows stand with that format's reader
// tests, all instantiated as "Faults", so every case keeps its name.
struct BadFile {
    const char *name;
    const char *extension;
    std::string bytes;
    const char *message; // a part of the text the user sees
};

class MalformedFile : public ::testing::TestWithParam<BadFile> {};

inline std::string badFileName(const ::testing::TestParamInfo<BadFile> &info) {
    return info.param.name;
}
