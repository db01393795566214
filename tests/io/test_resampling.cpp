#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/error.h"
#include "io/resampling.h"
#include "io_test_files.h"

using namespace pulsefir;
using namespace pulsefir::io;

TEST(Resampling, SineKeepsItsFrequencyAtTheNewRate) {
    // 0.04 MHz sampled at 1 MHz, converted to 0.8 MHz: away from the ends the result is the same
    // sine sampled at 0.8 MHz.
    const double f = 0.04;
    std::vector<double> in(2000);
    for (std::size_t k = 0; k < in.size(); ++k)
        in[k] = std::sin(TwoPi * f * static_cast<double>(k) / 1.0);
    const std::vector<double> out = resamplePulse(in, 1.0, 0.8);
    ASSERT_EQ(out.size(), 1600u);
    for (std::size_t k = 200; k < 1400; ++k)
        ASSERT_NEAR(out[k], std::sin(TwoPi * f * static_cast<double>(k) / 0.8), 2e-4) << "sample " << k;
    EXPECT_THROW(resamplePulse(in, 1.0, 1000.0), base::Error); // ratio beyond 256
}
