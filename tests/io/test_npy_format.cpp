#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "malformed_file.h"

namespace {

std::string npyBytes(const std::string &descr, const std::string &shape, const std::string &data) {
    // A structured type's list stands unquoted.
    const std::string quoted = descr.starts_with('[') ? descr : "'" + descr + "'";
    std::string header = "{'descr': " + quoted + ", 'fortran_order': False, 'shape': " + shape + ", }";
    while ((10 + header.size() + 1) % 64 != 0)
        header += ' ';
    header += '\n';
    std::string bytes = "\x93NUMPY";
    bytes += '\x01';
    bytes += '\x00';
    bytes += static_cast<char>(header.size() & 0xFF);
    bytes += static_cast<char>(header.size() >> 8);
    return bytes + header + data;
}

template <typename T> std::string rawBytes(const std::vector<T> &values) {
    return std::string(reinterpret_cast<const char *>(values.data()), values.size() * sizeof(T));
}

} // namespace

// The .npy rows of the malformed files. The writer's bytes are read back by the coefficient
// round trip (test_coefficient_writer.cpp).
INSTANTIATE_TEST_SUITE_P(
    Faults, MalformedFile,
    ::testing::Values(
        BadFile{"npy_complex", ".npy", npyBytes("<c16", "(2,)", std::string(32, '\0')), "'<c16' не поддерживается"},
        BadFile{"npy_structured", ".npy", npyBytes("[('t', '<f8'), ('v', '<f8')]", "(2,)", std::string(32, '\0')),
                "формы (2,) не читается"},
        BadFile{"npy_three_dimensional", ".npy", npyBytes("<f8", "(2, 1, 2)", rawBytes(std::vector<double>(4))),
                "'<f8' формы (2, 1, 2) не читается"},
        BadFile{"npy_two_dimensional", ".npy", npyBytes("<f8", "(2, 2)", rawBytes(std::vector<double>(4))),
                "одномерный"},
        BadFile{"npy_header_of_a_megabyte", ".npy", std::string("\x93NUMPY\x02\x00\x00\x00\x10\x00", 12),
                "заголовок длиннее"},
        BadFile{"npy_truncated", ".npy", npyBytes("<f8", "(4,)", rawBytes(std::vector<double>(3))),
                "ожидалось 4 отсчётов, есть 3"},
        BadFile{"npy_nan", ".npy", npyBytes("<f4", "(3,)", rawBytes(std::vector<float>{1, std::nanf(""), 2})),
                "байт 132: отсчёт 1 не конечное число"},
        BadFile{"npy_over_ten_million", ".npy", npyBytes("<f8", "(10000001,)", ""), "больше 10000000"},
        BadFile{"not_npy", ".npy", "PK\x03\x04 zip archive", "не файл NumPy"}),
    badFileName);
