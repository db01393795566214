#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "io/coefficient_writer.h"
#include "io/hdl_design.h"

namespace pulsefir::io {

// The files of the hardware export, all in one folder.
inline constexpr const char *HdlVerilogFile = "pulsefir_fir.v";
inline constexpr const char *HdlVhdlFile = "pulsefir_fir.vhd";
inline constexpr const char *HdlVerilogTestbenchFile = "pulsefir_fir_tb.v";
inline constexpr const char *HdlVhdlTestbenchFile = "pulsefir_fir_tb.vhd";
inline constexpr const char *HdlStimulusFile = "stimulus.hex";
inline constexpr const char *HdlExpectedFile = "expected.hex";

// Random full-scale samples the stimulus holds after the signal, besides its runs at the extremes.
inline constexpr int HdlRandomSamples = 10000;

// The module `pulsefir_fir` in Verilog-2001 and the entity in VHDL-93 (ieee.numeric_std): ports
// clk, rst (synchronous, active high), x (XW bits), y (YW bits); y at clock t is the model's
// yq[t - LATENCY].
std::string verilogModule(const HdlFilter &filter, const HdlDesign &design);
std::string vhdlEntity(const HdlFilter &filter, const HdlDesign &design);

// Self-checking testbenches reading stimulus.hex and expected.hex of `samples` words each; they
// print "N samples, K mismatches" and end with a non-zero status on a mismatch.
std::string verilogTestbench(const HdlFilter &filter, const HdlDesign &design, std::size_t samples);
std::string vhdlTestbench(const HdlFilter &filter, const HdlDesign &design, std::size_t samples);

// One word a line, two's complement in `bits` bits, ceil(bits / 4) hexadecimal digits.
std::string hexWords(std::span<const std::int64_t> values, int bits);

// The signal's integer samples, then HdlRandomSamples full-scale random ones (a fixed seed, so
// the files are the same at every export) with runs at both extremes and the two input patterns
// that drive the sum to its largest and its smallest value, so that saturation is exercised.
std::vector<std::int32_t> hdlStimulus(std::span<const std::int32_t> signal, const HdlFilter &filter,
                                      const HdlDesign &design);

// The integer filter of a fixed-point run, with the fixed-point exports' description of the
// arithmetic (describeArithmetic) as its header comment.
HdlFilter hdlFilterOf(const core::FixedPointRun &run, const core::FixedPointFormat &format,
                      const CoefficientExport &description);

// The integer filter without the description, for a resource count.
HdlFilter hdlFilterOf(const core::FixedPointRun &run, const core::FixedPointFormat &format);

// The state's integer filter with the signal's input words, as the filter window and the command
// line export it (the shift the automatic choice gives for the state's signal, or the user's).
struct HdlExport {
    HdlFilter filter;
    std::vector<std::int32_t> signal; // xq over -SignalHalfWidth..+SignalHalfWidth
};
HdlExport hdlExportOf(const core::CoreState &state, double samplingFrequency, const core::FixedPointFormat &format);

// "3 multipliers, 7 adders, 412 register bits; latency 14 clocks = 0.7 µs" (`samplingFrequency`
// in MHz; the µs left out when it is not positive).
std::string hdlReport(const HdlDesign &design, double samplingFrequency);

// Writes the six files into `folder`, made where it is missing: the module, the entity, their
// testbenches, the stimulus (`signal` and hdlStimulus's samples) and the model's output for it.
// Returns the design written.
HdlDesign writeHdl(const std::string &folder, const HdlFilter &filter, std::span<const std::int32_t> signal);

} // namespace pulsefir::io
